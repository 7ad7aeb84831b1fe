#include "Department.h"

#include "DepNumbers.h"

#include "engine/Connection.h"
#include "engine/Statement.h"

#include <QLocale>

#include <cmath>

Department::Department(DepLabels labels) : m_labels(std::move(labels)) {}

void Department::Build(db::Connection &connection, const QString &id)
{
    // Computed aside and swapped in, so a failed load leaves the members the
    // window still shows untouched.
    Department next(m_labels);
    next.LoadDepartment(connection, id);
    next.ResetTotals();
    next.SumGroups();
    next.CalcBonus();
    *this = std::move(next);
}

double Department::RoundHundredths(double value)
{
    // nearbyint follows the default rounding mode: nearest, ties to even.
    return std::nearbyint(value / 0.01) * 0.01;
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
        m.Detail.clear();
    }
}

void Department::AddBonus(TDepMember &member, const QString &label, const QString &note, double amount) const
{
    appendBonus(member, label, note, amount, QLocale().decimalPoint());
}

void Department::appendBonus(TDepMember &member, const QString &label, const QString &note, double amount,
                             const QString &decimalPoint)
{
    member.Bonus += amount;
    // "%s %.4f (%s)" over the text so far, appended rather than rebuilt so a
    // long explanation costs linear time.
    if (!member.Detail.isEmpty())
        member.Detail += QLatin1String("\n\r");
    member.Detail += u' ';
    member.Detail += depnumbers::fixed4(amount, decimalPoint);
    member.Detail += QLatin1String(" (");
    member.Detail += label;
    member.Detail += u')';
    if (!note.isEmpty()) {
        member.Detail += u' ';
        member.Detail += note;
    }
}

void Department::CalcBonus()
{
    m_decimalPoint = QLocale().decimalPoint();

    // reach[i]: the farthest walk depth at which member i or an ancestor above
    // it (up to where an upline walk through i ends) can still take part. An
    // upline walk stops once no one further up can, which keeps the pass
    // linear on long chains of ordinary members without changing any credit.
    std::vector<qint32> reach(m_members.size());
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        const TDepMember &u = m_members[i];
        qint32 r = u.ActiveCount;
        if (u.Status == TDepStatus::Ordinary && u.Parent)
            r = std::max(r, reach[std::size_t(u.Parent - m_members.data())] - 1);
        reach[i] = r;
    }

    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it) {
        TDepMember &m = *it;
        PersonalPointsBonus(m);
        switch (m.Status) {
        case TDepStatus::Director:
            DirectorBonus(m);
            break;
        case TDepStatus::Coordinator:
            CoordinatorBonus(m);
            break;
        case TDepStatus::Ordinary:
            UplineBonus(m, reach);
            break;
        }
    }
}

void Department::PersonalPointsBonus(TDepMember &m) const
{
    const double P = m.PersonalPoints;
    const double G = m.GroupPoints;
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
    Credit(m, m_labels.lPersonalPoints, QString(), amount);
}

void Department::DirectorBonus(TDepMember &m) const
{
    const double G = m.GroupPoints;
    const QString from = note(m);
    static constexpr double shares[] = {2, 1, 0.5};
    TDepMember *u = m.Parent;
    for (double share : shares) {
        if (!u || u->Status != TDepStatus::Director)
            return;
        Credit(*u, m_labels.lDirectorPoints, from, Percent(share, G));
        u = u->Parent;
    }
}

void Department::CoordinatorBonus(TDepMember &m) const
{
    auto leads = [](const TDepMember *u) { return u && u->Status != TDepStatus::Ordinary; };
    TDepMember *p1 = m.Parent;
    if (!leads(p1) || p1->CoordinatorCount < 1)
        return;
    const int n = p1->CoordinatorCount;
    const double G = m.GroupPoints;
    const QString from = note(m);
    const QString &label = m_labels.lCoordinatorPoints;

    // The fixed 5 points go to the first upline leader for each coordinator below it.
    const double first = n <= 2 ? Percent(1, G) : n <= 4 ? Percent(3, G) : Percent(5, G);
    Credit(*p1, label, from, first + 5);
    if (n <= 2)
        return;
    TDepMember *p2 = p1->Parent;
    if (!leads(p2))
        return;
    Credit(*p2, label, from, n <= 4 ? Percent(1, G) : Percent(3, G));
    if (n <= 4)
        return;
    TDepMember *p3 = p2->Parent;
    if (leads(p3))
        Credit(*p3, label, from, Percent(2, G));
}

void Department::UplineBonus(TDepMember &m, const std::vector<qint32> &reach) const
{
    const double P = m.PersonalPoints;
    if (P == 0)
        return; // every share of nothing is nothing, and nothing is credited
    int best = PersonalRank(P);
    TDepMember *u = m.Parent;
    qint32 depth = 1;
    while (u) {
        if (reach[std::size_t(u - m_members.data())] < depth)
            break;
        if (depth <= u->ActiveCount) {
            NetBonus(m, *u);
            if (best != 3)
                RankBonus(m, *u, best);
        }
        if (u->Status != TDepStatus::Ordinary)
            break;
        u = u->Parent;
        ++depth;
    }
}

void Department::NetBonus(const TDepMember &m, TDepMember &u) const
{
    const double P = m.PersonalPoints;
    const double uP = u.PersonalPoints;
    const double uG = u.GroupPoints;
    if (!(uP >= 50 || (uP >= 30 && uG >= 150)))
        return;
    double amount;
    if (uG < 300)
        amount = uP >= 50 ? Percent(2, P) : Percent(1, P);
    else if (uG < 500)
        amount = Percent(3, P);
    else
        amount = Percent(5, P);
    Credit(u, m_labels.lNetPoints, note(m), amount);
}

void Department::RankBonus(const TDepMember &m, TDepMember &u, int &best) const
{
    const int r = PersonalRank(u.PersonalPoints);
    if (r > 1 && r > best) {
        const double P = m.PersonalPoints;
        Credit(u, m_labels.lGroupPoints, note(m), (r == 2 || r - best == 1) ? Percent(5, P) : Percent(10, P));
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

Department::RefreshResult Department::RefreshMember(db::Connection &connection, TDepMember &member,
                                                    const std::optional<QString> &oneCustomerOpenFor)
{
    if (oneCustomerOpenFor && *oneCustomerOpenFor != member.Id)
        return RefreshResult::RefreshError;
    db::Statement query(connection.handle(), QStringLiteral("select totalpoints, reserve from customer where id = :id"));
    query.bind(QStringLiteral(":id"), member.Id);
    double totalpoints = 0;
    double reserve = 0;
    if (query.step()) {
        totalpoints = query.real(0);
        reserve = query.real(1);
    }
    SetBalances(member, totalpoints, reserve);
    return RefreshResult::Refreshed;
}

Department::RefreshResult Department::RefreshMemberById(db::Connection &connection, const QString &id,
                                                        const std::optional<QString> &oneCustomerOpenFor)
{
    for (TDepMember &m : m_members)
        if (m.Id == id)
            return RefreshMember(connection, m, oneCustomerOpenFor);
    return RefreshResult::NotInDepartment;
}
