#pragma once
// A customer's department: the customer and its whole downline with levels,
// personal and group points, statuses and bonuses with their explanation.
// Reads the database, never writes it; QtCore only, so the organization
// window, the printed report and the command-line tool share one computation.

#include "DepLabels.h"
#include "DepMember.h"

#include "engine/Errors.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <span>
#include <vector>

namespace db { class Connection; }

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
    void Build(db::Connection &connection, const QString &id);

    /// Loads the members with their points, without computing. Reads the
    /// customer table once. Throws DepLoadError (also for a sponsor cycle);
    /// the department then stays as it was.
    void LoadDepartment(db::Connection &connection, const QString &id);

    /// ResetTotals, SumGroups, ResetBonus, CalcBonus: the figures after the
    /// members' points changed in memory.
    void Recompute();

    void ResetTotals();
    /// CountActive, then group points and statuses from the last member up.
    void SumGroups();
    void CountActive();
    void ResetBonus();
    void CalcBonus();

    /// Rereads the member's running points and reserve (unrounded) and moves
    /// its group points by the change. `oneCustomerOpenFor` is the customer
    /// the data module's one-customer query is open for (nullopt when
    /// closed): open for another customer gives RefreshError and changes
    /// nothing. A customer no longer in the database reads as zero.
    /// Throws db::DataError.
    RefreshResult RefreshMember(db::Connection &connection, TDepMember &member,
                                const std::optional<QString> &oneCustomerOpenFor = std::nullopt);
    /// RefreshMember for the first member whose Id is `id`.
    RefreshResult RefreshMemberById(db::Connection &connection, const QString &id,
                                    const std::optional<QString> &oneCustomerOpenFor = std::nullopt);
    /// Step 3 of a refresh, for a caller that already holds the row.
    static void SetBalances(TDepMember &member, double totalpoints, double reserve);

    /// a / 100 * p.
    static double Percent(double p, double a) { return a / 100 * p; }
    /// 0 below 30, 1 below 50, 2 below 80, 3 from 80.
    static int PersonalRank(double x) { return x < 30 ? 0 : x < 50 ? 1 : x < 80 ? 2 : 3; }
    /// Points rounded to hundredths, ties to even.
    static double RoundHundredths(double value);

    /// Credits `amount` to `member` and appends its explanation entry
    /// " <amount> (<label>)[ <note>]" after an LF CR when there is one before.
    void AddBonus(TDepMember &member, const QString &label, const QString &note, double amount) const;

    const DepLabels &labels() const { return m_labels; }
    void setLabels(const DepLabels &labels) { m_labels = labels; }

private:
    void Classify(TDepMember &member);
    void PersonalPointsBonus(TDepMember &m);
    void DirectorBonus(TDepMember &m);
    void CoordinatorBonus(TDepMember &m);
    void UplineBonus(TDepMember &m, const std::vector<qint32> &reach);
    void NetBonus(const TDepMember &m, TDepMember &u);
    void RankBonus(const TDepMember &m, TDepMember &u, int &best);
    /// Credits `amount` and appends its entry; the note names `from` when
    /// given, else it is `note`.
    static void appendEntry(TDepMember &member, const QString &label, double amount, QStringView decimalPoint,
                            const TDepMember *from, QStringView note);
    /// Credits only amounts that are not zero (negative ones included); the
    /// note names `from` when given. The entry is written by writeDetails.
    void Credit(TDepMember &member, const QString &label, const TDepMember *from, double amount);
    /// Appends the entries credited since the last call to the explanations.
    void writeDetails();

    /// One credit waiting for its explanation entry.
    struct PendingEntry
    {
        TDepMember *member;
        const QString *label;
        const TDepMember *from;
        quint32 digits; // the amount's text in m_pendingDigits
        quint32 digitsLength;
    };
    std::vector<PendingEntry> m_pending;
    std::string m_pendingDigits;

    DepLabels m_labels;
    QString m_decimalPoint; // the locale's, taken once per CalcBonus
    std::vector<TDepMember> m_members;
};
