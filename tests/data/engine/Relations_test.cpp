// Lookups, master/detail, filters and transactions: how datasets relate to
// each other and to the connection.
#include "EngineFixture.h"

#include "engine/Command.h"

#include <sqlite3.h>

using namespace db;

namespace {

class RelationsTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        exec("insert into customer (id, sname) values ('1', 'Ivanov'), ('2', 'Petrov')");
        exec("insert into product (id, name, dateprice, price, points) values "
             "('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3),"
             "('AAA-01', 'Cream (new)', '2007-06-01 00:00:00.000', 12.5, 4),"
             "('BBB-02', 'Soap', '2007-03-01 00:00:00.000', 2, 1)");
        exec("insert into orders (id, id_customer, totalsum, totalpoints, refusal, ordersdate) values "
             "(1, '1', 0, 0, 0, '2007-03-05 00:00:00.000'), (2, '2', 0, 0, 1, '2007-03-06 00:00:00.000'),"
             "(3, '1', 5, 1, 0, '2007-03-07 00:00:00.000')");
        exec("insert into ordered (id_orders, id_product, amount, dateprice) values "
             "(1, 'AAA-01', 2, '2007-03-01 00:00:00.000'), (1, 'BBB-02', 1, '2007-03-01 00:00:00.000'),"
             "(2, 'AAA-01', 1, '2007-06-01 00:00:00.000')");

        products = std::make_unique<Dataset>(&connection, "qAllProducts");
        products->setSql("select * from product");

        orders = std::make_unique<Dataset>(&connection, "qOrders");
        orders->setSql("select * from orders order by id");
        orders->addField("id", FieldType::AutoInc);
        orders->addField("id_customer", FieldType::String, 6);
        orders->addField("totalsum", FieldType::Currency);
        orders->addField("refusal", FieldType::Boolean);
        orders->addField("ordersdate", FieldType::DateTime);
        orders->setUpdateTable("orders", {"id"});

        lines = std::make_unique<Dataset>(&connection, "qOrder");
        lines->setSql("select * from ordered where id_orders = :id ");
        lines->addField("id_orders", FieldType::Integer);
        lines->addField("id_product", FieldType::FixedChar, 6);
        lines->addLookupField("ProductName", FieldType::String, 255, products.get(), {"id_product", "dateprice"},
                              {"id", "dateprice"}, "name");
        lines->addField("amount", FieldType::Integer);
        lines->addLookupField("Price", FieldType::Float, 0, products.get(), {"id_product", "dateprice"},
                              {"id", "dateprice"}, "price");
        lines->addField("dateprice", FieldType::DateTime);
        lines->setUpdateTable("ordered", {"id_orders", "id_product"});
        lines->setMaster(orders.get(), {{"id", "id"}});
    }

    std::unique_ptr<Dataset> products, orders, lines;
};

TEST_F(RelationsTest, TwoKeyLookup_PicksTheProductOfTheLinesCatalogue)
{
    products->open();
    orders->open();
    lines->open();
    ASSERT_EQ(lines->recordCount(), 2);
    EXPECT_EQ(lines->field("ProductName")->asString(), "Cream");
    EXPECT_DOUBLE_EQ(lines->field("Price")->asFloat(), 10.0);
    orders->next(); // order 2: the June catalogue's cream
    EXPECT_EQ(lines->field("ProductName")->asString(), "Cream (new)");
    EXPECT_DOUBLE_EQ(lines->field("Price")->asFloat(), 12.5);

    // Editing the key re-resolves; no match and a closed source give null.
    lines->edit();
    lines->field("dateprice")->setValue(QDateTime(QDate(2007, 3, 1), QTime(0, 0)));
    EXPECT_EQ(lines->field("ProductName")->asString(), "Cream");
    lines->field("id_product")->setValue(QStringLiteral("ZZZ-99"));
    EXPECT_TRUE(lines->field("ProductName")->isNull());
    lines->cancel();
    products->close();
    EXPECT_TRUE(lines->field("ProductName")->isNull());
}

TEST_F(RelationsTest, Lookup_SeesPostedChangesOfItsSource)
{
    products->setUpdateTable("product", {"id", "dateprice"});
    products->open();
    orders->open();
    lines->open();
    ASSERT_TRUE(products->locate({"id", "dateprice"}, {QStringLiteral("BBB-02"), QStringLiteral("2007-03-01 00:00:00.000")}));
    EXPECT_EQ(lines->valueAt(1, lines->field("ProductName")).toString(), "Soap");
    products->edit();
    products->field("name")->setValue(QStringLiteral("Soap bar"));
    products->post();
    EXPECT_EQ(lines->valueAt(1, lines->field("ProductName")).toString(), "Soap bar");
}

TEST_F(RelationsTest, Lookup_FollowsAKeyEditedInItsSourceAndCancelled)
{
    products->open();
    orders->open();
    lines->open();
    ASSERT_TRUE(products->locate({"id", "dateprice"}, {QStringLiteral("BBB-02"), QStringLiteral("2007-03-01 00:00:00.000")}));
    EXPECT_EQ(lines->valueAt(1, lines->field("ProductName")).toString(), "Soap");

    products->edit();
    products->field("id")->setValue(QStringLiteral("CCC-03"));
    EXPECT_TRUE(lines->valueAt(1, lines->field("ProductName")).isNull());
    products->cancel();
    EXPECT_EQ(lines->valueAt(1, lines->field("ProductName")).toString(), "Soap");

    // A new row typed and dropped leaves the look-ups as they were.
    products->append();
    products->field("id")->setValue(QStringLiteral("BBB-02"));
    products->field("dateprice")->setValue(QStringLiteral("2007-03-01 00:00:00.000"));
    products->field("name")->setValue(QStringLiteral("Draft"));
    EXPECT_EQ(lines->valueAt(1, lines->field("ProductName")).toString(), "Soap");
    products->cancel();
    EXPECT_EQ(lines->valueAt(1, lines->field("ProductName")).toString(), "Soap");
    EXPECT_EQ(lines->valueAt(0, lines->field("ProductName")).toString(), "Cream");
}

TEST_F(RelationsTest, SourceReadAgain_RecalculatesTheUsersCalculatedFields)
{
    lines->addCalcField("Total", FieldType::Float);
    lines->onCalcFields = [](Dataset &d) {
        d.field("Total")->setValue(d.field("Price")->asFloat() * d.field("amount")->asFloat());
    };
    products->open();
    orders->open();
    lines->open();
    ASSERT_DOUBLE_EQ(lines->valueAt(0, lines->field("Total")).toDouble(), 20.0);
    int told = 0;
    QObject::connect(lines.get(), &Dataset::valuesChanged, [&told] { ++told; });

    exec("update product set price = 11 where id = 'AAA-01' and dateprice = '2007-03-01 00:00:00.000'");
    products->requery();
    EXPECT_DOUBLE_EQ(lines->valueAt(0, lines->field("Total")).toDouble(), 22.0);
    EXPECT_EQ(told, 1);
    // A closed source values every line at nothing.
    products->close();
    EXPECT_DOUBLE_EQ(lines->valueAt(0, lines->field("Total")).toDouble(), 0.0);
    EXPECT_EQ(told, 2);
}

TEST_F(RelationsTest, Detail_FollowsMasterRowAndNewHeader)
{
    orders->open();
    lines->open();
    EXPECT_EQ(lines->recordCount(), 2);
    orders->last();
    EXPECT_TRUE(lines->isEmpty());
    orders->locate("id", 2);
    EXPECT_EQ(lines->recordCount(), 1);

    // A header not stored yet has no number and shows no lines; once stored
    // with its number, its lines follow it.
    orders->append();
    EXPECT_TRUE(lines->isEmpty());
    orders->field("id")->setValue(4);
    orders->post();
    lines->append();
    EXPECT_EQ(lines->param("id").value().toInt(), 4);
    lines->field("id_orders")->setValue(4);
    lines->field("id_product")->setValue(QStringLiteral("BBB-02"));
    lines->field("amount")->setValue(3);
    lines->post();
    orders->first();
    orders->last();
    EXPECT_EQ(lines->recordCount(), 1);
    EXPECT_EQ(lines->field("id_product")->asString(), "BBB-02");
}

TEST_F(RelationsTest, MasterMove_StoresTheDetailsPendingEditFirst)
{
    orders->open();
    lines->open();
    // Typed into a line, then the header moves on: the line is stored.
    const QString product = lines->field("id_product")->asString();
    lines->edit();
    lines->field("amount")->setValue(5);
    orders->next();
    EXPECT_EQ(orders->field("id")->asInteger(), 2);
    EXPECT_EQ(scalar("select amount from ordered where id_orders = 1 and id_product = '" + product + "'").toInt(), 5);

    // A new line with nothing typed is dropped, not stored.
    lines->append();
    orders->prior();
    EXPECT_EQ(orders->field("id")->asInteger(), 1);
    EXPECT_EQ(scalar("select count(*) from ordered where id_orders = 2").toInt(), 1);

    // A line the file refuses (the product is on the order already) keeps
    // the header where it is and the line as typed.
    lines->append();
    lines->field("id_orders")->setValue(1);
    lines->field("id_product")->setValue(QStringLiteral("BBB-02"));
    lines->field("amount")->setValue(1);
    EXPECT_THROW(orders->next(), DataError);
    EXPECT_EQ(orders->field("id")->asInteger(), 1);
    EXPECT_EQ(lines->state(), DatasetState::Insert);
    EXPECT_EQ(lines->field("amount")->asInteger(), 1);
}

TEST_F(RelationsTest, Cascades_DeletingOrderOrProductRemovesItsLines)
{
    exec("delete from orders where id = 1");
    EXPECT_EQ(scalar("select count(*) from ordered where id_orders = 1").toInt(), 0);
    exec("delete from product where id = 'AAA-01' and dateprice = '2007-06-01 00:00:00.000'");
    EXPECT_EQ(scalar("select count(*) from ordered").toInt(), 0);
}

TEST_F(RelationsTest, UniqueKeys_SecondLineForProductAndSecondProductPerDateRefused)
{
    EXPECT_THROW(exec("insert into ordered (id_orders, id_product, amount) values (1, 'AAA-01', 1)"), DataError);
    EXPECT_THROW(exec("insert into product values ('BBB-02', 'x', '2007-03-01 00:00:00.000', 1, 1)"), DataError);
}

struct FilterCase
{
    const char *filter;
    QStringList ids;
};

class FilterTextTest : public RelationsTest, public ::testing::WithParamInterface<FilterCase>
{
};

TEST_P(FilterTextTest, EveryForm_SelectsTheRightRows)
{
    exec("update customer set sname = 'O''Brien' where id = '2'");
    exec("insert into customer (id, sname) values ('10', 'Иванова'), ('11', 'ИВАНОВ')");
    Dataset ds(&connection, "qCustomer");
    ds.setSql("select * from customer order by id");
    ds.addField("id", FieldType::String, 6);
    ds.addField("sname", FieldType::String, 50);
    ds.open();
    auto rowsOf = [&]() {
        QStringList ids;
        for (int i = 0; i < ds.recordCount(); ++i)
            ids << ds.valueAt(i, ds.field("id")).toString();
        return ids;
    };
    ds.setFiltered(true);
    ds.setFilterText(QString::fromUtf8(GetParam().filter));
    EXPECT_EQ(rowsOf(), GetParam().ids) << GetParam().filter;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, FilterTextTest,
    ::testing::Values(FilterCase{"", {"1", "10", "11", "2"}}, FilterCase{"id like '1*'", {"1", "10", "11"}},
                      FilterCase{"id like '1%'", {"1", "10", "11"}}, FilterCase{"sname like 'iv*'", {"1"}},
                      FilterCase{"sname like 'иван%'", {"10", "11"}},
                      FilterCase{"id like '1*' and sname like 'ИВАНОВА*'", {"10"}},
                      FilterCase{"sname = 'O''Brien'", {"2"}}, FilterCase{"sname like 'o''*'", {"2"}},
                      FilterCase{"id = '11'", {"11"}}, FilterCase{"sname like 'Iv anov*'", {}}));

TEST_F(RelationsTest, FilterText_DatesBooleansAndTheRecordFilterTogether)
{
    orders->open();
    orders->setFiltered(true);
    auto ids = [&]() {
        QStringList result;
        for (int i = 0; i < orders->recordCount(); ++i)
            result << orders->valueAt(i, orders->field("id")).toString();
        return result;
    };
    // Dates in the locale's general date format (dd/MM/yyyy here), end excluded.
    orders->setFilterText("ordersdate >= 05/03/2007 and ordersdate < 07/03/2007");
    EXPECT_EQ(ids(), QStringList({"1", "2"}));
    orders->setFilterText("refusal = 1");
    EXPECT_EQ(ids(), QStringList({"2"}));
    orders->setFilterText("refusal = 0");
    EXPECT_EQ(ids(), QStringList({"1", "3"}));

    // The record-filter handler and the text must both accept.
    orders->setOnFilterRecord([](Dataset &d) { return d.field("id_customer")->asString() == "1"; });
    orders->refilter();
    EXPECT_EQ(ids(), QStringList({"1", "3"}));
    orders->setFilterText("ordersdate < 06/03/2007");
    EXPECT_EQ(ids(), QStringList({"1"}));
    orders->setFiltered(false);
    EXPECT_EQ(orders->recordCount(), 3);
}

TEST_F(RelationsTest, BadFilterText_RaisesAndKeepsThePreviousFilter)
{
    orders->open();
    orders->setFiltered(true);
    orders->setFilterText("refusal = 1");
    EXPECT_THROW(orders->setFilterText("refusal == 'x"), DataError);
    EXPECT_THROW(orders->setFilterText("nosuchcolumn = 1"), DataError);
    EXPECT_THROW(orders->setFilterText("ordersdate >= someday"), DataError);
    EXPECT_THROW(orders->setFilterText("id like 3"), DataError);
    EXPECT_EQ(orders->filterText(), "refusal = 1");
    EXPECT_EQ(orders->recordCount(), 1);
}

TEST_F(RelationsTest, NestedTransaction_RollbackKeepsOuterRunning)
{
    Transaction outer(connection);
    exec("update customer set totalpoints = 5 where id = '1'");
    {
        Transaction inner(connection);
        exec("update customer set totalpoints = 99 where id = '2'");
        // destroyed without commit: rolls back to the savepoint
    }
    EXPECT_EQ(connection.transactionDepth(), 1);
    EXPECT_EQ(scalar("select totalpoints from customer where id = '2'").toDouble(), 0.0);
    {
        Transaction inner(connection);
        exec("update customer set totalpoints = 7 where id = '2'");
        inner.commit();
    }
    outer.commit();
    EXPECT_EQ(connection.transactionDepth(), 0);
    EXPECT_EQ(scalar("select totalpoints from customer where id = '1'").toDouble(), 5.0);
    EXPECT_EQ(scalar("select totalpoints from customer where id = '2'").toDouble(), 7.0);

    {
        Transaction all(connection);
        exec("delete from customer");
    }
    EXPECT_EQ(scalar("select count(*) from customer").toInt(), 2);
}

TEST_F(RelationsTest, TransactionRolledBackByTheDatabase_NextBeginStartsAfresh)
{
    exec("create trigger refuse_all before update of sname on customer begin select raise(rollback, 'gone'); end");
    {
        Transaction outer(connection);
        exec("update customer set totalpoints = 5 where id = '1'");
        EXPECT_THROW(exec("update customer set sname = 'x' where id = '2'"), DataError);
        // The work of the outer transaction is gone: it must not be stored
        // as if nothing had happened.
        EXPECT_THROW(outer.commit(), DataError);
        EXPECT_EQ(connection.transactionDepth(), 0);
    }
    EXPECT_EQ(scalar("select totalpoints from customer where id = '1'").toDouble(), 0.0);

    Transaction lost(connection);
    EXPECT_THROW(exec("update customer set sname = 'x' where id = '2'"), DataError);
    {
        Transaction next(connection);
        EXPECT_EQ(connection.transactionDepth(), 1);
        exec("update customer set totalpoints = 7 where id = '2'");
        next.commit();
    }
    EXPECT_EQ(connection.transactionDepth(), 0);
    EXPECT_EQ(scalar("select totalpoints from customer where id = '2'").toDouble(), 7.0);
    EXPECT_TRUE(sqlite3_get_autocommit(connection.handle()));
}

TEST_F(RelationsTest, MoneyRoundedAfterIncrementStatements)
{
    Command command(&connection, "cmExecSql");
    command.setText("update customer set totalpoints = totalpoints + 0.1 where id = '1'");
    for (int i = 0; i < 3; ++i)
        command.execute();
    command.setText("update customer set totalpoints = totalpoints + 0.00004 where id = '1'");
    command.execute();
    EXPECT_EQ(scalar("select totalpoints from customer where id = '1'").toDouble(), 0.3);
    EXPECT_EQ(scalar("select cast(totalpoints as text) from customer where id = '1'").toString(), "0.3");
}

TEST_F(RelationsTest, DateParameter_DeclaredAsTextStillFindsTheCatalogue)
{
    Dataset ds(&connection, "qGetProductID");
    ds.setSql("select count(*) from product where dateprice = :dateprice ");
    ds.param("dateprice").setDataType(FieldType::String);
    ds.param("dateprice").setValue(QDateTime(QDate(2007, 3, 1), QTime(0, 0)));
    ds.open();
    EXPECT_EQ(ds.fieldAt(0)->asInteger(), 2);
}

TEST_F(RelationsTest, LikeAndNameOrder_FoldEveryLetter)
{
    exec("insert into customer (id, sname) values ('3', 'борисов'), ('4', 'Андреев'), ('5', 'Борисова'), ('6', 'adams')");
    Dataset ds(&connection, "q");
    ds.setSql("select id from customer where sname like 'бор%' order by id");
    ds.open();
    EXPECT_EQ(ds.recordCount(), 2);
    ds.close();
    ds.setSql("select sname from customer order by sname");
    ds.open();
    QStringList names;
    for (int i = 0; i < ds.recordCount(); ++i)
        names << ds.valueAt(i, ds.fieldAt(0)).toString();
    EXPECT_EQ(names, QStringList({"adams", "Ivanov", "Petrov", "Андреев", "борисов", "Борисова"}));
    EXPECT_EQ(scalar("select len('Иван ')").toInt(), 5);
}

TEST_F(RelationsTest, Connect_FailsOnMissingOrForeignFile)
{
    Connection other;
    other.setDataSource(folder.file("missing.mdb"));
    EXPECT_THROW(other.open(), DataError);
    EXPECT_FALSE(other.isConnected());

    QFile junk(folder.file("junk.mdb"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a database at all, just some text that is long enough to matter....");
    junk.close();
    other.setDataSource(junk.fileName());
    EXPECT_THROW(other.open(), DataError);
    EXPECT_FALSE(other.isConnected());

    QFile empty(folder.file("empty.mdb"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    other.setDataSource(empty.fileName());
    EXPECT_THROW(other.open(), DataError);
    EXPECT_FALSE(other.isConnected());

    // A file with only some of the program's tables is not one of ours either.
    const QString partial = folder.file("partial.mdb");
    {
        Connection maker;
        maker.openFile(partial, db::FileMode::Create);
        maker.execute("create table customer (id text primary key, sname text); create table orders (id integer)");
    }
    other.setDataSource(partial);
    try {
        other.open();
        ADD_FAILURE() << "connected to a file without the product tables";
    } catch (const DataError &error) {
        EXPECT_TRUE(error.text().contains("ordered, product")) << error.text().toStdString();
    }
    EXPECT_FALSE(other.isConnected());
}

TEST_F(RelationsTest, Connect_FailingAfterConnectHook_LeavesConnectionAndDatasetsClosed)
{
    connection.close();
    products->setSql("select * from product");
    connection.afterConnect = [this] {
        products->open();
        throw DataError("no catalogue");
    };
    EXPECT_THROW(connection.open(), DataError);
    EXPECT_FALSE(connection.isConnected());
    EXPECT_FALSE(products->isActive());
    EXPECT_EQ(connection.handle(), nullptr);

    // Nothing is left half-open: the next connect starts afresh.
    connection.afterConnect = nullptr;
    connection.open();
    EXPECT_TRUE(connection.isConnected());
    EXPECT_EQ(scalar("select count(*) from customer").toInt(), 2);
}

} // namespace
