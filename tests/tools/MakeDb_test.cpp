// The database maker: the files it makes must hold together the way the
// program's rules keep them (points, totals, catalogues), look like a real
// organization, come out the same for the same seed, and never replace a file.

#include "MakeDb.h"
#include "TestSupport.h"

#include "engine/Connection.h"
#include "engine/Errors.h"
#include "engine/Statement_p.h"
#include "engine/Storage_p.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QRegularExpression>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 3, 15);

QVariant scalar(db::Connection &connection, const QString &sql)
{
    db::Statement statement(connection.handle(), sql);
    return statement.step() ? statement.value(0) : QVariant();
}

qint64 count(db::Connection &connection, const QString &sql)
{
    return scalar(connection, sql).toLongLong();
}

// Every rule that ties points and totals to the lines, checked by SQL.
void expectConsistent(db::Connection &c)
{
    EXPECT_EQ(0, count(c, QStringLiteral(
                              "select count(*) from customer c where abs(ifnull(c.totalpoints, 0) - "
                              "(select ifnull(sum(o.totalpoints), 0) from orders o where o.id_customer = c.id)) > 0.00005")))
        << "a customer's points differ from the sum of their orders and refusals";
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from customer where totalpoints < 0")))
        << "a refusal returned more than was bought";
    EXPECT_EQ(0, count(c, QStringLiteral(
                              "select count(*) from orders o where "
                              "abs(o.totalsum - (case when o.refusal then -1 else 1 end) * (select sum(p.price * l.amount) "
                              "  from ordered l join product p on p.id = l.id_product and p.dateprice = l.dateprice "
                              "  where l.id_orders = o.id)) > 0.00005 or "
                              "abs(o.totalpoints - (case when o.refusal then -1 else 1 end) * (select sum(p.points * l.amount) "
                              "  from ordered l join product p on p.id = l.id_product and p.dateprice = l.dateprice "
                              "  where l.id_orders = o.id)) > 0.00005 or o.totalsum is null")))
        << "an order's totals are not the signed sum of its valued lines";
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from orders where refusal = 1 and totalsum >= 0 "
                                         "or refusal = 0 and totalsum <= 0")))
        << "a refusal must store negative totals, an order positive ones";
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from ordered l left join product p "
                                         "on p.id = l.id_product and p.dateprice = l.dateprice where p.id is null")))
        << "a line names a product its catalogue does not hold";
    EXPECT_EQ(0, count(c, QStringLiteral("with catalogue(date) as materialized (select distinct dateprice from product) "
                                         "select count(*) from ordered l join orders o on o.id = l.id_orders "
                                         "where l.dateprice is not (select max(date) from catalogue "
                                         "where date <= o.ordersdate)")))
        << "a line is not valued from the catalogue in force on its order's date";
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from orders o "
                                         "where not exists (select 1 from ordered where id_orders = o.id) "
                                         "or not exists (select 1 from customer where id = o.id_customer)")))
        << "an order without lines or without a known customer";
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from ordered where amount < 1 or length(id_product) <> 6")));
    EXPECT_EQ(count(c, QStringLiteral("select count(*) from orders")),
              count(c, QStringLiteral("select max(id) from orders")))
        << "order numbers must run 1, 2, … without gaps";
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from orders where ordersdate not like '% 00:00:00.000' "
                                         "or ordersdate < (select min(dateprice) from product)")))
        << "orders fall on whole days, never before the first catalogue";
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from product where dateprice not like '% 00:00:00.000' "
                                         "or price <= 0 or points <= 0")));
}

// Customers reachable from the top, and the number of levels they fill.
std::pair<qint64, qint64> treeReachAndLevels(db::Connection &c)
{
    db::Statement s(c.handle(), QStringLiteral(
                                    "with recursive t(id, lvl) as ("
                                    "  select id, 1 from customer where ifnull(id_customer, '') = '' "
                                    "  union all select c.id, t.lvl + 1 from customer c join t on c.id_customer = t.id) "
                                    "select count(*), max(lvl) from t"));
    s.step();
    return {s.integer(0), s.integer(1)};
}

// The whole content, in key order, for comparing two files.
QString dump(const QString &path)
{
    db::Connection c;
    c.openFile(path);
    QString text;
    for (const char *sql : {"select * from customer order by id", "select * from product order by dateprice, id",
                            "select * from orders order by id", "select * from ordered order by id_orders, id_product"}) {
        db::Statement s(c.handle(), QString::fromLatin1(sql));
        while (s.step()) {
            for (int i = 0; i < s.columnCount(); ++i)
                text += (s.isNull(i) ? QStringLiteral("<null>") : s.text(i)) + u'|';
            text += u'\n';
        }
    }
    return text;
}

makedb::GenerateOptions smallOptions(std::uint64_t seed)
{
    makedb::GenerateOptions options;
    options.customers = 400;
    options.orders = 3000;
    options.catalogues = 3;
    options.seed = seed;
    options.until = QDate(2026, 2, 20);
    return options;
}

TEST(MakeDbDemo, PointsTotalsAndCataloguesAgreeWithTheLines)
{
    testing_support::ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("DB2.mdb"));
    const makedb::Summary summary = makedb::fillDemo(path, kToday);
    db::Connection c;
    c.openFile(path);

    expectConsistent(c);
    EXPECT_EQ(summary.orders, count(c, QStringLiteral("select count(*) from orders")));
    EXPECT_EQ(summary.lines, count(c, QStringLiteral("select count(*) from ordered")));
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from customer where reserve < 0")));
    EXPECT_GT(count(c, QStringLiteral("select count(*) from customer where reserve > 0")), 0);
}

TEST(MakeDbDemo, LooksLikeASmallOrganizationOverTheLastTwoMonths)
{
    testing_support::ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("DB2.mdb"));
    makedb::fillDemo(path, kToday);
    db::Connection c;
    c.openFile(path);

    const qint64 customers = count(c, QStringLiteral("select count(*) from customer"));
    EXPECT_GE(customers, 25);
    EXPECT_LE(customers, 35);
    const auto [reached, levels] = treeReachAndLevels(c);
    EXPECT_EQ(customers, reached) << "every customer hangs from a top-level customer";
    EXPECT_EQ(4, levels);
    // Both spellings of "no sponsor" occur, so both paths of the program see use.
    EXPECT_GE(count(c, QStringLiteral("select count(*) from customer where id_customer is null")), 1);
    EXPECT_GE(count(c, QStringLiteral("select count(*) from customer where id_customer = ''")), 1);

    // Names mix Cyrillic and Latin letters.
    int cyrillic = 0, latin = 0;
    db::Statement names(c.handle(), QStringLiteral("select sname from customer"));
    while (names.step()) {
        const QString name = names.text(0);
        cyrillic += name.contains(QRegularExpression(QStringLiteral("[А-Яа-яЁё]"))) ? 1 : 0;
        latin += name.contains(QRegularExpression(QStringLiteral("^[A-Za-z]"))) ? 1 : 0;
    }
    EXPECT_GE(cyrillic, 5);
    EXPECT_GE(latin, 5);

    // Two catalogues of the same products, about two months and three weeks back,
    // the newer one with other prices.
    db::Statement dates(c.handle(), QStringLiteral("select distinct dateprice from product order by 1"));
    std::vector<QDate> catalogueDates;
    while (dates.step())
        catalogueDates.push_back(db::dateTimeFromStorage(dates.text(0)).date());
    ASSERT_EQ(2u, catalogueDates.size());
    EXPECT_GE(catalogueDates[0].daysTo(kToday), 50);
    EXPECT_LE(catalogueDates[0].daysTo(kToday), 70);
    EXPECT_GE(catalogueDates[1].daysTo(kToday), 14);
    EXPECT_LE(catalogueDates[1].daysTo(kToday), 28);
    EXPECT_GE(count(c, QStringLiteral("select count(distinct id) from product")), 15);
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from (select id from product group by id having count(*) <> 2)")));
    EXPECT_GT(count(c, QStringLiteral("select count(*) from product a join product b on a.id = b.id "
                                      "and a.dateprice < b.dateprice and a.price <> b.price")),
              10);
    EXPECT_GT(count(c, QStringLiteral("select count(*) from product where round(price * 100) <> price * 100 "
                                      "or cast(price as integer) <> price")),
              0)
        << "prices carry cents";

    // Orders and refusals over the whole period up to today, both catalogues in use.
    EXPECT_LE(db::dateTimeFromStorage(scalar(c, QStringLiteral("select max(ordersdate) from orders")).toString()).date(),
              kToday);
    EXPECT_EQ(2, count(c, QStringLiteral("select count(distinct dateprice) from ordered")));
    const qint64 orders = count(c, QStringLiteral("select count(*) from orders"));
    const qint64 refusals = count(c, QStringLiteral("select count(*) from orders where refusal = 1"));
    EXPECT_GE(orders, 40);
    EXPECT_GE(refusals, 1);
    EXPECT_LE(refusals * 4, orders);
}

TEST(MakeDbGenerate, SameSeedGivesTheSameFileAnotherSeedAnother)
{
    testing_support::ProgramFolder folder;
    const QString first = folder.file(QStringLiteral("a.mdb"));
    const QString again = folder.file(QStringLiteral("b.mdb"));
    const QString other = folder.file(QStringLiteral("c.mdb"));
    makedb::generate(first, smallOptions(7));
    makedb::generate(again, smallOptions(7));
    makedb::generate(other, smallOptions(8));

    const QString content = dump(first);
    EXPECT_GT(content.size(), 10000);
    EXPECT_EQ(content, dump(again));
    EXPECT_NE(content, dump(other));
}

TEST(MakeDbGenerate, MakesADeepSkewedTreeAndConsistentOrders)
{
    testing_support::ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("DB2.mdb"));
    makedb::GenerateOptions options;
    options.customers = 5000;
    options.orders = 20000;
    options.catalogues = 4;
    options.seed = 42;
    options.until = QDate(2026, 4, 30);
    const makedb::Summary summary = makedb::generate(path, options);
    db::Connection c;
    c.openFile(path);

    expectConsistent(c);

    // Ids "1" … "5000": the program's next id is the highest of the longest plus one.
    EXPECT_EQ(5000, count(c, QStringLiteral("select count(*) from customer")));
    EXPECT_EQ(QStringLiteral("5000"), scalar(c, QStringLiteral("select max(id) from customer where length(id) = 4")));
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from customer where id glob '0*' or id glob '*[^0-9]*'")));

    const auto [reached, levels] = treeReachAndLevels(c);
    EXPECT_EQ(5000, reached) << "every customer hangs from a top-level customer";
    EXPECT_GE(levels, 10);
    EXPECT_LE(levels, 20);
    EXPECT_EQ(summary.levels, levels);
    const qint64 roots = count(c, QStringLiteral("select count(*) from customer where ifnull(id_customer, '') = ''"));
    EXPECT_GE(roots, 2);
    EXPECT_LE(roots, 10);
    // Most sponsor nobody (fewer than 30% sponsor anyone; a tree without
    // skew has about half), a few sponsor many.
    const qint64 sponsors = count(c, QStringLiteral("select count(distinct id_customer) from customer where id_customer <> ''"));
    EXPECT_LT(sponsors, 1500);
    EXPECT_GE(count(c, QStringLiteral("select count(*) from (select id_customer from customer where id_customer <> '' "
                                      "group by id_customer having count(*) >= 50)")),
              5);

    // Orders of 1 to 5 lines, about one in ten a refusal, from catalogues of a few hundred products.
    EXPECT_EQ(20000, count(c, QStringLiteral("select count(*) from orders")));
    EXPECT_EQ(5, count(c, QStringLiteral("select max(n) from (select count(*) n from ordered group by id_orders)")));
    const qint64 refusals = count(c, QStringLiteral("select count(*) from orders where refusal = 1"));
    EXPECT_GT(refusals, 20000 / 20);
    EXPECT_LT(refusals, 20000 / 7);
    EXPECT_EQ(4, count(c, QStringLiteral("select count(distinct dateprice) from product")));
    EXPECT_GE(count(c, QStringLiteral("select min(n) from (select count(*) n from product group by dateprice)")), 200);
    EXPECT_LE(count(c, QStringLiteral("select max(n) from (select count(*) n from product group by dateprice)")), 500);
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from product where id not glob '[A-Z0-9][A-Z0-9][A-Z0-9]-[A-Z0-9][A-Z0-9]'")));
    EXPECT_EQ(QStringLiteral("2026-04-30 00:00:00.000"), scalar(c, QStringLiteral("select max(ordersdate) from orders")));
}

TEST(MakeDbGenerate, ProductsPerCatalogue_EveryCatalogueHoldsExactlyThatMany)
{
    testing_support::ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("DB2.mdb"));
    makedb::GenerateOptions options = smallOptions(3);
    options.productsPerCatalogue = 2500; // beyond what two decimal digits number
    options.catalogues = 2;
    makedb::generate(path, options);
    db::Connection c;
    c.openFile(path);
    expectConsistent(c);
    EXPECT_EQ(2500, count(c, QStringLiteral("select min(n) from (select count(*) n from product group by dateprice)")));
    EXPECT_EQ(2500, count(c, QStringLiteral("select max(n) from (select count(*) n from product group by dateprice)")));
    EXPECT_EQ(0, count(c, QStringLiteral("select count(*) from product where id not glob '[A-Z0-9][A-Z0-9][A-Z0-9]-[A-Z0-9][A-Z0-9]'")));
}

TEST(MakeDbGenerate, EvenASmallTreeReachesTenLevels)
{
    testing_support::ProgramFolder folder;
    for (int customers : {12, 40, 300}) {
        const QString path = folder.file(QStringLiteral("tree%1.mdb").arg(customers));
        makedb::GenerateOptions options = smallOptions(5);
        options.customers = customers;
        options.orders = 50;
        makedb::generate(path, options);
        db::Connection c;
        c.openFile(path);
        const auto [reached, levels] = treeReachAndLevels(c);
        EXPECT_EQ(customers, reached);
        EXPECT_GE(levels, 10) << customers << " customers";
        EXPECT_LE(levels, 20) << customers << " customers";
        expectConsistent(c);
    }
}

TEST(MakeDbFiles, KilledMidWay_LeavesNoDatabaseAndTheNextRunMakesIt)
{
    testing_support::ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("DB2.mdb"));
    QProcess maker;
    maker.start(QStringLiteral(QUORVEL_MAKEDB_TOOL), {QStringLiteral("--generate"), QStringLiteral("--customers"),
                                                      QStringLiteral("50000"), QStringLiteral("--orders"),
                                                      QStringLiteral("500000"), path});
    ASSERT_TRUE(maker.waitForStarted());
    // Killed once it is writing its file, well before it is done.
    const QDir dir(folder.folder());
    QDeadlineTimer deadline(20'000);
    while (dir.entryList({QStringLiteral(".DB2.mdb.*")}, QDir::Hidden | QDir::Files).isEmpty() && !deadline.hasExpired())
        QThread::msleep(5);
    QThread::msleep(100);
    ASSERT_EQ(maker.state(), QProcess::Running) << "the maker finished before it could be killed";
    maker.kill();
    maker.waitForFinished();
    EXPECT_FALSE(QFileInfo::exists(path));

    maker.start(QStringLiteral(QUORVEL_MAKEDB_TOOL), {QStringLiteral("--demo"), path});
    ASSERT_TRUE(maker.waitForFinished(60'000));
    EXPECT_EQ(maker.exitCode(), 0) << maker.readAllStandardError().toStdString();
    db::Connection c;
    c.openFile(path);
    EXPECT_GT(count(c, QStringLiteral("select count(*) from customer")), 0);
}

TEST(MakeDbFiles, AnExistingFileIsNeverReplaced)
{
    testing_support::ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("DB2.mdb"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    auto unchanged = [&path] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.readAll() == "keep me";
    };

    EXPECT_THROW(makedb::createEmpty(path), db::DataError);
    EXPECT_TRUE(unchanged());
    EXPECT_THROW(makedb::fillDemo(path, kToday), db::DataError);
    EXPECT_TRUE(unchanged());
    EXPECT_THROW(makedb::generate(path, smallOptions(1)), db::DataError);
    EXPECT_TRUE(unchanged());

    for (const QStringList &args : {QStringList{path}, QStringList{QStringLiteral("--demo"), path},
                                    QStringList{QStringLiteral("--generate"), QStringLiteral("--customers"),
                                                QStringLiteral("10"), path}}) {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        EXPECT_NE(0, makedb::runCommandLine(args, out, err, kToday)) << args.join(u' ').toStdString();
        err.flush();
        EXPECT_TRUE(errText.contains(QStringLiteral("already exists"))) << errText.toStdString();
        EXPECT_TRUE(unchanged());
    }
}

TEST(MakeDbCommandLine, WrongArgumentsFailWithoutLeavingAFile)
{
    testing_support::ProgramFolder folder;
    const QString path = folder.file(QStringLiteral("new.mdb"));
    const QString customers = QStringLiteral("--customers");
    const QList<QStringList> wrong = {
        {},
        {QStringLiteral("--demo")},
        {QStringLiteral("--bogus"), path},
        {path, folder.file(QStringLiteral("second.mdb"))},
        {customers, QStringLiteral("10"), path},                              // only with --generate
        {QStringLiteral("--demo"), QStringLiteral("--generate"), path},
        {QStringLiteral("--generate"), customers, QStringLiteral("ten"), path},
        {QStringLiteral("--generate"), customers, QStringLiteral("0"), path},
        {QStringLiteral("--generate"), customers, QStringLiteral("1000000"), path}, // ids have six digits at most
        {QStringLiteral("--generate"), QStringLiteral("--until"), QStringLiteral("2026-02-30"), path},
        {QStringLiteral("--generate"), QStringLiteral("--seed")},
        {QStringLiteral("--generate"), QStringLiteral("--products"), QStringLiteral("0"), path},
        {QStringLiteral("--generate"), QStringLiteral("--products"), QStringLiteral("20000"), path},
    };
    for (const QStringList &args : wrong) {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        EXPECT_NE(0, makedb::runCommandLine(args, out, err, kToday)) << args.join(u' ').toStdString();
        err.flush();
        EXPECT_FALSE(errText.isEmpty());
        EXPECT_FALSE(QFile::exists(path)) << args.join(u' ').toStdString();
    }
}

TEST(MakeDbCommandLine, MakesEachKindOfFileAndSaysWhatItWrote)
{
    testing_support::ProgramFolder folder;
    struct Case
    {
        QStringList args;
        qint64 customers;
    };
    const QString empty = folder.file(QStringLiteral("empty.mdb"));
    const QString demo = folder.file(QStringLiteral("demo.mdb"));
    const QString generated = folder.file(QStringLiteral("generated.mdb"));
    const QList<Case> cases = {
        {{empty}, 0},
        {{QStringLiteral("--demo"), demo}, 30},
        {{QStringLiteral("--generate"), QStringLiteral("--customers"), QStringLiteral("120"), QStringLiteral("--orders"),
          QStringLiteral("500"), QStringLiteral("--catalogues"), QStringLiteral("2"), QStringLiteral("--seed"),
          QStringLiteral("3"), QStringLiteral("--until"), QStringLiteral("2026-01-31"), generated},
         120},
    };
    for (const Case &test : cases) {
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        ASSERT_EQ(0, makedb::runCommandLine(test.args, out, err, kToday)) << errText.toStdString();
        out.flush();
        EXPECT_EQ(1, outText.count(u'\n')) << "one line of summary: " << outText.toStdString();
        db::Connection c;
        c.openFile(test.args.last());
        EXPECT_EQ(test.customers, count(c, QStringLiteral("select count(*) from customer")));
        if (test.customers > 0) {
            EXPECT_TRUE(outText.contains(QStringLiteral("%1 customers").arg(test.customers))) << outText.toStdString();
        }
    }
    db::Connection c;
    c.openFile(generated);
    EXPECT_EQ(500, count(c, QStringLiteral("select count(*) from orders")));
    EXPECT_EQ(2, count(c, QStringLiteral("select count(distinct dateprice) from product")));
    EXPECT_EQ(QStringLiteral("2025-12-01 00:00:00.000"), scalar(c, QStringLiteral("select min(dateprice) from product")));
}

} // namespace
