#include "Department.h"

#include "CustomerSource.h"
#include "DepNumbers.h"

#include <QLocale>

#include <algorithm>
#include <functional>
#include <cmath>

Department::Department(DepLabels labels) : m_labels(std::move(labels)) {}

void Department::Build(CustomerSource &customers, const QString &id)
{
    // Computed aside and swapped in, so a failed load leaves the members the
    // window still shows untouched.
    Department next(m_labels);
    next.LoadDepartment(customers, id);
    next.ResetTotals();
    next.SumGroups();
    next.CalcBonus();
    *this = std::move(next);
}

void Department::Recompute()
{
    ResetTotals();
    SumGroups();
    ResetBonus();
    CalcBonus();
}

void Department::ResetTotals()
{
    for (TDepMember &m : m_members) {
        m.GroupPoints = 0;
        m.CoordinatorCount = 0;
        m.DirectorCount = 0;
        m.ActiveCount = 0;
        m.Status = TDepStatus::Ordinary;
    }
}

void Department::CountActive()
{
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it)
        if (it->PersonalPoints > 0 && it->Parent)
            ++it->Parent->ActiveCount;
}

void Department::SumGroups()
{
    CountActive();
    // From the last member up, every member is complete before its sponsor
    // takes its group points and status.
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it) {
        TDepMember &m = *it;
        m.GroupPoints += m.PersonalPoints;
        Classify(m);
        if (m.Parent)
            m.Parent->GroupPoints += m.GroupPoints;
    }
}

void Department::Classify(TDepMember &m)
{
    if (m.CoordinatorCount >= 5) {
        m.Status = TDepStatus::Director;
        if (m.Parent)
            ++m.Parent->DirectorCount;
    } else if (m.GroupPoints >= 500) {
        m.Status = TDepStatus::Coordinator;
        if (m.Parent)
            ++m.Parent->CoordinatorCount;
    } else {
        m.Status = TDepStatus::Ordinary;
    }
}

void Department::ResetBonus()
{
    for (TDepMember &m : m_members) {
        m.Bonus = 0;
        m.BonusFigures = {}; // no points, no status: nothing to explain
    }
}

void Department::AddBonusEntry(QString &detail, const QString &label, double amount, QStringView note,
                               QStringView decimalPoint)
{
    if (!detail.isEmpty())
        detail += QLatin1String("\n\r");
    detail += u' ';
    char digits[330];
    const int length = depnumbers::fixed4(amount, digits);
    for (int i = 0; i < length; ++i) {
        if (digits[i] == '.')
            detail += decimalPoint;
        else
            detail += QLatin1Char(digits[i]);
    }
    detail += QLatin1String(" (");
    detail += label;
    detail += u')';
    if (!note.isEmpty()) {
        detail += u' ';
        detail += note;
    }
}

Department::Reach Department::ReachOver(const TDepMember *top, const TDepMember *end)
{
    // depth[i]: the farthest walk depth at which member i or an ancestor above
    // it (up to where an upline walk through i ends, and no higher than top)
    // can still take part. An upline walk stops once no one further up can,
    // which keeps a pass linear on long chains of ordinary members without
    // changing any credit.
    Reach reach{top, std::vector<qint32>(std::size_t(end - top))};
    for (std::size_t i = 0; i < reach.depth.size(); ++i) {
        const TDepMember &u = top[i];
        qint32 r = u.BonusFigures.ActiveCount;
        if (i > 0 && u.BonusFigures.Status == TDepStatus::Ordinary && u.Parent) {
            // Pre-order: the sponsor of a member below the top lies before it.
            Q_ASSERT(!std::less<>()(u.Parent, top) && std::less<>()(u.Parent, &u));
            r = std::max(r, reach.at(*u.Parent) - 1);
        }
        reach.depth[i] = r;
    }
    return reach;
}

void Department::CalcBonus()
{
    for (TDepMember &m : m_members)
        m.BonusFigures = {m.PersonalPoints, m.GroupPoints, m.ActiveCount, m.CoordinatorCount, m.Status};
    if (m_members.empty())
        return;

    TDepMember *const first = m_members.data();
    const Reach reach = ReachOver(first, first + m_members.size());
    auto credit = [first](const TDepMember &target, const QString &, const TDepMember *, double amount) {
        first[&target - first].Bonus += amount;
    };
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it)
        CreditsFrom(*it, reach, nullptr, credit);
}

namespace {

/// The note of an entry: the Id and Name of the member whose points produced
/// it, nothing for the personal bonus.
void writeNote(QString &note, const TDepMember *from)
{
    note.clear();
    if (from) {
        note += from->Id;
        note += u' ';
        note += from->Name;
    }
}

} // namespace

QString Department::Detail(const TDepMember &member) const
{
    // Only the member itself and its downline credit it, and its downline is
    // the stretch of the list after it with deeper levels; going through that
    // stretch from its end as CalcBonus does gives the entries in its order.
    const TDepMember *const begin = &member;
    const TDepMember *const last = m_members.data() + m_members.size();
    if (std::less<>()(begin, m_members.data()) || !std::less<>()(begin, last))
        return QString(); // not a member of this department
    const TDepMember *end = begin + 1;
    while (end != last && end->Level > member.Level)
        ++end;

    // Walks end at the member, so reach over its stretch alone skips the same
    // ancestors for it as CalcBonus skipped.
    const Reach reach = ReachOver(begin, end);
    QString detail;
    const QString point = QLocale().decimalPoint();
    QString note;
    auto explain = [&](const TDepMember &target, const QString &label, const TDepMember *from, double amount) {
        if (&target != &member)
            return;
        writeNote(note, from);
        AddBonusEntry(detail, label, amount, note, point);
    };
    for (const TDepMember *x = end; x != begin;)
        CreditsFrom(*--x, reach, &member, explain);
    return detail;
}

std::vector<QString> Department::Details() const
{
    std::vector<QString> details(m_members.size());
    if (m_members.empty())
        return details;
    const TDepMember *const first = m_members.data();
    const Reach reach = ReachOver(first, first + m_members.size());
    const QString point = QLocale().decimalPoint();
    QString note;
    auto explain = [&](const TDepMember &target, const QString &label, const TDepMember *from, double amount) {
        writeNote(note, from);
        AddBonusEntry(details[std::size_t(&target - first)], label, amount, note, point);
    };
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it)
        CreditsFrom(*it, reach, nullptr, explain);
    return details;
}

template <class Sink>
void Department::CreditsFrom(const TDepMember &m, const Reach &reach, const TDepMember *stopAt, Sink &sink) const
{
    PersonalPointsBonus(m, sink);
    switch (m.BonusFigures.Status) {
    case TDepStatus::Director:
        DirectorBonus(m, sink);
        break;
    case TDepStatus::Coordinator:
        CoordinatorBonus(m, sink);
        break;
    case TDepStatus::Ordinary:
        UplineBonus(m, reach, stopAt, sink);
        break;
    }
}

namespace {

// Each rule credits an amount only when it is not zero; negative amounts are
// credited.
template <class Sink>
void credit(Sink &sink, const TDepMember &target, const QString &label, const TDepMember *from, double amount)
{
    if (amount != 0)
        sink(target, label, from, amount);
}

} // namespace

template <class Sink>
void Department::PersonalPointsBonus(const TDepMember &m, Sink &sink) const
{
    const double P = m.BonusFigures.PersonalPoints;
    const double G = m.BonusFigures.GroupPoints;
    double amount = 0;
    if (P >= 150)
        amount = Percent(18, P);
    else if (P >= 80)
        amount = Percent(15, P);
    else if (P >= 50)
        amount = Percent(10, P);
    else if (P >= 30 && G > P)
        amount = Percent(7, P);
    else if (P >= 20)
        amount = Percent(5, P);
    credit(sink, m, m_labels.lPersonalPoints, nullptr, amount);
}

template <class Sink>
void Department::DirectorBonus(const TDepMember &m, Sink &sink) const
{
    const double G = m.BonusFigures.GroupPoints;
    static constexpr double shares[] = {2, 1, 0.5};
    const TDepMember *u = m.Parent;
    for (double share : shares) {
        if (!u || u->BonusFigures.Status != TDepStatus::Director)
            return;
        credit(sink, *u, m_labels.lDirectorPoints, &m, Percent(share, G));
        u = u->Parent;
    }
}

template <class Sink>
void Department::CoordinatorBonus(const TDepMember &m, Sink &sink) const
{
    auto leads = [](const TDepMember *u) { return u && u->BonusFigures.Status != TDepStatus::Ordinary; };
    const TDepMember *p1 = m.Parent;
    if (!leads(p1) || p1->BonusFigures.CoordinatorCount < 1)
        return;
    const int n = p1->BonusFigures.CoordinatorCount;
    const double G = m.BonusFigures.GroupPoints;
    const QString &label = m_labels.lCoordinatorPoints;

    // The fixed 5 points go to the first upline leader for each coordinator below it.
    const double first = n <= 2 ? Percent(1, G) : n <= 4 ? Percent(3, G) : Percent(5, G);
    credit(sink, *p1, label, &m, first + 5);
    if (n <= 2)
        return;
    const TDepMember *p2 = p1->Parent;
    if (!leads(p2))
        return;
    credit(sink, *p2, label, &m, n <= 4 ? Percent(1, G) : Percent(3, G));
    if (n <= 4)
        return;
    const TDepMember *p3 = p2->Parent;
    if (leads(p3))
        credit(sink, *p3, label, &m, Percent(2, G));
}

template <class Sink>
void Department::UplineBonus(const TDepMember &m, const Reach &reach, const TDepMember *stopAt, Sink &sink) const
{
    const double P = m.BonusFigures.PersonalPoints;
    if (P == 0)
        return; // every share of nothing is nothing, and nothing is credited
    if (&m == stopAt)
        return; // the walk credits only members above it, none of whom is asked about
    int best = PersonalRank(P);
    const TDepMember *u = m.Parent;
    qint32 depth = 1;
    while (u) {
        if (reach.at(*u) < depth)
            break;
        if (depth <= u->BonusFigures.ActiveCount) {
            NetBonus(m, *u, sink);
            if (best != 3)
                RankBonus(m, *u, best, sink);
        }
        if (u->BonusFigures.Status != TDepStatus::Ordinary || u == stopAt)
            break;
        u = u->Parent;
        ++depth;
    }
}

template <class Sink>
void Department::NetBonus(const TDepMember &m, const TDepMember &u, Sink &sink) const
{
    const double P = m.BonusFigures.PersonalPoints;
    const double uP = u.BonusFigures.PersonalPoints;
    const double uG = u.BonusFigures.GroupPoints;
    if (!(uP >= 50 || (uP >= 30 && uG >= 150)))
        return;
    double amount;
    if (uG < 300)
        amount = uP >= 50 ? Percent(2, P) : Percent(1, P);
    else if (uG < 500)
        amount = Percent(3, P);
    else
        amount = Percent(5, P);
    credit(sink, u, m_labels.lNetPoints, &m, amount);
}

template <class Sink>
void Department::RankBonus(const TDepMember &m, const TDepMember &u, int &best, Sink &sink) const
{
    const int r = PersonalRank(u.BonusFigures.PersonalPoints);
    if (r > 1 && r > best) {
        const double P = m.BonusFigures.PersonalPoints;
        credit(sink, u, m_labels.lGroupPoints, &m, (r == 2 || r - best == 1) ? Percent(5, P) : Percent(10, P));
        best = r;
    }
}


void Department::SetBalances(TDepMember &member, double totalpoints, double reserve)
{
    const double old = member.PersonalPoints;
    member.PersonalPoints = totalpoints;
    member.GroupPoints += totalpoints - old;
    member.Reserve = reserve;
}

Department::RefreshResult Department::RefreshMember(CustomerSource &customers, TDepMember &member,
                                                    const std::optional<QString> &oneCustomerOpenFor)
{
    if (oneCustomerOpenFor && *oneCustomerOpenFor != member.Id)
        return RefreshResult::RefreshError;
    const CustomerBalances balances = customers.balances(member.Id).value_or(CustomerBalances());
    SetBalances(member, balances.totalpoints, balances.reserve);
    return RefreshResult::Refreshed;
}

Department::RefreshResult Department::RefreshMemberById(CustomerSource &customers, const QString &id,
                                                        const std::optional<QString> &oneCustomerOpenFor)
{
    for (TDepMember &m : m_members)
        if (m.Id == id)
            return RefreshMember(customers, m, oneCustomerOpenFor);
    return RefreshResult::NotInDepartment;
}
