// The computation: group points, statuses and every bonus rule, checked on the
// two worked sponsor trees member by member and on the edges around them.

#include "DepartmentFixture.h"

#include "CustomerList.h"

#include <random>

namespace {

struct Expected
{
    const char *id;
    int level;
    double personal, group;
    int active;
    TDepStatus status;
    double bonus;
};

void expectMembers(const Department &department, std::span<const Expected> expected)
{
    ASSERT_EQ(department.count(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TDepMember &m = department.DepList()[i];
        const Expected &e = expected[i];
        SCOPED_TRACE(e.id);
        EXPECT_EQ(m.Id, QString::fromLatin1(e.id));
        EXPECT_EQ(m.Level, e.level);
        EXPECT_EQ(m.Row, int(i) + 1);
        EXPECT_DOUBLE_EQ(m.PersonalPoints, e.personal);
        EXPECT_DOUBLE_EQ(m.GroupPoints, e.group);
        EXPECT_EQ(m.ActiveCount, e.active);
        EXPECT_EQ(m.Status, e.status);
        EXPECT_NEAR(m.Bonus, e.bonus, 1e-9);
    }
}

/// The explanation entries, split where the program starts a new one.
QStringList entries(const Department &department, const TDepMember &m)
{
    const QString detail = department.Detail(m);
    return detail.isEmpty() ? QStringList() : detail.split(QStringLiteral("\n\r"));
}

constexpr auto O = TDepStatus::Ordinary;
constexpr auto C = TDepStatus::Coordinator;
constexpr auto D = TDepStatus::Director;

/// The worked examples' departments of heads 1 and 10, in list order.
constexpr Expected kFirstExampleMembers[] = {
    {"1", 1, 100, 235, 2, O, 25.7}, {"2", 2, 60, 110, 2, O, 9.5},  {"4", 3, 40, 40, 0, O, 2},
    {"5", 3, 10, 10, 0, O, 0},      {"3", 2, 25, 25, 0, O, 1.25},
};
constexpr Expected kSecondExampleMembers[] = {
    {"10", 1, 100, 2650, 1, C, 90}, {"11", 2, 50, 2550, 5, D, 155}, {"21", 3, 500, 500, 0, C, 90},
    {"22", 3, 500, 500, 0, C, 90},  {"23", 3, 500, 500, 0, C, 90},  {"24", 3, 500, 500, 0, C, 90},
    {"25", 3, 500, 500, 0, C, 90},
};

} // namespace

TEST_F(DepartmentFixture, FirstExample_EveryMemberAndEntryAsWorkedOut)
{
    addFirstExample();
    const Department department = build(QStringLiteral("1"));

    expectMembers(department, kFirstExampleMembers);
    EXPECT_EQ(entries(department, member(department, QStringLiteral("1"))),
              QStringList({" 0.5000 (Net) 3 Bravo", " 2.5000 (Group) 3 Bravo", " 0.2000 (Net) 5 Delta",
                           " 0.5000 (Group) 5 Delta", " 0.8000 (Net) 4 Charlie", " 2.0000 (Group) 4 Charlie",
                           " 1.2000 (Net) 2 Alpha", " 3.0000 (Group) 2 Alpha", " 15.0000 (Personal)"}));
    EXPECT_EQ(entries(department, member(department, QStringLiteral("2"))),
              QStringList({" 0.2000 (Net) 5 Delta", " 0.5000 (Group) 5 Delta", " 0.8000 (Net) 4 Charlie",
                           " 2.0000 (Group) 4 Charlie", " 6.0000 (Personal)"}));
    // 5 % rather than 7 %: member 4's group is no more than its own points.
    EXPECT_EQ(department.Detail(member(department, QStringLiteral("4"))), QStringLiteral(" 2.0000 (Personal)"));
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("5"))).isEmpty());
    EXPECT_EQ(department.Detail(member(department, QStringLiteral("3"))), QStringLiteral(" 1.2500 (Personal)"));
    EXPECT_EQ(member(department, QStringLiteral("3")).SponsorId, QStringLiteral("1"));
    EXPECT_EQ(member(department, QStringLiteral("4")).Parent, &department.DepList()[1]);
    EXPECT_EQ(department.DepList()[0].Parent, nullptr);
}

TEST_F(DepartmentFixture, FirstExample_AmountsUseTheLocaleDecimalSeparatorAndLabels)
{
    testing_support::LocaleGuard comma(testing_support::commaLocale());
    addFirstExample();
    Department department{DepLabels()};
    DepLabels labels;
    labels.lNetPoints = QStringLiteral("Netz");
    labels.lGroupPoints = QStringLiteral("Gruppe");
    labels.lPersonalPoints = QStringLiteral("Eigen");
    department.setLabels(labels);
    department.Build(m_customers, QStringLiteral("1"));

    EXPECT_EQ(department.Detail(member(department, QStringLiteral("2"))),
              QStringLiteral(" 0,2000 (Netz) 5 Delta\n\r 0,5000 (Gruppe) 5 Delta\n\r 0,8000 (Netz) 4 Charlie\n\r"
                             " 2,0000 (Gruppe) 4 Charlie\n\r 6,0000 (Eigen)"));
}

TEST_F(DepartmentFixture, SecondExample_StatusesAndLeaderBonuses)
{
    addSecondExample();
    const Department department = build(QStringLiteral("10"));

    expectMembers(department, kSecondExampleMembers);
    const TDepMember &head = member(department, QStringLiteral("10"));
    const TDepMember &middle = member(department, QStringLiteral("11"));
    EXPECT_EQ(head.CoordinatorCount, 0);
    EXPECT_EQ(head.DirectorCount, 1);
    EXPECT_EQ(middle.CoordinatorCount, 5);
    EXPECT_EQ(entries(department, middle),
              QStringList({" 30.0000 (Coordinator) 25 Leader 25", " 30.0000 (Coordinator) 24 Leader 24",
                           " 30.0000 (Coordinator) 23 Leader 23", " 30.0000 (Coordinator) 22 Leader 22",
                           " 30.0000 (Coordinator) 21 Leader 21", " 5.0000 (Personal)"}));
    // Member 11 passes nothing up: its parent is no director.
    EXPECT_FALSE(department.Detail(head).contains(QStringLiteral("11 Middle")));
    EXPECT_EQ(entries(department, head).size(), 6);
    EXPECT_EQ(entries(department, head).first(), QStringLiteral(" 15.0000 (Coordinator) 25 Leader 25"));
    EXPECT_EQ(entries(department, head).last(), QStringLiteral(" 15.0000 (Personal)"));
}

TEST(DepartmentFromRows, WorkedExamplesWithoutADatabase)
{
    // The same rows in memory give the same departments as from the table,
    // and a refresh reads the balances the rows hold.
    struct Case
    {
        const char *head;
        std::span<const TestCustomer> rows;
        std::span<const Expected> members;
    };
    for (const Case &test : {Case{"1", kFirstExample, kFirstExampleMembers},
                             Case{"10", kSecondExample, kSecondExampleMembers}}) {
        SCOPED_TRACE(test.head);
        CustomerList customers;
        for (const TestCustomer &c : test.rows)
            customers.add({QString::fromUtf8(c.id), QString::fromUtf8(c.sponsor), QString::fromUtf8(c.name), c.points,
                           c.points / 10});
        Department department{DepLabels()};
        department.Build(customers, QString::fromLatin1(test.head));
        expectMembers(department, test.members);

        TDepMember &head = department.DepList()[0];
        EXPECT_DOUBLE_EQ(head.Reserve, test.rows[0].points / 10);
        head.PersonalPoints = 0;
        EXPECT_EQ(department.RefreshMember(customers, head), Department::RefreshResult::Refreshed);
        EXPECT_DOUBLE_EQ(head.PersonalPoints, test.rows[0].points);
    }
}

TEST_F(DepartmentFixture, NegativePoints_NoPersonalBonusAndNegativeUplineEntries)
{
    add(QStringLiteral("1"), QVariant(), QStringLiteral("Head"), 100);
    add(QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("Refuser"), -40);
    add(QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("Small"), 10);
    const Department department = build(QStringLiteral("1"));

    const TDepMember &refuser = member(department, QStringLiteral("2"));
    EXPECT_EQ(refuser.Bonus, 0);
    EXPECT_TRUE(department.Detail(refuser).isEmpty());
    const TDepMember &head = member(department, QStringLiteral("1"));
    EXPECT_EQ(head.ActiveCount, 1); // the refuser is not active
    EXPECT_DOUBLE_EQ(head.GroupPoints, 70);
    EXPECT_TRUE(department.Detail(head).contains(QStringLiteral(" -0.8000 (Net) 2 Refuser")));
    EXPECT_TRUE(department.Detail(head).contains(QStringLiteral(" -4.0000 (Group) 2 Refuser")));
    EXPECT_NEAR(head.Bonus, 15 - 0.8 - 4 + 0.2 + 1, 1e-9);
}

TEST_F(DepartmentFixture, DirectorUnderCoordinator_CreditsNothingUpwards)
{
    // T has five coordinators and H: a director. H's only member D is a
    // director over five coordinators, which makes H a coordinator.
    add(QStringLiteral("T"), QVariant(), QStringLiteral("Top"), 0);
    for (int i = 1; i <= 5; ++i)
        add(QStringLiteral("C%1").arg(i), QStringLiteral("T"), QStringLiteral("Coord %1").arg(i), 500);
    add(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("Holder"), 0);
    add(QStringLiteral("D"), QStringLiteral("H"), QStringLiteral("Dir"), 0);
    for (int i = 1; i <= 5; ++i)
        add(QStringLiteral("E%1").arg(i), QStringLiteral("D"), QStringLiteral("Exec %1").arg(i), 500);
    const Department department = build(QStringLiteral("T"));

    EXPECT_EQ(member(department, QStringLiteral("T")).Status, D);
    EXPECT_EQ(member(department, QStringLiteral("H")).Status, C);
    EXPECT_EQ(member(department, QStringLiteral("D")).Status, D);
    for (const TDepMember &m : department.DepList()) {
        EXPECT_FALSE(department.Detail(m).contains(QStringLiteral("(Director)"))) << m.Id.toStdString();
        EXPECT_FALSE(department.Detail(m).contains(QStringLiteral("D Dir"))) << m.Id.toStdString();
    }
    // The coordinators under D still reach three leaders up: D, H and T.
    const TDepMember &top = member(department, QStringLiteral("T"));
    EXPECT_TRUE(department.Detail(top).contains(QStringLiteral(" 10.0000 (Coordinator) E1 Exec 1")));
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("H"))).contains(QStringLiteral(" 15.0000 (Coordinator) E1 Exec 1")));
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("D"))).contains(QStringLiteral(" 30.0000 (Coordinator) E1 Exec 1")));
}

TEST_F(DepartmentFixture, DirectorChain_SharesTwoOneAndHalfPercent)
{
    // Four directors in a line, each with five coordinators of its own.
    QString sponsor;
    for (const char *id : {"A", "B", "C", "D"}) {
        add(QString::fromLatin1(id), sponsor.isEmpty() ? QVariant() : QVariant(sponsor), QStringLiteral("Dir %1").arg(QLatin1String(id)), 0);
        for (int i = 1; i <= 5; ++i)
            add(QStringLiteral("%1%2").arg(QLatin1String(id)).arg(i), QString::fromLatin1(id), QStringLiteral("z %1").arg(i), 500);
        sponsor = QString::fromLatin1(id);
    }
    const Department department = build(QStringLiteral("A"));
    const TDepMember &d = member(department, QStringLiteral("D"));
    ASSERT_EQ(d.Status, D);
    const double G = d.GroupPoints; // 2500
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("C"))).contains(
        QStringLiteral(" %1 (Director) D Dir D").arg(depnumbers::fixed4(G * 0.02))));
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("B"))).contains(
        QStringLiteral(" %1 (Director) D Dir D").arg(depnumbers::fixed4(G * 0.01))));
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("A"))).contains(
        QStringLiteral(" %1 (Director) D Dir D").arg(depnumbers::fixed4(G * 0.005))));
    // C's group is reported to B, A only: three directors up at most.
    EXPECT_FALSE(department.Detail(member(department, QStringLiteral("A"))).contains(QStringLiteral("(Director) B Dir B ")));
    EXPECT_EQ(department.Detail(member(department, QStringLiteral("A"))).count(QStringLiteral("(Director)")), 3);
}

TEST_F(DepartmentFixture, CoordinatorShares_FollowTheLeadersCoordinatorCount)
{
    // L2 over L1 over three coordinators: n = 3 gives L1 3 % + 5 and L2 1 %.
    add(QStringLiteral("L3"), QVariant(), QStringLiteral("Third"), 600);
    add(QStringLiteral("L2"), QStringLiteral("L3"), QStringLiteral("Second"), 0);
    add(QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("First"), 0);
    for (int i = 1; i <= 3; ++i)
        add(QStringLiteral("K%1").arg(i), QStringLiteral("L1"), QStringLiteral("Knot %1").arg(i), 1000);
    Department department = build(QStringLiteral("L3"));
    ASSERT_EQ(member(department, QStringLiteral("L1")).CoordinatorCount, 3);
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("L1"))).contains(QStringLiteral(" 35.0000 (Coordinator) K1 Knot 1")));
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("L2"))).contains(QStringLiteral(" 10.0000 (Coordinator) K1 Knot 1")));
    EXPECT_FALSE(department.Detail(member(department, QStringLiteral("L3"))).contains(QStringLiteral("K1 Knot 1")));

    // Two coordinators: only L1, with 1 % + 5.
    db::Statement(m_connection.handle(), QStringLiteral("delete from customer where id = 'K3'")).execute();
    department = build(QStringLiteral("L3"));
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("L1"))).contains(QStringLiteral(" 15.0000 (Coordinator) K1 Knot 1")));
    EXPECT_FALSE(department.Detail(member(department, QStringLiteral("L2"))).contains(QStringLiteral("K1 Knot 1")));
}

TEST_F(DepartmentFixture, PersonalBonus_ThresholdsAndTheDownlineCondition)
{
    struct Case
    {
        double personal, downline, amount;
    };
    const Case cases[] = {
        {19.99, 0, 0}, {20, 0, 1},       {29.99, 5, 1.4995},   {30, 0, 1.5},   {30, 1, 2.1},
        {49.99, 1, 3.4993}, {50, 0, 5}, {79.99, 0, 7.999}, {80, 0, 12}, {149.99, 0, 22.4985}, {150, 0, 27},
    };
    int n = 0;
    for (const Case &c : cases) {
        const QString id = QStringLiteral("P%1").arg(n++);
        add(id, QVariant(), QStringLiteral("Person %1").arg(n), c.personal);
        if (c.downline != 0)
            add(id + u'x', id, QStringLiteral("Below"), c.downline);
    }
    const Department department = build(QString());
    n = 0;
    for (const Case &c : cases) {
        const TDepMember &m = member(department, QStringLiteral("P%1").arg(n++));
        SCOPED_TRACE(m.PersonalPoints);
        const QStringList lines = entries(department, m);
        const QStringList personal = lines.filter(QStringLiteral("(Personal)"));
        if (c.amount == 0)
            EXPECT_TRUE(personal.isEmpty());
        else
            EXPECT_EQ(personal, QStringList(QStringLiteral(" %1 (Personal)").arg(depnumbers::fixed4(c.amount))));
    }
}

TEST_F(DepartmentFixture, NetBonus_TiersByTheAncestorsPoints)
{
    // Each leader U has one active member M with 100 points; the leader's
    // own points and a passive member with points decide the tier.
    struct Case
    {
        double leader, extra;
        const char *net; // expected Net entry amount for M's 100 points, or nullptr
    };
    const Case cases[] = {
        {45, 0, nullptr},   // 30..49 needs a group of 150
        {30, 20, "1.0000"}, // 30..49 with group 150: 1 %
        {50, 0, "2.0000"},  // 50 with group below 300: 2 %
        {50, 150, "3.0000"}, // group 300
        {60, 340, "5.0000"}, // group 500 (a coordinator still takes part)
        {29, 400, nullptr},
    };
    int n = 0;
    for (const Case &c : cases) {
        const QString u = QStringLiteral("U%1").arg(n);
        add(u, QVariant(), QStringLiteral("Leader %1").arg(n), c.leader);
        add(u + u'm', u, QStringLiteral("Active"), 100);
        if (c.extra != 0)
            add(u + u'p', u + u'm', QStringLiteral("Passive"), c.extra);
        ++n;
    }
    const Department department = build(QString());
    n = 0;
    for (const Case &c : cases) {
        const QString u = QStringLiteral("U%1").arg(n++);
        const QStringList net = entries(department, member(department, u)).filter(QStringLiteral("(Net) %1m Active").arg(u));
        SCOPED_TRACE(u.toStdString());
        if (c.net)
            EXPECT_EQ(net, QStringList(QStringLiteral(" %1 (Net) %2m Active").arg(QLatin1String(c.net), u)));
        else
            EXPECT_TRUE(net.isEmpty());
    }
}

TEST_F(DepartmentFixture, ActiveCount_LimitsHowFarUpAnAncestorTakesPart)
{
    // A (100) over B (60) over C (40): A has one active member, so only B
    // takes part for C.
    add(QStringLiteral("A"), QVariant(), QStringLiteral("Ann"), 100);
    add(QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("Ben"), 60);
    add(QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("Cid"), 40);
    Department department = build(QStringLiteral("A"));
    EXPECT_EQ(member(department, QStringLiteral("A")).ActiveCount, 1);
    EXPECT_FALSE(department.Detail(member(department, QStringLiteral("A"))).contains(QStringLiteral("C Cid")));
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("B"))).contains(QStringLiteral(" 0.8000 (Net) C Cid")));

    // A second active member lets A take part two generations down.
    add(QStringLiteral("B2"), QStringLiteral("A"), QStringLiteral("Bea"), 5);
    department = build(QStringLiteral("A"));
    EXPECT_EQ(member(department, QStringLiteral("A")).ActiveCount, 2);
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("A"))).contains(QStringLiteral(" 0.8000 (Net) C Cid")));
    // B's rank 2 is already above C's, so A's rank 3 is one more: 5 %.
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("A"))).contains(QStringLiteral(" 2.0000 (Group) C Cid")));

    // A member without points takes part in nobody's bonus.
    add(QStringLiteral("Z"), QStringLiteral("C"), QStringLiteral("Zero"), 0);
    department = build(QStringLiteral("A"));
    for (const TDepMember &m : department.DepList())
        EXPECT_FALSE(department.Detail(m).contains(QStringLiteral("Z Zero")));
}

TEST_F(DepartmentFixture, UplineWalk_EndsAtTheFirstLeader)
{
    // Top (100, two active members) over Lead (a coordinator by group) over
    // Low (40): the walk from Low stops at Lead, so Top gets nothing from it
    // although Top's active count would reach.
    add(QStringLiteral("T"), QVariant(), QStringLiteral("Top"), 100);
    add(QStringLiteral("O"), QStringLiteral("T"), QStringLiteral("Other"), 10);
    add(QStringLiteral("L"), QStringLiteral("T"), QStringLiteral("Lead"), 60);
    add(QStringLiteral("W"), QStringLiteral("L"), QStringLiteral("Low"), 40);
    add(QStringLiteral("X"), QStringLiteral("L"), QStringLiteral("Big"), 450);
    const Department department = build(QStringLiteral("T"));
    ASSERT_EQ(member(department, QStringLiteral("L")).Status, C);
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("L"))).contains(QStringLiteral(" 2.0000 (Net) W Low")));
    EXPECT_FALSE(department.Detail(member(department, QStringLiteral("T"))).contains(QStringLiteral("W Low")));
}

TEST_F(DepartmentFixture, Recompute_FollowsChangedPointsWithoutReloading)
{
    addFirstExample();
    Department department = build(QStringLiteral("1"));
    const TDepMember *first = department.DepList().data();

    // Member 3 passes its 25 points to member 5 in the database.
    setPoints(QStringLiteral("3"), 0, 0);
    setPoints(QStringLiteral("5"), 35, 0);
    EXPECT_EQ(department.RefreshMemberById(m_customers, QStringLiteral("3")), Department::RefreshResult::Refreshed);
    EXPECT_EQ(department.RefreshMemberById(m_customers, QStringLiteral("5")), Department::RefreshResult::Refreshed);
    department.Recompute();

    EXPECT_EQ(department.DepList().data(), first); // same records
    const TDepMember &head = member(department, QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(head.GroupPoints, 235);
    EXPECT_EQ(head.ActiveCount, 1);
    EXPECT_EQ(member(department, QStringLiteral("3")).Bonus, 0);
    EXPECT_DOUBLE_EQ(member(department, QStringLiteral("2")).GroupPoints, 135);
    EXPECT_FALSE(department.Detail(head).contains(QStringLiteral("3 Bravo")));
    // Nothing of the previous explanation stays behind.
    EXPECT_EQ(department.Detail(member(department, QStringLiteral("4"))), QStringLiteral(" 2.0000 (Personal)"));
    EXPECT_NEAR(member(department, QStringLiteral("5")).Bonus, 1.75, 1e-9);
}

TEST_F(DepartmentFixture, Detail_AddsUpToTheBonusOfEveryMember)
{
    // A random tree with every status: the explanation is written apart from
    // the computation, so each member's entries must add up to its bonus.
    std::mt19937 random(42);
    db::Transaction transaction(m_connection);
    QStringList ids;
    for (int i = 0; i < 800; ++i) {
        const QString id = QStringLiteral("M%1").arg(i);
        const QVariant sponsor = ids.isEmpty() || random() % 25 == 0
                                     ? QVariant()
                                     : QVariant(ids[int(ids.size() - 1 - qsizetype(random() % std::min<qsizetype>(ids.size(), 40)))]);
        const int kind = int(random() % 10);
        const double points = kind == 0 ? 500 + random() % 300 : kind == 1 ? -double(random() % 50)
                                                                           : double(random() % 20000) / 100;
        add(id, sponsor, QStringLiteral("Name %1").arg(i), points);
        ids << id;
    }
    transaction.commit();
    const Department department = build(QString());

    int statuses[3] = {};
    const std::vector<QString> all = department.Details();
    ASSERT_EQ(qsizetype(all.size()), department.count());
    for (const TDepMember &m : department.DepList()) {
        ++statuses[int(m.Status)];
        EXPECT_EQ(all[std::size_t(&m - department.DepList().data())], department.Detail(m)) << m.Id.toStdString();
        double sum = 0;
        const QStringList lines = entries(department, m);
        for (const QString &line : lines)
            sum += line.section(u' ', 1, 1).toDouble();
        EXPECT_NEAR(sum, m.Bonus, 0.00005 * lines.size() + 1e-9) << m.Id.toStdString();
    }
    EXPECT_GT(statuses[1], 0);
    EXPECT_GT(statuses[2], 0);
}

TEST_F(DepartmentFixture, DeepDownline_EveryExplanationAsWorkedOutAndAlikeOneByOneOrAllAtOnce)
{
    // A spine of 1,200 generations: S<i> (60) over A<i> (40), B<i> (-100) and
    // S<i+1>. Group points stay 0 (20 for the head), so everyone is ordinary
    // and every spine member has two active members: it takes part for two
    // generations below it and no further, however deep the downline goes.
    // The head has four more (X1 to X4, 5 each), so it takes part for six
    // generations, through spine members that reach only two.
    const int generations = 1200;
    {
        db::Transaction transaction(m_connection);
        for (int i = 1; i <= generations; ++i) {
            const QString s = QStringLiteral("S%1").arg(i);
            add(s, i == 1 ? QVariant() : QVariant(QStringLiteral("S%1").arg(i - 1)), QStringLiteral("Spine %1").arg(i), 60);
            add(QStringLiteral("A%1").arg(i), s, QStringLiteral("Active %1").arg(i), 40);
            add(QStringLiteral("B%1").arg(i), s, QStringLiteral("Back %1").arg(i), -100);
        }
        for (int x = 1; x <= 4; ++x)
            add(QStringLiteral("X%1").arg(x), QStringLiteral("S1"), QStringLiteral("Extra %1").arg(x), 5);
        transaction.commit();
    }
    const Department department = build(QStringLiteral("S1"));
    ASSERT_EQ(department.count(), 3 * generations + 4);
    ASSERT_EQ(department.DepList().back().Level, generations + 1);

    const TDepMember &head = department.DepList()[0];
    ASSERT_EQ(head.ActiveCount, 6);
    QStringList headEntries = {QStringLiteral(" 1.2000 (Net) S7 Spine 7")};
    for (int k = 6; k >= 2; --k)
        headEntries << QStringLiteral(" -2.0000 (Net) B%1 Back %1").arg(k) << QStringLiteral(" 0.8000 (Net) A%1 Active %1").arg(k)
                    << QStringLiteral(" 1.2000 (Net) S%1 Spine %1").arg(k);
    for (int x = 4; x >= 1; --x)
        headEntries << QStringLiteral(" 0.1000 (Net) X%1 Extra %1").arg(x) << QStringLiteral(" 0.2500 (Group) X%1 Extra %1").arg(x);
    headEntries << QStringLiteral(" -2.0000 (Net) B1 Back 1") << QStringLiteral(" -5.0000 (Group) B1 Back 1")
                << QStringLiteral(" 0.8000 (Net) A1 Active 1") << QStringLiteral(" 2.0000 (Group) A1 Active 1")
                << QStringLiteral(" 6.0000 (Personal)");
    EXPECT_EQ(entries(department, head), headEntries);
    EXPECT_NEAR(head.Bonus, 4.4, 1e-9);

    for (int i = 2; i <= generations - 2; ++i) {
        const TDepMember &s = member(department, QStringLiteral("S%1").arg(i));
        ASSERT_EQ(s.Status, O);
        ASSERT_EQ(s.ActiveCount, 2);
        const QStringList expected = {
            QStringLiteral(" 1.2000 (Net) S%1 Spine %1").arg(i + 2),
            QStringLiteral(" -2.0000 (Net) B%1 Back %1").arg(i + 1),
            QStringLiteral(" 0.8000 (Net) A%1 Active %1").arg(i + 1),
            QStringLiteral(" 1.2000 (Net) S%1 Spine %1").arg(i + 1),
            QStringLiteral(" -2.0000 (Net) B%1 Back %1").arg(i),
            QStringLiteral(" -5.0000 (Group) B%1 Back %1").arg(i),
            QStringLiteral(" 0.8000 (Net) A%1 Active %1").arg(i),
            QStringLiteral(" 2.0000 (Group) A%1 Active %1").arg(i),
            QStringLiteral(" 6.0000 (Personal)"),
        };
        ASSERT_EQ(entries(department, s), expected) << "S" << i;
        ASSERT_NEAR(s.Bonus, 3, 1e-9) << "S" << i;
    }

    const std::vector<QString> all = department.Details();
    ASSERT_EQ(qsizetype(all.size()), department.count());
    for (std::size_t i = 0; i < all.size(); ++i)
        ASSERT_EQ(all[i], department.Detail(department.DepList()[i])) << department.DepList()[i].Id.toStdString();
}

TEST_F(DepartmentFixture, Detail_ExplainsTheBonusShownUntilTheNextComputation)
{
    addFirstExample();
    Department department = build(QStringLiteral("1"));
    const std::vector<QString> computed = department.Details();
    auto expectExplained = [&department](const char *when) {
        for (const TDepMember &m : department.DepList()) {
            double sum = 0;
            for (const QString &line : entries(department, m))
                sum += line.section(u' ', 1, 1).toDouble();
            EXPECT_NEAR(sum, m.Bonus, 1e-9) << when << ": member " << m.Id.toStdString();
        }
    };

    // Member 3 passes its 25 points to member 5; the members are reread but
    // not yet recomputed: bonuses and explanations both still tell of before.
    setPoints(QStringLiteral("3"), 0, 0);
    setPoints(QStringLiteral("5"), 35, 0);
    department.RefreshMemberById(m_customers, QStringLiteral("3"));
    department.RefreshMemberById(m_customers, QStringLiteral("5"));
    ASSERT_EQ(member(department, QStringLiteral("5")).PersonalPoints, 35);
    EXPECT_EQ(department.Details(), computed);
    EXPECT_TRUE(department.Detail(member(department, QStringLiteral("5"))).isEmpty());
    expectExplained("after the refresh");

    // Totals and statuses alone do not touch the bonuses either.
    department.ResetTotals();
    EXPECT_EQ(department.Details(), computed);
    department.SumGroups();
    EXPECT_EQ(department.Details(), computed);

    department.ResetBonus();
    for (const TDepMember &m : department.DepList())
        EXPECT_TRUE(department.Detail(m).isEmpty()) << m.Id.toStdString();
    expectExplained("after the reset");

    department.CalcBonus();
    EXPECT_EQ(department.Detail(member(department, QStringLiteral("5"))), QStringLiteral(" 1.7500 (Personal)"));
    EXPECT_FALSE(department.Detail(member(department, QStringLiteral("1"))).contains(QStringLiteral("3 Bravo")));
    expectExplained("after the computation");
}
