#pragma once
// A customer's department: the customer and its whole downline with levels,
// personal and group points, statuses and bonuses with their explanation.
// Built from a CustomerSource (the database's customer table, or rows in
// memory), never writing back; QtCore only, so the organization window, the
// printed report and the command-line tool share one computation.

#include "DepLabels.h"
#include "DepMember.h"

#include "engine/Errors.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <vector>

class CustomerSource;

/// A failure while loading a department. Besides the engine's (or the load's)
/// text it carries one "Error - <Id>" message per level of the downline that
/// the failure passed through, innermost first; each names the member that
/// level was creating ("Error - " alone when it had not created one).
class DepLoadError : public db::DataError
{
public:
    DepLoadError(const QString &text, QStringList levelMessages)
        : db::DataError(text), m_levelMessages(std::move(levelMessages)) {}
    const QStringList &levelMessages() const { return m_levelMessages; }

private:
    QStringList m_levelMessages;
};

class Department
{
public:
    /// The text the caller shows when RefreshMember cannot read the member.
    static QString refreshErrorText() { return QStringLiteral("Refresh Error"); }

    enum class RefreshResult {
        Refreshed,
        NotInDepartment, ///< RefreshMemberById found no member with that Id
        RefreshError,    ///< the one-customer query is busy with another customer
    };

    explicit Department(DepLabels labels = DepLabels::fromMessages());
    Department(Department &&) noexcept = default;
    Department &operator=(Department &&) noexcept = default;
    Department(const Department &) = delete;
    Department &operator=(const Department &) = delete;

    /// The members in pre-order: the head, then each direct member by name
    /// followed by its own downline. References stay valid until the next
    /// successful load.
    std::span<TDepMember> DepList() { return m_members; }
    std::span<const TDepMember> DepList() const { return m_members; }
    bool isEmpty() const { return m_members.empty(); }
    qsizetype count() const { return qsizetype(m_members.size()); }

    /// Loads the department of customer `id` ("" for the root: every customer
    /// without a sponsor under a head with no customer) and computes it.
    /// Throws DepLoadError; the department then stays as it was.
    void Build(CustomerSource &customers, const QString &id);

    /// Loads the members with their points, without computing. Goes through
    /// the customers once. Throws DepLoadError (also for a sponsor cycle);
    /// the department then stays as it was.
    void LoadDepartment(CustomerSource &customers, const QString &id);

    /// ResetTotals, SumGroups, ResetBonus, CalcBonus: the figures after the
    /// members' points changed in memory.
    void Recompute();

    void ResetTotals();
    /// CountActive, then group points and statuses from the last member up.
    void SumGroups();
    void CountActive();
    /// Every Bonus becomes 0 and every explanation empty.
    void ResetBonus();
    /// Adds every member's credits to its Bonus from the current points,
    /// group points and statuses, and keeps those figures for the
    /// explanation (the explanation tells of the last run only, so reset the
    /// bonuses before running it again).
    void CalcBonus();

    /// Rereads the member's running points and reserve (unrounded) and moves
    /// its group points by the change. `oneCustomerOpenFor` is the customer
    /// the data module's one-customer query is open for (nullopt when
    /// closed): open for another customer gives RefreshError and changes
    /// nothing. A customer no longer among `customers` reads as zero.
    /// Throws db::DataError.
    RefreshResult RefreshMember(CustomerSource &customers, TDepMember &member,
                                const std::optional<QString> &oneCustomerOpenFor = std::nullopt);
    /// RefreshMember for the first member whose Id is `id`.
    RefreshResult RefreshMemberById(CustomerSource &customers, const QString &id,
                                    const std::optional<QString> &oneCustomerOpenFor = std::nullopt);
    /// Step 3 of a refresh, for a caller that already holds the row.
    static void SetBalances(TDepMember &member, double totalpoints, double reserve);

    /// a / 100 * p.
    static double Percent(double p, double a) { return a / 100 * p; }
    /// 0 below 30, 1 below 50, 2 below 80, 3 from 80.
    static int PersonalRank(double x) { return x < 30 ? 0 : x < 50 ? 1 : x < 80 ? 2 : 3; }

    /// The explanation of `member`'s bonus: one entry per credited amount in
    /// the order the computation credits them, " <amount> (<label>)" with the
    /// amount to four decimals and the locale's decimal separator, followed by
    /// a blank and the Id and Name of the member whose points produced it (not
    /// for the personal bonus), entries separated by LF CR. Written on demand
    /// from the figures of the last CalcBonus rather than kept for every
    /// member, which would cost more than the computation itself; so it always
    /// explains the Bonus shown, also after RefreshMember until Recompute.
    /// Empty for a record that is not a member. Time linear in the member's
    /// downline.
    QString Detail(const TDepMember &member) const;
    /// Detail of every member, in list order, in one pass over the list.
    std::vector<QString> Details() const;

    /// Appends one explanation entry to `detail`: LF CR when it is not empty,
    /// then "%s %.4f (%s)" and, when `note` is not empty, a blank and the note.
    static void AddBonusEntry(QString &detail, const QString &label, double amount, QStringView note,
                              QStringView decimalPoint);

    const DepLabels &labels() const { return m_labels; }
    void setLabels(const DepLabels &labels) { m_labels = labels; }

private:
    void Classify(TDepMember &member);

    // The bonus rules, each for the credits one member's points produce. A
    // sink takes every amount that is not zero: CalcBonus adds it to the
    // target's Bonus, Detail writes the entries of one target and Details
    // those of every member. `stopAt` ends an upline walk once it has passed
    // that member; `reach` ends it where no one further up can take part. The
    // rules read the kept BonusFigures.
    struct Reach
    {
        const TDepMember *top; ///< the first member of the stretch `depth` covers
        std::vector<qint32> depth;
        qint32 at(const TDepMember &u) const { return depth[std::size_t(&u - top)]; }
    };
    /// Reach over the stretch [top, end) of the list, a member and its whole
    /// downline, with walks taken to end at `top`.
    static Reach ReachOver(const TDepMember *top, const TDepMember *end);
    template <class Sink> void CreditsFrom(const TDepMember &m, const Reach &reach, const TDepMember *stopAt, Sink &sink) const;
    template <class Sink> void PersonalPointsBonus(const TDepMember &m, Sink &sink) const;
    template <class Sink> void DirectorBonus(const TDepMember &m, Sink &sink) const;
    template <class Sink> void CoordinatorBonus(const TDepMember &m, Sink &sink) const;
    template <class Sink> void UplineBonus(const TDepMember &m, const Reach &reach, const TDepMember *stopAt, Sink &sink) const;
    template <class Sink> void NetBonus(const TDepMember &m, const TDepMember &u, Sink &sink) const;
    template <class Sink> void RankBonus(const TDepMember &m, const TDepMember &u, int &best, Sink &sink) const;

    DepLabels m_labels;
    std::vector<TDepMember> m_members;
};
