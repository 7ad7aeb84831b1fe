// Orders and refusals: header numbers, journal totals, order lines, and the
// invariant the program lives by — every customer's point total equals the
// sum of the points of its orders and refusals.
#include "DataU.h"
#include "EntryPanel.h"
#include "Messages.h"
#include "ScriptedUserPort.h"
#include "TestSupport.h"
#include "engine/Statement_p.h"
#include "engine/Storage_p.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using db::Dataset;

namespace {

class RecordingJournal : public JournalView
{
public:
    void showTotal(const QString &box, const QString &text) override { totals[box] = text; }
    void connectionRestored() override {}
    QHash<QString, QString> totals;
};

class OrderRulesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        data = std::make_unique<TData>(folder.programPath(), port);
        data->clock = [] { return QDateTime(QDate(2007, 5, 15), QTime(12, 0)); };
        data->connect();
        exec("insert into customer (id, sname) values ('C', 'Smith'), ('D', 'Smithson'), ('E', 'smith')");
        exec("insert into product values ('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3),"
             "('BBB-02', 'Soap', '2007-03-01 00:00:00.000', 2.5, 0.25)");
        // Every points statement leaves a trace, so that "no statement" can be seen.
        exec("create table points_log (id text, delta real)");
        exec("create trigger log_points after update of totalpoints on customer begin "
             "insert into points_log values (new.id, new.totalpoints - old.totalpoints); end");
        data->setJournalView(&journal);
        data->qOrders->open();
    }
    void TearDown() override { data->setJournalView(nullptr); }

    void exec(const QString &sql) { data->ADOConnection.execute(sql); }
    QVariant scalar(const QString &sql)
    {
        db::Statement statement(data->ADOConnection.handle(), sql);
        return statement.step() ? statement.value(0) : QVariant();
    }
    double points(const QString &id) { return scalar("select totalpoints from customer where id = '" + id + "'").toDouble(); }
    int statements() { return scalar("select count(*) from points_log").toInt(); }

    /// The customer chooser picks `id` (or is cancelled when empty).
    void choose(const QString &id)
    {
        port.expectChooser([this, id](db::DataSource &source) {
            return !id.isEmpty() && source.dataset()->locate("id", id);
        });
    }

    /// Stores a header for `customer` with the given totals directly.
    int storeOrder(const QString &customer, double sum, double pts, bool refusal = false)
    {
        data->RefusalMode = refusal;
        choose(customer);
        data->qOrders->append();
        data->qOrders->field("totalsum")->setValue(sum);
        data->qOrders->field("totalpoints")->setValue(pts);
        data->qOrders->post();
        return data->qOrders->field("id")->asInteger();
    }

    void changeOrder(int id, const std::function<void(Dataset &)> &change)
    {
        ASSERT_TRUE(data->qOrders->locate("id", id));
        data->qOrders->edit();
        change(*data->qOrders);
        data->qOrders->post();
    }

    /// Every customer's total minus the sum of its orders' points.
    double drift()
    {
        return scalar("select coalesce(sum(abs(c.totalpoints - coalesce((select sum(o.totalpoints) from orders o "
                      "where o.id_customer = c.id), 0))), 0) from customer c")
            .toDouble();
    }

    testing_support::ProgramFolder folder;
    testing_support::LocaleGuard locale{testing_support::pointLocale()};
    ScriptedUserPort port;
    RecordingJournal journal;
    std::unique_ptr<TData> data;
};

TEST_F(OrderRulesTest, NewHeader_DefaultsAndChosenCustomer)
{
    data->RefusalMode = true;
    choose("D");
    data->qOrders->append();
    Dataset &h = *data->qOrders;
    EXPECT_EQ(h.field("ordersdate")->asDateTime(), db::wallClock(QDate(2007, 5, 15)));
    EXPECT_TRUE(h.field("refusal")->asBoolean());
    EXPECT_EQ(h.field("totalsum")->asFloat(), 0.0);
    EXPECT_EQ(h.field("id_customer")->asString(), "D");
    EXPECT_EQ(h.field("Customer")->asString(), "Smithson");
    EXPECT_EQ(port.chooserCaptions, QStringList({"You Have To Specify Customer For The Order"}));
    h.cancel();

    choose(QString()); // cancelled: the header keeps no customer
    h.append();
    EXPECT_EQ(h.field("id_customer")->asString(), "");
    h.cancel();
}

TEST_F(OrderRulesTest, NewHeader_OnADayWithoutLocalMidnight_KeepsItsDate)
{
    testing_support::ZoneGuard zone("America/Santiago");
    if (!zone.active())
        GTEST_SKIP() << "no America/Santiago zone on this machine";
    data->clock = [] { return db::wallClock(QDate(2023, 9, 3), QTime(9, 15)); };
    const int order = storeOrder("C", 10, 1);
    EXPECT_EQ(scalar("select ordersdate from orders where id = " + QString::number(order)).toString(),
              "2023-09-03 00:00:00.000");
}

TEST_F(OrderRulesTest, Points_ByDifferenceOnEveryStoreAndDelete)
{
    // A new order stored with totals 0: two statements adding zero, total unchanged.
    const int order = storeOrder("C", 0, 0);
    // Zero to the empty identifier matches no row; zero to C leaves its total.
    EXPECT_EQ(statements(), 1);
    EXPECT_EQ(scalar("select id || ':' || delta from points_log").toString(), "C:0.0");
    EXPECT_EQ(points("C"), 0.0);

    changeOrder(order, [](Dataset &h) { h.field("totalpoints")->setValue(10); });
    EXPECT_EQ(points("C"), 10.0);
    changeOrder(order, [](Dataset &h) { h.field("totalpoints")->setValue(15); });
    EXPECT_EQ(points("C"), 15.0);
    EXPECT_EQ(scalar("select delta from points_log order by rowid desc").toDouble(), 5.0);

    // Moved from C to D with the points unchanged.
    changeOrder(order, [](Dataset &h) { h.field("id_customer")->setValue(QStringLiteral("D")); });
    EXPECT_EQ(points("C"), 0.0);
    EXPECT_EQ(points("D"), 15.0);

    // Only the date changed: no statement at all.
    const int before = statements();
    changeOrder(order, [](Dataset &h) { h.field("ordersdate")->setValue(QDateTime(QDate(2007, 5, 1), QTime(0, 0))); });
    EXPECT_EQ(statements(), before);

    // Turned into a refusal of the same goods: the total falls by twice the points.
    changeOrder(order, [](Dataset &h) {
        h.field("refusal")->setValue(true);
        h.field("totalpoints")->setValue(-15);
    });
    EXPECT_EQ(points("D"), -15.0);

    // A refusal of 10 lowers its customer's total by 10; deleting an order takes its points out.
    storeOrder("C", -100, -10, true);
    EXPECT_EQ(points("C"), -10.0);
    const int third = storeOrder("E", 50, 10);
    EXPECT_EQ(points("E"), 10.0);
    ASSERT_TRUE(data->qOrders->locate("id", third));
    data->qOrders->remove();
    EXPECT_EQ(points("E"), 0.0);
    EXPECT_EQ(drift(), 0.0);
}

TEST_F(OrderRulesTest, PointsStatement_UsesAFullStopWhateverTheDecimalSeparator)
{
    // A comma, and the Arabic separator "٫" of Persian and Arabic locales.
    double expected = 0;
    for (const char *name : {"de_DE", "fa_IR", "ar_EG"}) {
        testing_support::LocaleGuard guard{QLocale(QLatin1String(name))};
        const int order = storeOrder("C", 0, 0);
        changeOrder(order, [](Dataset &h) { h.field("totalpoints")->setValue(12.5); });
        expected += 12.5;
        EXPECT_TRUE(data->cmExecSql->text().contains("totalpoints + 12.5 where"))
            << name << ": " << data->cmExecSql->text().toStdString();
        EXPECT_EQ(points("C"), expected) << name;
    }
}

TEST_F(OrderRulesTest, FailedPointsUpdate_UndoesTheHeaderStoreAndKeepsItInEditing)
{
    const int order = storeOrder("C", 100, 10);
    exec("create trigger refuse_d before update of totalpoints on customer when new.id = 'D' "
         "begin select raise(abort, 'points refused'); end");
    ASSERT_TRUE(data->qOrders->locate("id", order));
    data->qOrders->edit();
    data->qOrders->field("id_customer")->setValue(QStringLiteral("D"));
    EXPECT_THROW(data->qOrders->post(), db::DataError);
    EXPECT_EQ(data->qOrders->state(), db::DatasetState::Edit);
    EXPECT_EQ(scalar("select id_customer from orders where id = " + QString::number(order)).toString(), "C");
    EXPECT_EQ(points("C"), 10.0);
    EXPECT_EQ(journal.totals.value("edSum"), "100");

    // The user corrects the change and stores again: nothing was lost.
    data->qOrders->field("id_customer")->setValue(QStringLiteral("E"));
    data->qOrders->post();
    EXPECT_EQ(points("C"), 0.0);
    EXPECT_EQ(points("E"), 10.0);

    // A delete whose points cannot be taken out is not done either.
    exec("create trigger refuse_e before update of totalpoints on customer when new.id = 'E' "
         "begin select raise(abort, 'points refused'); end");
    ASSERT_TRUE(data->qOrders->locate("id", order));
    EXPECT_THROW(data->qOrders->remove(), db::DataError);
    EXPECT_EQ(scalar("select count(*) from orders").toInt(), 1);
    EXPECT_EQ(drift(), 0.0);
}

// The disk fills while an order is stored: the user reads why in plain
// words, nothing stored before is lost, the order stays as typed, and it
// stores once there is room again.
TEST_F(OrderRulesTest, FullDisk_StoreToldPlainlyNothingLostOrderStaysInEditing)
{
    storeOrder("C", 10, 2.5);
    const int pages = scalar("pragma page_count").toInt();
    exec(QStringLiteral("pragma max_page_count = %1").arg(pages));
    // Every page left is filled, so the next row needs one the file may not
    // take: rows in ever smaller batches, until not one more fits.
    for (int batch = 4096; batch > 0;) {
        try {
            exec(QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n limit %1) "
                                "insert into points_log select 'fill', i from n").arg(batch));
        } catch (const db::DataError &error) {
            ASSERT_EQ(error.kind(), db::FailureKind::DiskFull) << error.text().toStdString();
            batch /= 2;
        }
    }

    choose("D");
    Dataset &h = *data->qOrders;
    h.append();
    h.field("totalsum")->setValue(30.0);
    h.field("totalpoints")->setValue(12.5);
    try {
        h.post();
        ADD_FAILURE() << "stored on a full disk";
    } catch (const db::DataError &error) {
        EXPECT_EQ(error.text(), Messages().lDiskFullMes);
    }
    EXPECT_EQ(h.state(), db::DatasetState::Insert);
    EXPECT_EQ(h.field("totalpoints")->asFloat(), 12.5);
    EXPECT_EQ(scalar("select count(*) from orders").toInt(), 1);
    EXPECT_EQ(points("C"), 2.5);
    EXPECT_EQ(drift(), 0.0);

    exec(QStringLiteral("pragma max_page_count = %1").arg(pages * 2));
    h.post();
    EXPECT_EQ(points("D"), 12.5);
    EXPECT_EQ(drift(), 0.0);
}

TEST_F(OrderRulesTest, DeletingAHeaderAlreadyGone_RaisesAndLeavesThePoints)
{
    const int order = storeOrder("C", 100, 10);
    exec("delete from orders where id = " + QString::number(order));
    exec("update customer set totalpoints = 0 where id = 'C'");
    ASSERT_TRUE(data->qOrders->locate("id", order));
    EXPECT_THROW(data->qOrders->remove(), db::DataError);
    EXPECT_EQ(points("C"), 0.0);
    EXPECT_EQ(drift(), 0.0);
    EXPECT_EQ(journal.totals.value("edSum"), "100");
}

TEST_F(OrderRulesTest, CustomerListOpenDuringOrders_StalePointsEditRefused)
{
    // The chooser list stays open as the journal's lookup source while
    // storing orders moves the customer's points by statements.
    storeOrder("C", 100, 10);
    Dataset &list = *data->qCustomer;
    ASSERT_TRUE(list.isActive());
    ASSERT_TRUE(list.locate("id", QStringLiteral("C")));
    EXPECT_EQ(list.field("totalpoints")->asFloat(), 0.0);
    port.expectCustomerDialog([](db::DataSource &source) {
        source.dataset()->field("totalpoints")->setValue(5);
        return true;
    });
    list.edit();
    ASSERT_EQ(port.errors.size(), 1);
    EXPECT_TRUE(port.errors[0].startsWith("Row cannot be located for updating.")) << port.errors[0].toStdString();
    list.cancel();
    EXPECT_EQ(points("C"), 10.0);
    EXPECT_EQ(drift(), 0.0);
}

TEST_F(OrderRulesTest, LongRandomSequence_TotalsAlwaysEqualTheSumOfOrders)
{
    exec("create trigger sometimes_refuse before update of totalpoints on customer "
         "when (select count(*) from points_log) % 17 = 16 begin select raise(abort, 'injected'); end");
    QRandomGenerator random(20070515);
    const QStringList customers{"C", "D", "E"};
    int failures = 0;
    for (int step = 0; step < 400; ++step) {
        Dataset &h = *data->qOrders;
        const int action = int(random.bounded(4));
        try {
            if (action == 0 || h.isEmpty()) {
                data->RefusalMode = random.bounded(5) == 0;
                choose(customers[int(random.bounded(3))]);
                h.append();
                const double pts = (data->RefusalMode ? -1 : 1) * double(random.bounded(10000)) / 100.0;
                h.field("totalpoints")->setValue(pts);
                h.field("totalsum")->setValue(pts * 3);
                h.post();
            } else {
                h.moveTo(int(random.bounded(h.recordCount())));
                if (action == 1) {
                    h.edit();
                    h.field("totalpoints")->setValue(double(random.bounded(-5000, 5000)) / 100.0);
                    h.post();
                } else if (action == 2) {
                    h.edit();
                    h.field("id_customer")->setValue(customers[int(random.bounded(3))]);
                    h.post();
                } else {
                    h.remove();
                }
            }
        } catch (const db::DataError &) {
            ++failures;
            h.cancel();
        }
        ASSERT_NEAR(drift(), 0.0, 1e-9) << "after step " << step;
    }
    EXPECT_GT(failures, 0);
}

TEST_F(OrderRulesTest, OrderNumbers_MaxPlusOneReusedAfterDeletingTheHighest)
{
    EXPECT_EQ(storeOrder("C", 1, 1), 1);
    EXPECT_EQ(storeOrder("C", 1, 1), 2);
    EXPECT_EQ(storeOrder("C", 1, 1), 3);
    ASSERT_TRUE(data->qOrders->locate("id", 3));
    data->qOrders->remove();
    EXPECT_EQ(storeOrder("D", 1, 1), 3);
    EXPECT_FALSE(data->qGetOrderID->isActive());
}

TEST_F(OrderRulesTest, JournalTotals_RecountedAndFollowedStepByStep)
{
    storeOrder("C", 100, 10);
    storeOrder("C", -40, -4, true);
    storeOrder("D", 0, 0);
    data->RecountJournalTotals(data->qOrders->field("totalsum"));
    EXPECT_EQ(journal.totals.value("edSum"), "60");
    EXPECT_EQ(journal.totals.value("edOrdered"), "100");
    EXPECT_EQ(journal.totals.value("edRefused"), "-40");
    EXPECT_TRUE(data->qOrders->eof());

    changeOrder(1, [](Dataset &h) { h.field("totalsum")->setValue(-10); });
    EXPECT_EQ(journal.totals.value("edSum"), "-50");
    EXPECT_EQ(journal.totals.value("edOrdered"), "0");
    EXPECT_EQ(journal.totals.value("edRefused"), "-50");

    // The journal total is rounded half to even on a recount.
    exec("update orders set totalsum = 0.125 where id = 3");
    exec("update orders set totalsum = 0 where id in (1, 2)");
    data->qOrders->requery();
    data->RecountJournalTotals(data->qOrders->field("totalsum"));
    EXPECT_EQ(journal.totals.value("edSum"), "0.12");
    EXPECT_EQ(journal.totals.value("edOrdered"), "0.125");
}

TEST_F(OrderRulesTest, RecordFilter_ExactCaseSensitiveMatchOfEachBox)
{
    storeOrder("C", 1, 1);
    storeOrder("D", 1, 1);
    storeOrder("E", 1, 1);
    QString customerBox, idBox;
    data->setFilterBox(data->qOrders, "Customer", [&] { return customerBox; });
    data->setFilterBox(data->qOrders, "id", [&] { return idBox; });
    auto shown = [&] {
        data->qOrders->refilter();
        QStringList ids;
        for (int i = 0; i < data->qOrders->recordCount(); ++i)
            ids << data->qOrders->valueAt(i, data->qOrders->field("id")).toString();
        return ids;
    };
    EXPECT_EQ(shown(), QStringList({"1", "2", "3"}));
    customerBox = "Smith";
    EXPECT_EQ(shown(), QStringList({"1"}));
    customerBox.clear();
    idBox = "2";
    EXPECT_EQ(shown(), QStringList({"2"}));
    idBox = "2 ";
    EXPECT_EQ(shown(), QStringList());
    data->clearFilterBoxes(data->qOrders);
    EXPECT_EQ(shown(), QStringList({"1", "2", "3"}));
}

class FakePanel : public EntryPanel
{
public:
    void showPanel() override { log << "panel+"; }
    void hidePanel() override { log << "panel-"; }
    void showNavigator() override { log << "nav+"; }
    void hideNavigator() override { log << "nav-"; }
    bool focusFirstEdit() override { return canFocus; }
    QString firstEditName() const override { return "edID"; }
    QStringList log;
    bool canFocus = true;
};

class OrderLinesTest : public OrderRulesTest
{
protected:
    void SetUp() override
    {
        OrderRulesTest::SetUp();
        data->setCurrentCatalogDate(QDateTime(QDate(2007, 3, 1), QTime(0, 0)));
        data->setEntryPanel(data->qOrder, &panel);
        data->qOrder->open();
    }
    void TearDown() override
    {
        data->setEntryPanel(data->qOrder, nullptr);
        OrderRulesTest::TearDown();
    }

    void addLine(const QString &product, int amount)
    {
        data->qOrder->append();
        data->qOrder->field("id_product")->setValue(product);
        data->qOrder->field("amount")->setValue(amount);
        data->qOrder->post();
    }

    FakePanel panel;
};

TEST_F(OrderLinesTest, FirstLine_StoresTheHeaderFirstAndKeepsItCurrent)
{
    data->RefusalMode = false;
    choose("C");
    data->qOrders->append();
    data->qOrder->append();
    EXPECT_EQ(scalar("select count(*) from orders").toInt(), 1);
    EXPECT_EQ(data->qOrders->state(), db::DatasetState::Edit);
    EXPECT_EQ(data->qOrder->field("id_orders")->asInteger(), 1);
    EXPECT_EQ(data->qOrder->field("amount")->asInteger(), 1);
    EXPECT_EQ(data->qOrder->field("dateprice")->asDateTime(), db::wallClock(QDate(2007, 3, 1)));
    EXPECT_EQ(panel.log, QStringList({"panel+", "nav-"}));
    data->qOrder->field("id_product")->setValue(QStringLiteral("AAA-01"));
    data->qOrder->post();
    EXPECT_EQ(panel.log.mid(2), QStringList({"panel-", "nav+"}));
}

TEST_F(OrderLinesTest, NoCustomerChosenTwice_AppendingOrderErrorAndNoLine)
{
    choose(QString());
    data->qOrders->append();
    choose(QString());
    data->qOrder->append();
    EXPECT_EQ(port.information, QStringList({"Appending Order Error"}));
    EXPECT_EQ(data->qOrder->state(), db::DatasetState::Browse);
    EXPECT_TRUE(data->qOrder->isEmpty());
    EXPECT_EQ(data->qOrders->state(), db::DatasetState::Insert);
    EXPECT_EQ(scalar("select count(*) from orders").toInt(), 0);
}

TEST_F(OrderLinesTest, HeaderWhoseStoreFailed_AppendingOrderErrorAndNoLine)
{
    exec("create trigger refuse_orders before insert on orders begin select raise(abort, 'disk full'); end");
    choose("C");
    data->qOrders->append();
    EXPECT_THROW(data->qOrder->append(), db::DataError);
    ASSERT_EQ(data->qOrders->state(), db::DatasetState::Insert);
    ASSERT_FALSE(data->qOrders->field("id")->isNull()); // numbered by the failed store

    // The customer is cleared and the chooser cancelled: nothing stores the header.
    data->qOrders->field("id_customer")->setValue(QStringLiteral(""));
    choose(QString());
    data->qOrder->append();
    EXPECT_EQ(port.information, QStringList({"Appending Order Error"}));
    EXPECT_EQ(data->qOrder->state(), db::DatasetState::Browse);
    EXPECT_TRUE(data->qOrder->isEmpty());
    EXPECT_EQ(scalar("select count(*) from orders").toInt(), 0);
}

TEST_F(OrderLinesTest, LineValues_SignFromTheHeaderAndZeroForUnknownProducts)
{
    data->RefusalMode = true;
    choose("C");
    data->qOrders->append();
    addLine("AAA-01", 2);
    EXPECT_EQ(data->qOrder->field("TotalSum")->asFloat(), -20.0);
    EXPECT_EQ(data->qOrder->field("TotalPoints")->asFloat(), -6.0);
    addLine("ZZZ-99", 4);
    EXPECT_EQ(data->qOrder->field("ProductName")->asString(), "");
    EXPECT_EQ(data->qOrder->field("TotalSum")->asFloat(), 0.0);
    EXPECT_EQ(data->qOrder->field("TotalPoints")->asFloat(), 0.0);

    // Prices keep their cents: 3 × 2.50 is 7.50, 3 × 0.25 points is 0.75.
    data->RefusalMode = false;
    choose("D");
    data->qOrders->append();
    addLine("BBB-02", 3);
    EXPECT_EQ(data->qOrder->field("TotalSum")->asFloat(), 7.5);
    EXPECT_EQ(data->qOrder->field("TotalPoints")->asFloat(), 0.75);
}

TEST_F(OrderLinesTest, DuplicateProduct_MessageAndTheOrderKeepsOneLine)
{
    choose("C");
    data->qOrders->append();
    addLine("AAA-01", 1);
    data->qOrder->append();
    data->qOrder->field("id_product")->setValue(QStringLiteral("AAA-01"));
    EXPECT_THROW(data->qOrder->post(), db::AbortError);
    EXPECT_EQ(port.errors, QStringList({"Current product already exists\n\rYou can edit number of items"}));
    EXPECT_EQ(data->qOrder->state(), db::DatasetState::Insert);
    data->qOrder->cancel();
    EXPECT_EQ(scalar("select count(*) from ordered").toInt(), 1);

    // Other failures go on unchanged (and are shown once, by the caller).
    data->qOrder->append();
    EXPECT_THROW(data->qOrder->post(), db::DataError);
    EXPECT_EQ(port.errors.size(), 1);
    data->qOrder->cancel();
}

TEST_F(OrderLinesTest, PostPendingLine_DropsAnEmptyNewLineAndStoresTheRest)
{
    choose("C");
    data->qOrders->append();
    data->qOrder->append();
    data->PostPendingLine(data->qOrder->field("id_product"));
    EXPECT_TRUE(data->qOrder->isEmpty());
    EXPECT_EQ(scalar("select count(*) from ordered").toInt(), 0);
    data->qOrder->append();
    data->qOrder->field("id_product")->setValue(QStringLiteral("BBB-02"));
    data->PostPendingLine(data->qOrder->field("id_product"));
    EXPECT_EQ(scalar("select count(*) from ordered").toInt(), 1);
}

TEST_F(OrderLinesTest, Recalculate_SumsLinesIntoHeaderAndMovesThePoints)
{
    choose("C");
    data->qOrders->append();
    data->RecalculateOrder(); // an order without lines stores totals 0
    EXPECT_EQ(scalar("select totalsum from orders").toDouble(), 0.0);

    data->qOrders->edit();
    addLine("AAA-01", 2);
    addLine("BBB-02", 3);
    data->RecalculateOrder();
    EXPECT_EQ(scalar("select totalsum from orders").toDouble(), 27.5);
    EXPECT_EQ(scalar("select totalpoints from orders").toDouble(), 6.75);
    EXPECT_EQ(points("C"), 6.75);
    EXPECT_TRUE(data->qOrder->eof());

    // A line changed after a new catalogue became current is valued from it.
    exec("insert into product values ('AAA-01', 'Cream', '2007-04-01 00:00:00.000', 20, 5)");
    data->qAllProducts->requery();
    data->setCurrentCatalogDate(QDateTime(QDate(2007, 4, 1), QTime(0, 0)));
    ASSERT_TRUE(data->qOrder->locate("id_product", QStringLiteral("AAA-01")));
    data->qOrder->edit();
    data->qOrder->field("amount")->setValue(1);
    data->qOrder->post();
    EXPECT_EQ(data->qOrder->field("TotalSum")->asFloat(), 20.0);
    data->RecalculateOrder();
    EXPECT_EQ(points("C"), 5.75);
    EXPECT_EQ(drift(), 0.0);
}

TEST_F(OrderLinesTest, FocusFailure_ReportsTheBoxAndEditingGoesOn)
{
    panel.canFocus = false;
    choose("C");
    data->qOrders->append();
    data->qOrder->append();
    EXPECT_EQ(port.information, QStringList({"Error In edID.SetFocus"}));
    EXPECT_EQ(data->qOrder->state(), db::DatasetState::Insert);
    data->qOrder->cancel();
}


// The editor closed by Cancel or its close box after lines were stored: the
// lines stay, and the totals and the customer's points follow them.
class OrderEndTest : public OrderLinesTest
{
protected:
    /// The stored totals of order `id` as "sum/points".
    QString stored(int id)
    {
        return scalar("select totalsum || '/' || totalpoints from orders where id = " + QString::number(id)).toString();
    }
    /// Every header's totals minus the signed values of its lines.
    double unmatched()
    {
        return scalar("select coalesce(sum(abs(o.totalsum - coalesce((select sum(p.price * l.amount * "
                      "(case when o.refusal then -1 else 1 end)) from ordered l join product p on p.id = l.id_product "
                      "and p.dateprice = l.dateprice where l.id_orders = o.id), 0))), 0) from orders o")
            .toDouble();
    }
};

TEST_F(OrderEndTest, CancelAfterLinesWereStored_TotalsAndPointsFollowTheLines)
{
    for (const bool refusal : {false, true}) {
        data->RefusalMode = refusal;
        choose("C");
        data->qOrders->append();
        addLine("AAA-01", 2);
        const int order = data->qOrders->field("id")->asInteger();
        EXPECT_EQ(stored(order), "0.0/0.0");
        data->EndOrderEdit(false);
        EXPECT_EQ(data->qOrders->state(), db::DatasetState::Browse);
        EXPECT_EQ(stored(order), refusal ? "-20.0/-6.0" : "20.0/6.0");
        EXPECT_EQ(scalar("select count(*) from ordered where id_orders = " + QString::number(order)).toInt(), 1);
    }
    EXPECT_EQ(points("C"), 0.0); // the order and the refusal of the same goods
    EXPECT_EQ(drift(), 0.0);

    // A line deleted counts as much as one stored.
    ASSERT_TRUE(data->qOrders->locate("id", 1));
    data->qOrders->edit();
    data->qOrder->remove();
    data->EndOrderEdit(false);
    EXPECT_EQ(stored(1), "0.0/0.0");
    EXPECT_EQ(points("C"), -6.0);
    EXPECT_EQ(unmatched(), 0.0);
}

TEST_F(OrderEndTest, OldOrderWithoutLineChanges_CancelStoresNothingAndOkStoresTheHeader)
{
    // Stored totals that its lines do not explain: only a recalculation would change them.
    const int order = storeOrder("C", 100, 10);
    exec("insert into ordered values (" + QString::number(order) + ", 'AAA-01', 1, '2007-03-01 00:00:00.000')");
    const QDateTime newDate(QDate(2007, 5, 1), QTime(0, 0));
    const int before = statements();
    for (const bool ok : {false, true}) {
        ASSERT_TRUE(data->qOrders->locate("id", order));
        data->qOrders->edit();
        data->qOrders->field("ordersdate")->setValue(newDate);
        data->qOrder->append(); // a line started and given up
        data->qOrder->cancel();
        data->qOrder->edit(); // a line changed and the change dropped
        data->qOrder->field("amount")->setValue(5);
        data->qOrder->cancel();
        data->EndOrderEdit(ok);
        EXPECT_EQ(data->qOrders->state(), db::DatasetState::Browse);
        EXPECT_EQ(scalar("select ordersdate from orders").toString() == "2007-05-01 00:00:00.000", ok);
    }
    EXPECT_EQ(stored(order), "100.0/10.0");
    EXPECT_EQ(statements(), before);
}

TEST_F(OrderEndTest, NeverStoredHeader_Dropped)
{
    choose("C");
    data->qOrders->append();
    data->EndOrderEdit(false);
    EXPECT_EQ(scalar("select count(*) from orders").toInt(), 0);
    EXPECT_EQ(data->qOrders->state(), db::DatasetState::Browse);
}

TEST_F(OrderEndTest, KindStoredChanged_TotalsFollowTheLines)
{
    choose("C");
    data->qOrders->append();
    addLine("AAA-01", 1);
    data->RecalculateOrder();
    ASSERT_EQ(points("C"), 3.0);
    // The kind stored on its own, as Reverse does for an order being viewed.
    data->qOrders->edit();
    data->qOrders->field("refusal")->setValue(true);
    data->qOrders->post();
    data->EndOrderEdit(false);
    EXPECT_EQ(stored(1), "-10.0/-3.0");
    EXPECT_EQ(points("C"), -3.0);
}

TEST_F(OrderEndTest, FailedRecalculation_ToldOnceBrowsingStoredValuesAndRecalculatedAtTheNextEnd)
{
    choose("C");
    data->qOrders->append();
    addLine("AAA-01", 1);
    exec("create trigger refuse_c before update of totalpoints on customer when new.id = 'C' "
         "begin select raise(abort, 'points refused'); end");
    EXPECT_THROW(data->EndOrderEdit(false), db::DataError);
    EXPECT_EQ(data->qOrders->state(), db::DatasetState::Browse);
    EXPECT_EQ(data->qOrders->field("totalpoints")->asFloat(), 0.0);
    EXPECT_EQ(stored(1), "0.0/0.0");
    EXPECT_EQ(drift(), 0.0);

    // Opened again and cancelled with no line changed: its totals are still
    // owed to its lines.
    exec("drop trigger refuse_c");
    ASSERT_TRUE(data->qOrders->locate("id", 1));
    data->qOrders->edit();
    data->EndOrderEdit(false);
    EXPECT_EQ(stored(1), "10.0/3.0");
    EXPECT_EQ(points("C"), 3.0);
    EXPECT_EQ(drift(), 0.0);
}

TEST_F(OrderRulesTest, HeaderWithoutCustomer_NeverStoredNorLosesItsCustomer)
{
    choose(QString());
    data->qOrders->append();
    EXPECT_THROW(data->qOrders->post(), db::AbortError);
    EXPECT_EQ(port.errors, QStringList({"Enter customer name (ID) first"}));
    EXPECT_EQ(data->qOrders->state(), db::DatasetState::Insert);
    data->qOrders->cancel();
    EXPECT_EQ(scalar("select count(*) from orders").toInt(), 0);

    const int order = storeOrder("C", 10, 1);
    ASSERT_TRUE(data->qOrders->locate("id", order));
    data->qOrders->edit();
    data->qOrders->field("id_customer")->setValue(QStringLiteral(" "));
    EXPECT_THROW(data->qOrders->post(), db::AbortError);
    EXPECT_EQ(port.errors.size(), 2);
    data->qOrders->cancel();
    EXPECT_EQ(points("C"), 1.0);

    // One stored without a customer long ago can still be stored.
    exec("insert into orders (id, totalsum, totalpoints) values (7, 5, 1)");
    data->qOrders->requery();
    changeOrder(7, [](Dataset &h) { h.field("totalsum")->setValue(6); });
    EXPECT_EQ(scalar("select totalsum from orders where id = 7").toDouble(), 6.0);
    EXPECT_EQ(port.errors.size(), 2);
}

} // namespace
