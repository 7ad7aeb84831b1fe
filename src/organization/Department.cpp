#include "Department.h"

#include "DepNumbers.h"

#include "engine/Connection.h"
#include "engine/Statement.h"

#include <QLocale>

#include <algorithm>
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
    // rint follows the default rounding mode: nearest, ties to even.
    return std::rint(value / 0.01) * 0.01;
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
    appendEntry(member, label, amount, QLocale().decimalPoint(), nullptr, note);
}

void Department::appendEntry(TDepMember &member, const QString &label, double amount, QStringView decimalPoint,
                             const TDepMember *from, QStringView note)
{
    member.Bonus += amount;
    // "%s %.4f (%s)" over the text so far plus the note, written in place
    // rather than rebuilt: a long explanation costs linear time.
    char digits[330];
    const int length = depnumbers::fixed4(amount, digits);
    QString &detail = member.Detail;
    const qsizetype old = detail.size();
    const bool named = from != nullptr;
    const bool noted = !named && !note.isEmpty();
    const qsizetype added = (old > 0 ? 2 : 0) + 1 + length - 1 + decimalPoint.size() + 2 + label.size() + 1
                            + (named ? 2 + from->Id.size() + from->Name.size() : 0) + (noted ? 1 + note.size() : 0);
    if (detail.capacity() < old + added)
        detail.reserve(std::max(old + added, 2 * detail.capacity()));
    detail.resize(old + added);
    QChar *out = detail.data() + old;
    const auto put = [&out](QStringView text) {
        std::copy(text.begin(), text.end(), out);
        out += text.size();
    };
    if (old > 0) {
        *out++ = u'\n';
        *out++ = u'\r';
    }
    *out++ = u' ';
    for (int i = 0; i < length; ++i) {
        if (digits[i] == '.')
            put(decimalPoint);
        else
            *out++ = QLatin1Char(digits[i]);
    }
    *out++ = u' ';
    *out++ = u'(';
    put(label);
    *out++ = u')';
    if (named) {
        *out++ = u' ';
        put(from->Id);
        *out++ = u' ';
        put(from->Name);
    } else if (noted) {
        *out++ = u' ';
        put(note);
    }
    Q_ASSERT(out == detail.data() + detail.size());
}

void Department::Credit(TDepMember &member, const QString &label, const TDepMember *from, double amount)
{
    if (amount == 0)
        return;
    member.Bonus += amount;
    char digits[330];
    const int length = depnumbers::fixed4(amount, digits);
    m_pending.push_back({&member, &label, from, quint32(m_pendingDigits.size()), quint32(length)});
    m_pendingDigits.append(digits, std::size_t(length));
}

void Department::writeDetails()
{
    // Two passes so that every explanation is allocated once at its final
    // size: hundreds of thousands of entries would otherwise cost as many
    // reallocations as the computation itself.
    const QStringView point = m_decimalPoint;
    std::vector<qsizetype> added(m_members.size(), 0);
    const auto index = [this](const TDepMember *m) { return std::size_t(m - m_members.data()); };
    for (const PendingEntry &e : m_pending) {
        const std::size_t i = index(e.member);
        if (added[i] > 0 || !e.member->Detail.isEmpty())
            added[i] += 2;
        added[i] += 1 + e.digitsLength - 1 + point.size() + 2 + e.label->size() + 1
                    + (e.from ? 2 + e.from->Id.size() + e.from->Name.size() : 0);
    }
    std::vector<QChar *> cursor(m_members.size(), nullptr);
    for (std::size_t i = 0; i < m_members.size(); ++i) {
        if (added[i] == 0)
            continue;
        QString &detail = m_members[i].Detail;
        const qsizetype old = detail.size();
        detail.resize(old + added[i]);
        cursor[i] = detail.data() + old;
    }
    for (const PendingEntry &e : m_pending) {
        QChar *&out = cursor[index(e.member)];
        const auto put = [&out](QStringView text) { out = std::copy(text.begin(), text.end(), out); };
        if (out != e.member->Detail.constData()) {
            *out++ = u'\n';
            *out++ = u'\r';
        }
        *out++ = u' ';
        for (const char c : std::string_view(m_pendingDigits).substr(e.digits, e.digitsLength)) {
            if (c == '.')
                put(point);
            else
                *out++ = QLatin1Char(c);
        }
        *out++ = u' ';
        *out++ = u'(';
        put(*e.label);
        *out++ = u')';
        if (e.from) {
            *out++ = u' ';
            put(e.from->Id);
            *out++ = u' ';
            put(e.from->Name);
        }
    }
    for (std::size_t i = 0; i < m_members.size(); ++i)
        Q_ASSERT(!cursor[i] || cursor[i] == m_members[i].Detail.constData() + m_members[i].Detail.size());
    std::vector<PendingEntry>().swap(m_pending);
    std::string().swap(m_pendingDigits);
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
    writeDetails();
}

void Department::PersonalPointsBonus(TDepMember &m)
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
    Credit(m, m_labels.lPersonalPoints, nullptr, amount);
}

void Department::DirectorBonus(TDepMember &m)
{
    const double G = m.GroupPoints;
    static constexpr double shares[] = {2, 1, 0.5};
    TDepMember *u = m.Parent;
    for (double share : shares) {
        if (!u || u->Status != TDepStatus::Director)
            return;
        Credit(*u, m_labels.lDirectorPoints, &m, Percent(share, G));
        u = u->Parent;
    }
}

void Department::CoordinatorBonus(TDepMember &m)
{
    auto leads = [](const TDepMember *u) { return u && u->Status != TDepStatus::Ordinary; };
    TDepMember *p1 = m.Parent;
    if (!leads(p1) || p1->CoordinatorCount < 1)
        return;
    const int n = p1->CoordinatorCount;
    const double G = m.GroupPoints;
    const TDepMember *from = &m;
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

void Department::UplineBonus(TDepMember &m, const std::vector<qint32> &reach)
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

void Department::NetBonus(const TDepMember &m, TDepMember &u)
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
    Credit(u, m_labels.lNetPoints, &m, amount);
}

void Department::RankBonus(const TDepMember &m, TDepMember &u, int &best)
{
    const int r = PersonalRank(u.PersonalPoints);
    if (r > 1 && r > best) {
        const double P = m.PersonalPoints;
        Credit(u, m_labels.lGroupPoints, &m, (r == 2 || r - best == 1) ? Percent(5, P) : Percent(10, P));
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
