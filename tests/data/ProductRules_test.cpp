// Products: what a new product is given, how a refused store is told, the
// delete question, a new catalogue's first store, identifiers that carry
// their order lines, and — over a long random run mixed with orders — that
// no product change ever moves points, totals or a line's product.
#include "DataU.h"
#include "EntryPanel.h"
#include "Messages.h"
#include "ScriptedUserPort.h"
#include "TestSupport.h"
#include "engine/KeyText.h"
#include "engine/Statement_p.h"
#include "engine/WallClock.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <gtest/gtest.h>

using db::Dataset;

namespace {

QDateTime day(int y, int m, int d)
{
    return db::wallClock(QDate(y, m, d));
}

class LoggingPanel : public EntryPanel
{
public:
    void showPanel() override { log << "panel+"; }
    void hidePanel() override { log << "panel-"; }
    void showNavigator() override { log << "nav+"; }
    void hideNavigator() override { log << "nav-"; }
    bool focusFirstEdit() override { return true; }
    QString firstEditName() const override { return "edEditID"; }
    QStringList log;
};

class LoggingDateBox : public CatalogueDateBox
{
public:
    void enableDateBox() override { log << "enable"; }
    void showCatalogueDate(const QVariant &date) override
    {
        if (refuse)
            throw db::DataError("the box is gone");
        log << "show " + date.toDateTime().toString("yyyy-MM-dd");
    }
    QStringList log;
    bool refuse = false;
};

class ProductRulesTest : public ::testing::Test
{
protected:
    void SetUp() override { folder.createDatabase(); }
    void TearDown() override
    {
        if (data)
            data->setEntryPanel(data->qProduct, nullptr);
    }

    /// The data module, connected on 15 May 2007, over a localization file
    /// holding `localization` (none when empty).
    void start(const QByteArray &localization = {})
    {
        if (!localization.isEmpty())
            testing_support::writeFileBytes(folder.file("loc"), localization);
        data = std::make_unique<TData>(folder.programPath(), port);
        data->clock = [] { return QDateTime(QDate(2007, 5, 15), QTime(12, 0)); };
        data->connect();
        data->setEntryPanel(data->qProduct, &panel);
    }

    void exec(const QString &sql) { data->ADOConnection.execute(sql); }
    QVariant scalar(const QString &sql)
    {
        db::Statement statement(data->ADOConnection.handle(), sql);
        return statement.step() ? statement.value(0) : QVariant();
    }
    int count(const QString &table, const QString &where = "1")
    {
        return scalar("select count(*) from " + table + " where " + where).toInt();
    }

    /// Starts a product in qProduct with `id` and `name` (a null text leaves
    /// the field as the rules made it).
    void newProduct(const QString &id, const QString &name, double price = 1, double points = 1)
    {
        Dataset &p = *data->qProduct;
        p.append();
        if (!id.isNull())
            p.field("id")->setValue(id);
        if (!name.isNull())
            p.field("name")->setValue(name);
        p.field("price")->setValue(price);
        p.field("points")->setValue(points);
    }

    void openCatalogue(const QDateTime &date)
    {
        data->qProduct->close();
        data->setCurrentCatalogDate(date);
        data->qProduct->open();
    }

    testing_support::ProgramFolder folder;
    testing_support::LocaleGuard locale{testing_support::pointLocale()};
    ScriptedUserPort port;
    LoggingPanel panel;
    std::unique_ptr<TData> data;
};

TEST_F(ProductRulesTest, FirstProduct_AsksForTheCatalogueDate)
{
    start();
    ASSERT_EQ(data->currentCatalogDate().toDateTime(), db::zeroDateTime());
    data->qProduct->open();

    port.expectDate(std::nullopt);
    data->qProduct->append();
    EXPECT_EQ(data->qProduct->state(), db::DatasetState::Browse);
    EXPECT_TRUE(data->qProduct->isEmpty());
    EXPECT_EQ(data->currentCatalogDate().toDateTime(), db::zeroDateTime());
    EXPECT_EQ(port.datePresets, QList<QDate>{QDate(2007, 5, 15)}); // today

    panel.log.clear();
    port.expectDate(QDate(2007, 6, 1));
    data->qProduct->append();
    Dataset &p = *data->qProduct;
    EXPECT_EQ(data->currentCatalogDate().toDateTime(), day(2007, 6, 1));
    EXPECT_EQ(p.field("dateprice")->asDateTime(), day(2007, 6, 1));
    EXPECT_EQ(p.field("price")->asFloat(), 0.0);
    EXPECT_EQ(p.field("points")->asFloat(), 0.0);
    EXPECT_EQ(panel.log, QStringList({"panel+", "nav-"}));
    p.field("id")->setValue(QStringLiteral("AAA-01"));
    p.field("name")->setValue(QStringLiteral("Cream"));
    p.post();
    EXPECT_EQ(panel.log.mid(2), QStringList({"panel-", "nav+"}));
    EXPECT_EQ(scalar("select dateprice from product").toString(), "2007-06-01 00:00:00.000");

    // Now a catalogue is current: the next product asks nothing.
    newProduct("AAA-02", "Soap");
    p.post();
    EXPECT_EQ(count("product"), 2);
}

TEST_F(ProductRulesTest, GeneratedIdentifier_NextInTheCurrentCatalogue)
{
    testing_support::writeFileBytes(folder.file("quorvel.ini"), "[MiscSettings]\r\nGenerateProductID=1\r\n");
    start();
    exec("insert into product values ('AB-009', 'Cream', '2007-03-01 00:00:00.000', 1, 1),"
         "('AB-020', 'Soap', '2007-04-01 00:00:00.000', 1, 1)");
    openCatalogue(day(2007, 3, 1));
    data->qProduct->append();
    EXPECT_EQ(data->qProduct->field("id")->asString(), "AB-010");
    data->qProduct->cancel();
}

enum class Outcome { Stored, Refused, FailedUnshown };

struct FailedStoreCase
{
    const char *name;
    QByteArray localization;
    QString id, productName;
    QString shown; // the message the user sees
    Outcome outcome;
};

class FailedStoreTest : public ProductRulesTest, public ::testing::WithParamInterface<FailedStoreCase>
{
};

TEST_P(FailedStoreTest, TellsWhyAndKeepsTheRow)
{
    const FailedStoreCase &c = GetParam();
    start(c.localization);
    exec("insert into product values ('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3),"
         "('O''B-01', 'Irish soap', '2007-03-01 00:00:00.000', 2, 1),"
         "('CCC-03', 'Tea', '2007-04-01 00:00:00.000', 1, 1)");
    // Something the rules cannot put into words.
    exec("create trigger refuse_xxx before insert on product when new.id = 'XXX-99' "
         "begin select raise(abort, 'the disk said no'); end");
    openCatalogue(day(2007, 3, 1));
    const int before = count("product");

    newProduct(c.id, c.productName);
    switch (c.outcome) {
    case Outcome::Stored:
        EXPECT_NO_THROW(data->qProduct->post());
        EXPECT_EQ(count("product"), before + 1);
        break;
    case Outcome::Refused:
        EXPECT_THROW(data->qProduct->post(), db::AbortError);
        EXPECT_EQ(data->qProduct->state(), db::DatasetState::Insert);
        EXPECT_EQ(count("product"), before);
        break;
    case Outcome::FailedUnshown:
        try {
            data->qProduct->post();
            ADD_FAILURE() << "stored";
        } catch (const db::DataError &error) {
            EXPECT_TRUE(error.text().contains("the disk said no")) << error.text().toStdString();
        }
        EXPECT_EQ(data->qProduct->state(), db::DatasetState::Insert);
        break;
    }
    EXPECT_EQ(port.errors, c.shown.isEmpty() ? QStringList() : QStringList{c.shown});
    data->qProduct->cancel();
}

INSTANTIATE_TEST_SUITE_P(
    ProductRules, FailedStoreTest,
    ::testing::Values(
        FailedStoreCase{"EmptyName", {}, "BBB-02", "", "Field Product Name must have a value", Outcome::Refused},
        FailedStoreCase{"BlankIdAndName", {}, "      ", QString(), "Field Product ID must have a value", Outcome::Refused},
        FailedStoreCase{"LocalizedLabel", "[Controls]\r\nData_qProductname=Title\r\n", "BBB-02", "  ",
                        "Field Title must have a value", Outcome::Refused},
        FailedStoreCase{"DuplicateInTheCatalogue", {}, "AAA-01", "Cream again",
                        "Current id product already exists in this cataloque", Outcome::Refused},
        FailedStoreCase{"DuplicateWithAnApostrophe", {}, "O'B-01", "Soap again",
                        "Current id product already exists in this cataloque", Outcome::Refused},
        FailedStoreCase{"SameIdInAnotherCatalogue", {}, "CCC-03", "Tea", QString(), Outcome::Stored},
        FailedStoreCase{"OtherFailureGoesOnUnshown", {}, "XXX-99", "Box", QString(), Outcome::FailedUnshown}),
    [](const ::testing::TestParamInfo<FailedStoreCase> &info) { return std::string(info.param.name); });

class ProductOrdersTest : public ProductRulesTest
{
protected:
    void SetUp() override
    {
        ProductRulesTest::SetUp();
        start();
        // Two catalogues with the same cream; orders over both, and a line
        // naming a product its catalogue does not hold.
        exec("insert into customer (id, sname, totalpoints) values ('C', 'Smith', 13), ('D', 'Jones', 4)");
        exec("insert into product values ('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3),"
             "('BBB-02', 'Soap', '2007-03-01 00:00:00.000', 2, 1),"
             "('AAA-01', 'Cream', '2007-04-01 00:00:00.000', 12, 4)");
        exec("insert into orders values (1, 'C', 22, 7, 0, '2007-03-05 00:00:00.000'),"
             "(2, 'D', 12, 4, 0, '2007-04-05 00:00:00.000'), (3, 'C', 2, 6, 0, '2007-03-06 00:00:00.000')");
        exec("insert into ordered values (1, 'AAA-01', 2, '2007-03-01 00:00:00.000'),"
             "(1, 'BBB-02', 1, '2007-03-01 00:00:00.000'), (2, 'AAA-01', 1, '2007-04-01 00:00:00.000'),"
             "(3, 'QQQ-01', 1, '2007-03-01 00:00:00.000'), (3, 'BBB-02', 1, '2007-03-01 00:00:00.000')");
        openCatalogue(day(2007, 3, 1));
    }

    QString totals()
    {
        QStringList all;
        db::Statement s(data->ADOConnection.handle(),
                        "select id || ':' || totalsum || '/' || totalpoints from orders order by id");
        while (s.step())
            all << s.value(0).toString();
        db::Statement c(data->ADOConnection.handle(), "select id || ':' || totalpoints from customer order by id");
        while (c.step())
            all << c.value(0).toString();
        return all.join(' ');
    }
    QString lines()
    {
        QStringList all;
        db::Statement s(data->ADOConnection.handle(),
                        "select id_orders || ' ' || id_product || ' ' || substr(dateprice, 1, 7) from ordered "
                        "order by id_orders, id_product");
        while (s.step())
            all << s.value(0).toString();
        return all.join(", ");
    }
};

TEST_F(ProductOrdersTest, Delete_AsksOnTwoLinesAndTakesExactlyItsCataloguesLines)
{
    const QString before = totals();
    ASSERT_TRUE(data->qProduct->locate("id", QStringLiteral("AAA-01")));
    port.expectConfirm(false);
    EXPECT_THROW(data->qProduct->remove(), db::AbortError);
    EXPECT_EQ(port.confirmations, QStringList{"This will delete current product from all orders.\n\rContinue?"});
    EXPECT_EQ(count("product"), 3);

    port.expectConfirm(true);
    data->qProduct->remove();
    EXPECT_EQ(count("product", "id = 'AAA-01'"), 1); // April's stays
    EXPECT_EQ(lines(), "1 BBB-02 2007-03, 2 AAA-01 2007-04, 3 BBB-02 2007-03, 3 QQQ-01 2007-03");
    EXPECT_EQ(totals(), before);
}

TEST_F(ProductOrdersTest, IdentifierChange_CarriesItsLinesOrIsRefusedWhole)
{
    data->qOrders->open(); // the first order and its lines, as the order editor shows them
    data->qOrder->open();
    Dataset &p = *data->qProduct;
    ASSERT_TRUE(p.locate("id", QStringLiteral("AAA-01")));
    p.edit();
    p.field("id")->setValue(QStringLiteral("ZZZ-09"));
    p.post();
    EXPECT_EQ(lines(), "1 BBB-02 2007-03, 1 ZZZ-09 2007-03, 2 AAA-01 2007-04, 3 BBB-02 2007-03, 3 QQQ-01 2007-03");
    // The open lines are read again and keep their values.
    ASSERT_TRUE(data->qOrder->locate("id_product", QStringLiteral("ZZZ-09")));
    EXPECT_EQ(data->qOrder->field("ProductName")->asString(), "Cream");

    // Order 3 holds QQQ-01 already: Soap cannot become QQQ-01.
    const QString before = lines();
    ASSERT_TRUE(p.locate("id", QStringLiteral("BBB-02")));
    p.edit();
    p.field("id")->setValue(QStringLiteral("QQQ-01"));
    try {
        p.post();
        ADD_FAILURE() << "stored";
    } catch (const db::DataError &error) {
        EXPECT_EQ(error.text(), "Another record already has this Product ID.");
    }
    EXPECT_TRUE(port.errors.isEmpty()); // shown once, by the caller
    EXPECT_EQ(p.state(), db::DatasetState::Edit);
    EXPECT_EQ(lines(), before);
    EXPECT_EQ(count("product", "id = 'BBB-02'"), 1);
    p.cancel();
}

TEST_F(ProductOrdersTest, StoredProduct_ValuesTheOpenOrderLinesAtOnce)
{
    data->qOrders->open();
    ASSERT_TRUE(data->qOrders->locate("id", 3));
    data->qOrder->open();
    ASSERT_TRUE(data->qOrder->locate("id_product", QStringLiteral("QQQ-01")));
    EXPECT_EQ(data->qOrder->field("TotalSum")->asFloat(), 0.0);

    // The product a line names is entered while the lines are open...
    newProduct("QQQ-01", "Shampoo", 5, 2);
    data->qProduct->post();
    EXPECT_EQ(data->qOrder->field("ProductName")->asString(), "Shampoo");
    EXPECT_EQ(data->qOrder->field("TotalSum")->asFloat(), 5.0);
    // ...and corrected.
    data->qProduct->edit();
    data->qProduct->field("price")->setValue(6);
    data->qProduct->post();
    EXPECT_EQ(data->qOrder->field("TotalSum")->asFloat(), 6.0);

    data->RecalculateOrder();
    EXPECT_EQ(scalar("select totalsum from orders where id = 3").toDouble(), 8.0);
    EXPECT_EQ(scalar("select totalpoints from customer where id = 'C'").toDouble(), 10.0); // 13 - 6 + 3
}

TEST_F(ProductOrdersTest, NewCatalogueMarker_FirstStoreListsTheDateThenClears)
{
    int reads = 0;
    data->qChCat->afterOpen = [&reads](Dataset &) { ++reads; };
    data->qChCat->open();
    reads = 0;
    LoggingDateBox box;

    // A store that fails keeps the marker.
    data->setNewCatalogueMarker(&box);
    openCatalogue(day(2007, 7, 1));
    newProduct("AAA-01", "");
    EXPECT_THROW(data->qProduct->post(), db::AbortError);
    EXPECT_EQ(data->newCatalogueMarker(), &box);
    data->qProduct->field("name")->setValue(QStringLiteral("Cream"));
    data->qProduct->post();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(box.log, QStringList({"enable", "show 2007-07-01"}));
    EXPECT_EQ(data->newCatalogueMarker(), nullptr);
    data->qChCat->first(); // newest first
    EXPECT_EQ(data->qChCat->field("dateprice")->asDateTime(), day(2007, 7, 1));

    newProduct("BBB-02", "Soap");
    data->qProduct->post();
    EXPECT_EQ(reads, 1); // the second store reads no list

    // A step that fails still clears the marker, and the panel closes.
    box.refuse = true;
    data->setNewCatalogueMarker(&box);
    newProduct("CCC-03", "Tea");
    panel.log.clear();
    EXPECT_THROW(data->qProduct->post(), db::DataError);
    EXPECT_EQ(data->newCatalogueMarker(), nullptr);
    EXPECT_EQ(panel.log, QStringList({"panel-", "nav+"}));
    EXPECT_EQ(count("product", "id = 'CCC-03'"), 1);
}

// The long run: catalogue work as the catalogue window does it, mixed with
// orders and lines as the order editor stores them.
class ProductSequenceTest : public ProductOrdersTest
{
protected:
    /// Every customer's total minus the signed sum of its orders' points.
    double drift()
    {
        return scalar("select coalesce(sum(abs(c.totalpoints - coalesce((select sum(o.totalpoints) from orders o "
                      "where o.id_customer = c.id), 0))), 0) from customer c")
            .toDouble();
    }
    QSet<qint64> linesNamingAProduct()
    {
        QSet<qint64> rows;
        db::Statement s(data->ADOConnection.handle(),
                        "select o.rowid from ordered o where exists (select 1 from product p "
                        "where p.id = o.id_product and p.dateprice = o.dateprice)");
        while (s.step())
            rows << s.value(0).toLongLong();
        return rows;
    }
    QSet<qint64> allLines()
    {
        QSet<qint64> rows;
        db::Statement s(data->ADOConnection.handle(), "select rowid from ordered");
        while (s.step())
            rows << s.value(0).toLongLong();
        return rows;
    }
    QStringList table()
    {
        QStringList rows;
        db::Statement s(data->ADOConnection.handle(), "select id, dateprice, name, price, points from product");
        while (s.step())
            rows << db::compositeKey({s.value(0).toString().leftJustified(6), s.value(1).toString(),
                                      s.value(2).toString(), s.value(3).toDouble(), s.value(4).toDouble()});
        rows.sort();
        return rows;
    }
    QStringList listed()
    {
        Dataset &all = *data->qAllProducts;
        QStringList rows;
        for (int i = 0; i < all.recordCount(); ++i)
            rows << db::compositeKey({all.valueAt(i, all.field("id")),
                                      all.valueAt(i, all.field("dateprice")).toDateTime().toString(
                                          "yyyy-MM-dd HH:mm:ss.zzz"),
                                      all.valueAt(i, all.field("name")), all.valueAt(i, all.field("price")).toDouble(),
                                      all.valueAt(i, all.field("points")).toDouble()});
        rows.sort();
        return rows;
    }
};

TEST_F(ProductSequenceTest, RandomCatalogueAndOrderWork_KeepsEveryInvariant)
{
    QRandomGenerator random(20070601);
    const QStringList ids{"AAA-01", "BBB-02", "CCC-03", "DDD-04", "QQQ-01"};
    const QList<QDateTime> catalogues{day(2007, 3, 1), day(2007, 4, 1)};
    const QStringList customers{"C", "D"};
    data->qOrders->open();
    data->qOrder->open(); // and with it the product list the lines are valued from
    ASSERT_TRUE(data->qAllProducts->isActive());
    Dataset &p = *data->qProduct;
    Dataset &h = *data->qOrders;
    Dataset &l = *data->qOrder;
    int productSteps = 0, refused = 0;

    for (int step = 0; step < 300; ++step) {
        const int action = int(random.bounded(10));
        const bool productStep = action < 6;
        const QString totalsBefore = totals();
        const QSet<qint64> named = linesNamingAProduct();
        try {
            switch (action) {
            case 0: // a new product
                newProduct(ids[int(random.bounded(ids.size()))], "P" + QString::number(step),
                           double(random.bounded(1, 2000)) / 100, double(random.bounded(0, 500)) / 100);
                p.post();
                break;
            case 1: // a new price and points
                if (p.isEmpty())
                    break;
                p.moveTo(int(random.bounded(p.recordCount())));
                p.edit();
                p.field("price")->setValue(double(random.bounded(1, 2000)) / 100);
                p.field("points")->setValue(double(random.bounded(0, 500)) / 100);
                p.post();
                break;
            case 2: // a new identifier
                if (p.isEmpty())
                    break;
                p.moveTo(int(random.bounded(p.recordCount())));
                p.edit();
                p.field("id")->setValue(ids[int(random.bounded(ids.size()))]);
                p.post();
                break;
            case 3: // a product deleted
                if (p.isEmpty())
                    break;
                p.moveTo(int(random.bounded(p.recordCount())));
                port.expectConfirm(random.bounded(4) != 0);
                p.remove();
                break;
            case 4:
            case 5: // another catalogue current
                openCatalogue(catalogues[int(random.bounded(catalogues.size()))]);
                break;
            case 6:
            case 7: { // a new order or refusal of a line or two
                data->RefusalMode = random.bounded(4) == 0;
                const QString customer = customers[int(random.bounded(customers.size()))];
                port.expectChooser([customer](db::DataSource &s) { return s.dataset()->locate("id", customer); });
                h.append();
                for (int n = int(random.bounded(1, 3)); n > 0; --n) {
                    l.append();
                    l.field("id_product")->setValue(ids[int(random.bounded(ids.size()))]);
                    l.field("amount")->setValue(int(random.bounded(1, 4)));
                    l.post();
                }
                data->RecalculateOrder();
                break;
            }
            case 8: // an order's line changed, and the order recalculated
                if (h.isEmpty())
                    break;
                h.moveTo(int(random.bounded(h.recordCount())));
                if (!l.isEmpty()) {
                    l.moveTo(int(random.bounded(l.recordCount())));
                    l.edit();
                    l.field("amount")->setValue(int(random.bounded(1, 5)));
                    l.post();
                }
                data->RecalculateOrder();
                break;
            case 9: // an order deleted
                if (h.isEmpty())
                    break;
                h.moveTo(int(random.bounded(h.recordCount())));
                h.remove();
                break;
            }
        } catch (const db::AbortError &) {
            ++refused;
        } catch (const db::DataError &) {
            ++refused;
        }
        if (p.isEditing())
            p.cancel();
        if (l.isEditing())
            l.cancel();
        if (h.isEditing())
            h.cancel();
        port.errors.clear();

        ASSERT_NEAR(drift(), 0.0, 1e-9) << "after step " << step;
        if (productStep) {
            ++productSteps;
            ASSERT_EQ(totals(), totalsBefore) << "after step " << step;
            const QSet<qint64> gone = allLines();
            for (qint64 row : named)
                ASSERT_TRUE(!gone.contains(row) || linesNamingAProduct().contains(row))
                    << "line " << row << " lost its product at step " << step;
        }
        ASSERT_EQ(listed(), table()) << "after step " << step;
    }
    EXPECT_GT(productSteps, 150);
    EXPECT_GT(refused, 0);
}

} // namespace
