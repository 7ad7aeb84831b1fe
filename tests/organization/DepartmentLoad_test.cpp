// Loading: which customers form a department, in which order, with which
// values, and how a damaged database fails.

#include "DepartmentFixture.h"
#include "engine/Rounding.h"

#include <random>

namespace {

/// The department as the member-by-member look-up builds it: head by id, then
/// each member's direct members by name, recursively. The reference the
/// one-pass load must match.
struct RefMember
{
    QString id, sponsor, name;
    double personal, reserve;
    int level, parent;
};

void refLoadMembers(db::Connection &connection, std::vector<RefMember> &out, int parent)
{
    db::Statement query(connection.handle(),
                        QStringLiteral("select * from customer where IFNULL(id_customer, '') = :id order by sname"));
    query.bind(QStringLiteral(":id"), out[std::size_t(parent)].id);
    std::vector<RefMember> rows;
    while (query.step())
        rows.push_back({query.text(0).trimmed(), query.text(1).trimmed(), query.text(2).trimmed(),
                        db::roundCentsEven(query.real(4)), db::roundCentsEven(query.real(5)),
                        out[std::size_t(parent)].level + 1, parent});
    for (RefMember &row : rows) {
        out.push_back(row);
        refLoadMembers(connection, out, int(out.size()) - 1);
    }
}

std::vector<RefMember> refLoad(db::Connection &connection, const QString &id)
{
    std::vector<RefMember> out;
    db::Statement head(connection.handle(), QStringLiteral("select * from customer where id = :id"));
    head.bind(QStringLiteral(":id"), id);
    if (head.step())
        out.push_back({head.text(0).trimmed(), head.text(1).trimmed(), head.text(2).trimmed(),
                       db::roundCentsEven(head.real(4)), db::roundCentsEven(head.real(5)), 1, -1});
    else
        out.push_back({QString(), QString(), QString(), 0, 0, 1, -1});
    refLoadMembers(connection, out, 0);
    return out;
}

} // namespace

TEST_F(DepartmentFixture, Load_MatchesTheMemberByMemberLookUp)
{
    // A damaged-looking but acyclic base: blanks around ids and names, null
    // and empty sponsors, sponsors that do not exist, names equal but for
    // case, Cyrillic names, names led by a byte-order mark or only one.
    std::mt19937 random(20261209);
    const QStringList stems = {QStringLiteral("anna"), QStringLiteral("Anna"), QStringLiteral("Борис"),
                               QStringLiteral("борис"), QStringLiteral("Zoe"), QStringLiteral("émile"),
                               QStringLiteral("Ёлка"), QStringLiteral(" Petrov"), QStringLiteral("petrov "),
                               QStringLiteral("елка"), QStringLiteral("ЁЛКА"), QStringLiteral("Ґава"),
                               QStringLiteral("гава"), QStringLiteral("Їжак"), QStringLiteral("ИРА"),
                               QStringLiteral("іра"), QStringLiteral("\uFEFFЗоя")};
    QStringList ids;
    db::Transaction transaction(m_connection);
    for (int i = 0; i < 400; ++i) {
        QString id = QStringLiteral("C%1").arg(i);
        if (i % 37 == 5)
            id += u' '; // trimmed Id differs from the stored one
        QVariant sponsor;
        const int kind = int(random() % 10);
        if (ids.isEmpty() || kind == 0)
            sponsor = QVariant();
        else if (kind == 1)
            sponsor = QString();
        else if (kind == 2)
            sponsor = QStringLiteral("NOPE%1").arg(i % 3); // belongs to no department
        else if (kind == 3)
            sponsor = ids[int(random() % ids.size())] + u' '; // names nobody once trimmed away
        else
            sponsor = ids[int(random() % ids.size())].trimmed();
        QString name = stems[int(random() % stems.size())] + QString::number(i % 50);
        if (i % 53 == 7)
            name = QStringLiteral("\uFEFF"); // nothing left once read
        const double points = double(int(random() % 200000) - 20000) / 10000;
        add(id, sponsor, name, points, double(int(random() % 10000)) / 1000);
        ids << id;
    }
    transaction.commit();

    QStringList heads = {QString(), QStringLiteral("C0"), QStringLiteral("C5 "), QStringLiteral("C5"),
                         QStringLiteral("missing")};
    for (int i = 0; i < 15; ++i)
        heads << ids[int(random() % ids.size())];
    for (const QString &head : heads) {
        SCOPED_TRACE(head.toStdString());
        const std::vector<RefMember> expected = refLoad(m_connection, head);
        Department department{DepLabels()};
        department.LoadDepartment(m_customers, head);
        ASSERT_EQ(department.count(), qsizetype(expected.size()));
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const TDepMember &m = department.DepList()[i];
            const RefMember &e = expected[i];
            ASSERT_EQ(m.Id, e.id) << i;
            EXPECT_EQ(m.SponsorId, e.sponsor);
            EXPECT_EQ(m.Name, e.name);
            EXPECT_EQ(m.PersonalPoints, e.personal);
            EXPECT_EQ(m.Reserve, e.reserve);
            EXPECT_EQ(m.Level, e.level);
            EXPECT_EQ(m.Parent ? int(m.Parent - department.DepList().data()) : -1, e.parent);
        }
    }
}

TEST_F(DepartmentFixture, Load_NamesInAlphabetOrder_EqualNamesInTableOrder)
{
    // Names equal but for case tie; е and ё tie on the letter and then е
    // comes first; the Ukrainian letters have their places in the alphabet.
    const QStringList names = {QStringLiteral("Ёлка"), QStringLiteral("Яков"),  QStringLiteral("елка"),
                               QStringLiteral("ЕЛКА"), QStringLiteral("Ґава"),  QStringLiteral("Іра"),
                               QStringLiteral("ёлка"), QStringLiteral("Гава"),  QStringLiteral("Ира"),
                               QStringLiteral("Їжак"), QStringLiteral("Єва"),   QStringLiteral("Жанна"),
                               QStringLiteral("Дана"), QStringLiteral("гава"),  QStringLiteral("Ёлкин"),
                               QStringLiteral("Йорк")};
    add(QStringLiteral("H"), QVariant(), QStringLiteral("Head"), 0);
    for (int i = 0; i < names.size(); ++i)
        add(QStringLiteral("M%1").arg(i), QStringLiteral("H"), names[i], 0);
    const Department department = build(QStringLiteral("H"));
    QStringList loaded;
    for (const TDepMember &m : department.DepList())
        loaded << m.Name;
    EXPECT_EQ(loaded, QStringList({QStringLiteral("Head"), QStringLiteral("Гава"), QStringLiteral("гава"),
                                   QStringLiteral("Ґава"), QStringLiteral("Дана"), QStringLiteral("елка"),
                                   QStringLiteral("ЕЛКА"), QStringLiteral("Ёлка"), QStringLiteral("ёлка"),
                                   QStringLiteral("Ёлкин"), QStringLiteral("Єва"), QStringLiteral("Жанна"),
                                   QStringLiteral("Ира"), QStringLiteral("Іра"), QStringLiteral("Їжак"),
                                   QStringLiteral("Йорк"), QStringLiteral("Яков")}));
    const std::vector<RefMember> expected = refLoad(m_connection, QStringLiteral("H"));
    ASSERT_EQ(department.count(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(department.DepList()[i].Id, expected[i].id) << i;
}

TEST_F(DepartmentFixture, Load_OrphansBelongToNoDepartment)
{
    add(QStringLiteral("1"), QVariant(), QStringLiteral("Top"), 10);
    add(QStringLiteral("2"), QString(), QStringLiteral("Also top"), 10);
    add(QStringLiteral("O"), QStringLiteral("GONE"), QStringLiteral("Orphan"), 10);
    add(QStringLiteral("P"), QStringLiteral("O"), QStringLiteral("Orphan's member"), 10);

    EXPECT_EQ(ids(build(QString())), QStringList({QString(), QStringLiteral("2"), QStringLiteral("1")}));
    EXPECT_EQ(ids(build(QStringLiteral("1"))), QStringList({QStringLiteral("1")}));
    // The orphan still heads its own department.
    EXPECT_EQ(ids(build(QStringLiteral("O"))), QStringList({QStringLiteral("O"), QStringLiteral("P")}));
}

TEST_F(DepartmentFixture, Load_RootOfAnEmptyTableIsOneRowOfZeros)
{
    const Department department = build(QString());
    ASSERT_EQ(department.count(), 1);
    const TDepMember &head = department.DepList()[0];
    EXPECT_EQ(head.Level, 1);
    EXPECT_TRUE(head.Id.isEmpty());
    EXPECT_TRUE(head.Name.isEmpty());
    EXPECT_EQ(head.PersonalPoints, 0);
    EXPECT_EQ(head.GroupPoints, 0);
    EXPECT_EQ(head.Bonus, 0);
    EXPECT_EQ(head.Reserve, 0);
    EXPECT_EQ(head.Status, TDepStatus::Ordinary);
    EXPECT_EQ(head.Parent, nullptr);
    EXPECT_TRUE(department.Detail(head).isEmpty());
}

TEST_F(DepartmentFixture, Load_RoundsToHundredthsWithTiesToEven)
{
    add(QStringLiteral("1"), QVariant(), QStringLiteral("a"), 0.125, 0.375);
    add(QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("b"), -0.125, 12.345);
    add(QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("c"), 2.675, 0.135);
    add(QStringLiteral("4"), QStringLiteral("1"), QStringLiteral("d"), 0.0049, 7.0051);
    const Department department = build(QStringLiteral("1"));
    const auto expect = [&](const char *id, double personal, double reserve) {
        const TDepMember &m = member(department, QString::fromLatin1(id));
        EXPECT_DOUBLE_EQ(m.PersonalPoints, personal) << id;
        EXPECT_DOUBLE_EQ(m.Reserve, reserve) << id;
    };
    expect("1", 0.12, 0.38);
    expect("2", -0.12, 12.34);
    expect("3", 2.68, 0.14);
    expect("4", 0, 7.01);
    // The head takes its rounded points, and the sum follows the rounded values.
    EXPECT_DOUBLE_EQ(member(department, QStringLiteral("1")).GroupPoints, 0.12 - 0.12 + 2.68 + 0);
}

TEST_F(DepartmentFixture, Load_IdentifiersAreBoundNotSpliced)
{
    add(QStringLiteral("O'B"), QVariant(), QStringLiteral("O'Brien"), 10);
    add(QStringLiteral("K"), QStringLiteral("O'B"), QStringLiteral("Kin"), 20);
    add(QStringLiteral("X"), QVariant(), QStringLiteral("Other"), 30);
    EXPECT_EQ(ids(build(QStringLiteral("O'B"))), QStringList({QStringLiteral("O'B"), QStringLiteral("K")}));
    // A crafted identifier finds no customer; it matches nothing else either.
    const Department crafted = build(QStringLiteral("' or '1'='1"));
    EXPECT_TRUE(crafted.DepList()[0].Id.isEmpty());
}

TEST_F(DepartmentFixture, Load_SponsorCycleFailsWithOneMessagePerLevelInnermostFirst)
{
    add(QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("a"), 10);
    add(QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("b"), 10);
    add(QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("c"), 10);
    add(QStringLiteral("B2"), QStringLiteral("A"), QStringLiteral("a second"), 10);
    add(QStringLiteral("S"), QStringLiteral("S"), QStringLiteral("self"), 10);
    add(QStringLiteral("T"), QVariant(), QStringLiteral("top"), 10);

    Department department{DepLabels()};
    department.Build(m_customers, QStringLiteral("T"));
    const TDepMember *before = department.DepList().data();
    try {
        department.Build(m_customers, QStringLiteral("A"));
        FAIL() << "a circle of sponsors must not load";
    } catch (const DepLoadError &error) {
        EXPECT_EQ(error.levelMessages(),
                  QStringList({QStringLiteral("Error - A"), QStringLiteral("Error - C"), QStringLiteral("Error - B")}));
        EXPECT_FALSE(error.text().isEmpty());
    }
    // The department shown before stays whole.
    ASSERT_EQ(department.count(), 1);
    EXPECT_EQ(department.DepList().data(), before);
    EXPECT_EQ(department.DepList()[0].Id, QStringLiteral("T"));

    try {
        department.Build(m_customers, QStringLiteral("S"));
        FAIL() << "a customer sponsoring itself must not load";
    } catch (const DepLoadError &error) {
        EXPECT_EQ(error.levelMessages(), QStringList(QStringLiteral("Error - S")));
    }
    // Customers in a circle hang from nobody at the top.
    EXPECT_EQ(ids(build(QString())), QStringList({QString(), QStringLiteral("T")}));
}

TEST_F(DepartmentFixture, Load_ADatabaseErrorIsALoadFailureWithoutLevels)
{
    m_connection.execute(QStringLiteral("drop table customer"));
    try {
        build(QStringLiteral("1"));
        FAIL() << "no customer table must fail";
    } catch (const DepLoadError &error) {
        EXPECT_TRUE(error.levelMessages().isEmpty());
        EXPECT_TRUE(error.text().contains(QStringLiteral("customer"))) << error.text().toStdString();
    }
    m_connection.close();
    try {
        build(QStringLiteral("1"));
        FAIL() << "a closed database must fail";
    } catch (const DepLoadError &error) {
        EXPECT_TRUE(error.levelMessages().isEmpty());
        EXPECT_EQ(error.text(), QStringLiteral("The database is not connected"));
    }
}

TEST_F(DepartmentFixture, Load_DeepChainNeitherOverflowsNorSlowsDown)
{
    // 20,000 generations: a recursive load or an unbounded upline walk would fail here.
    db::Transaction transaction(m_connection);
    add(QStringLiteral("0"), QVariant(), QStringLiteral("n"), 1);
    for (int i = 1; i < 20000; ++i)
        add(QString::number(i), QString::number(i - 1), QStringLiteral("n"), 0.01);
    transaction.commit();
    const Department department = build(QString());
    ASSERT_EQ(department.count(), 20001);
    EXPECT_EQ(department.DepList()[20000].Level, 20001);
    EXPECT_NEAR(department.DepList()[1].GroupPoints, 1 + 19999 * 0.01, 1e-6);
}

TEST_F(DepartmentFixture, RefreshMember_MovesGroupPointsByTheDifference)
{
    addFirstExample();
    Department department = build(QStringLiteral("1"));
    TDepMember &four = department.DepList()[2];
    ASSERT_EQ(four.Id, QStringLiteral("4"));
    setPoints(QStringLiteral("4"), 55.555, 3.5);

    // Busy with another customer: nothing changes.
    EXPECT_EQ(department.RefreshMember(m_customers, four, QStringLiteral("2")), Department::RefreshResult::RefreshError);
    EXPECT_EQ(four.PersonalPoints, 40);
    EXPECT_EQ(four.GroupPoints, 40);

    EXPECT_EQ(department.RefreshMember(m_customers, four, QStringLiteral("4")), Department::RefreshResult::Refreshed);
    EXPECT_DOUBLE_EQ(four.PersonalPoints, 55.555); // reread as stored, not rounded
    EXPECT_DOUBLE_EQ(four.GroupPoints, 55.555);
    EXPECT_DOUBLE_EQ(four.Reserve, 3.5);
    EXPECT_DOUBLE_EQ(member(department, QStringLiteral("2")).GroupPoints, 110); // until recomputed

    // A member with a downline keeps the downline's part of its group.
    setPoints(QStringLiteral("2"), 70, 0);
    EXPECT_EQ(department.RefreshMemberById(m_customers, QStringLiteral("2")), Department::RefreshResult::Refreshed);
    EXPECT_DOUBLE_EQ(member(department, QStringLiteral("2")).GroupPoints, 120);
    EXPECT_EQ(department.RefreshMemberById(m_customers, QStringLiteral("99")),
              Department::RefreshResult::NotInDepartment);

    department.Recompute();
    EXPECT_DOUBLE_EQ(member(department, QStringLiteral("2")).GroupPoints, 70 + 55.555 + 10);
}
