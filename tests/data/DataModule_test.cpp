// The data module's life cycle: creation, connecting, the current catalogue,
// the lookup counter and the statements of its datasets.
#include "DataU.h"
#include "IniFile.h"
#include "Messages.h"
#include "ScriptedUserPort.h"
#include "TestSupport.h"
#include "engine/WallClock.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using db::Dataset;

namespace {

QDateTime day(int year, int month, int dayOfMonth)
{
    return db::wallClock(QDate(year, month, dayOfMonth));
}

class DataModuleTest : public ::testing::Test
{
protected:
    /// Creates the data module (after writing `settings` as the settings file).
    TData &create(const QString &settings = QString())
    {
        if (!settings.isEmpty()) {
            QFile file(folder.file("quorvel.ini"));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(settings.toUtf8());
        }
        data = std::make_unique<TData>(folder.programPath(), port);
        return *data;
    }

    TData &connected()
    {
        folder.createDatabase();
        TData &d = create();
        d.connect();
        return d;
    }

    void exec(const QString &sql) { data->ADOConnection.execute(sql); }

    QStringList column(Dataset *ds, const QString &field)
    {
        QStringList values;
        for (int i = 0; i < ds->recordCount(); ++i)
            values << ds->valueAt(i, ds->field(field)).toString();
        return values;
    }

    testing_support::ProgramFolder folder;
    testing_support::LocaleGuard locale{testing_support::pointLocale()};
    ScriptedUserPort port;
    std::unique_ptr<TData> data;
};

TEST_F(DataModuleTest, NoSettingsFile_StartsDisconnectedWithEmptyConnectionString)
{
    TData &d = create();
    EXPECT_FALSE(d.isConnected());
    EXPECT_TRUE(d.ADOConnection.connectionString().isEmpty());
    EXPECT_FALSE(d.currentCatalogDate().isValid());
    EXPECT_FALSE(d.showHints());
    EXPECT_EQ(d.qProduct->field("id")->editMask(), "AAA-AA;1;_");
    EXPECT_EQ(d.qOrder->field("id_product")->editMask(), "AAA-AA;1;_");
    EXPECT_TRUE(port.errors.isEmpty());
}

TEST_F(DataModuleTest, ConnectOnStartWithoutDatabase_ShowsTheErrorOnceAndLoadsTexts)
{
    QFile loc(folder.file("loc"));
    ASSERT_TRUE(loc.open(QIODevice::WriteOnly));
    loc.write("[Consts]\r\nlOrder=' Заказ '\r\n[Controls]\r\nData_qOrdersid=Номер\r\n");
    loc.close();
    TData &d = create("[SrvSettings]\r\nConnectOnStart=1\r\n[MiscSettings]\r\nProductIDMask=000-00;1;_\r\nShowHints=0x1\r\n");
    EXPECT_FALSE(d.isConnected());
    ASSERT_EQ(port.errors.size(), 1);
    EXPECT_TRUE(port.errors[0].contains("DB2.mdb")) << port.errors[0].toStdString();
    EXPECT_EQ(Messages().lOrder, " Заказ ");
    EXPECT_EQ(d.qOrders->field("id")->displayLabel(), "Номер");
    EXPECT_EQ(d.qProduct->field("id")->editMask(), "000-00;1;_");
    EXPECT_TRUE(d.showHints());
}

// Files saved as "Unicode" by another editor: read in their encoding; a
// localization file that cannot be written back is left alone, and said so.
TEST_F(DataModuleTest, SettingsAndLocalizationInUtf16_ReadAndTheUnwritableOneLeftAlone)
{
    folder.createDatabase();
    QStringEncoder utf16(QStringConverter::Utf16LE);
    testing_support::writeFileBytes(folder.file("quorvel.ini"),
                                    "\xFF\xFE" + QByteArray(utf16(u"[SrvSettings]\r\nConnectOnStart=1\r\n")));
    const QByteArray loc = "\xFF\xFE" + QByteArray(utf16(u"[Consts]\r\nlOrder=' Заказ '\r\n")) + QByteArray("\x00\xD8", 2);
    testing_support::writeFileBytes(folder.file("loc"), loc);

    TData &d = create();
    EXPECT_TRUE(d.isConnected());
    EXPECT_EQ(Messages().lOrder, QStringLiteral(" Заказ "));
    EXPECT_EQ(testing_support::readFileBytes(folder.file("loc")), loc);
    ASSERT_EQ(port.information.size(), 1);
    EXPECT_TRUE(port.information[0].contains(folder.file("loc")));
    resetMessages();
}

// A database the program could not store in is refused at connect, in plain
// words naming the file, and the file is left as it was.
TEST_F(DataModuleTest, ReadOnlyDatabaseOrFolder_RefusedAtConnectAndLeftAsItWas)
{
    const struct
    {
        const char *name;
        QFile::Permissions database, folder;
        db::FailureKind kind;
    } cases[] = {
        {"read-only file", QFile::ReadOwner | QFile::ReadOther,
         QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther,
         db::FailureKind::ReadOnlyFile},
        {"read-only folder", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::WriteOther,
         QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther, db::FailureKind::ReadOnlyFolder},
    };
    for (const auto &c : cases) {
        testing_support::ProgramFolder program;
        const QString path = program.createDatabase();
        const QByteArray before = testing_support::readFileBytes(path);
        QFile::setPermissions(path, c.database);
        QFile::setPermissions(program.folder(), c.folder);
        const int status = testing_support::runUnprivileged([&] {
            ConsoleUserPort quiet;
            TData data(program.programPath(), quiet);
            try {
                data.connect();
                return 1;
            } catch (const db::DataError &error) {
                return error.kind() == c.kind && error.text().contains(QDir::toNativeSeparators(path))
                        && !data.isConnected() ? 0 : 2;
            }
        });
        QFile::setPermissions(program.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(status, 0) << c.name;
        EXPECT_EQ(testing_support::readFileBytes(path), before) << c.name;
    }
}

// Another program's database in WAL mode is refused as it was found: nothing
// of it, not even its journal mode, is changed by looking at it.
TEST_F(DataModuleTest, ForeignFileInWalMode_RefusedUnchanged)
{
    {
        db::Connection other;
        other.openFile(folder.file("DB2.mdb"), db::FileMode::Create);
        other.execute("PRAGMA journal_mode = WAL; create table notes (text); insert into notes values ('mine')");
    }
    const QByteArray before = testing_support::readFileBytes(folder.file("DB2.mdb"));
    TData &d = create();
    try {
        d.connect();
        ADD_FAILURE() << "a foreign file was accepted";
    } catch (const db::DataError &error) {
        EXPECT_TRUE(error.text().startsWith("Unrecognized database format")) << error.text().toStdString();
    }
    EXPECT_EQ(testing_support::readFileBytes(folder.file("DB2.mdb")), before);
}

// One writer per database: a second copy is refused while the first holds
// the file, and takes it once the first is gone, also after a crash.
TEST_F(DataModuleTest, SecondCopy_RefusedWhileTheFirstHoldsTheDatabase)
{
    const QString path = folder.createDatabase();
    for (const bool crash : {false, true}) {
        int ready[2], go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        const pid_t first = ::fork();
        ASSERT_GE(first, 0);
        if (first == 0) {
            ConsoleUserPort quiet;
            TData data(folder.programPath(), quiet);
            data.connect();
            char byte = 1;
            (void)!::write(ready[1], &byte, 1);
            (void)!::read(go[0], &byte, 1);
            ::_exit(0);
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);

        TData &second = create();
        try {
            second.connect();
            ADD_FAILURE() << "two copies hold the database";
        } catch (const db::DataError &error) {
            EXPECT_EQ(error.kind(), db::FailureKind::InUse);
            EXPECT_EQ(error.text(), FormatMessage(Messages().lDatabaseInUseMes, {QDir::toNativeSeparators(path)}));
        }
        EXPECT_FALSE(second.isConnected());

        if (crash)
            ::kill(first, SIGKILL);
        else
            (void)!::write(go[1], &byte, 1);
        int status = 0;
        ::waitpid(first, &status, 0);
        second.connect();
        EXPECT_TRUE(second.isConnected()) << (crash ? "after a crash" : "after a close");
        second.disconnect();
        data.reset();
        for (int fd : {ready[0], ready[1], go[0], go[1]})
            ::close(fd);
    }
}

TEST_F(DataModuleTest, ConnectionStringNamingAnotherFile_StillOpensDB2InTheProgramFolder)
{
    folder.createDatabase();
    TData &d = create("[SrvSettings]\r\nADOConnectionString=Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\other.mdb;"
                      "Persist Security Info=False\r\nConnectOnStart=1\r\n");
    ASSERT_TRUE(d.isConnected());
    EXPECT_EQ(d.ADOConnection.dataSource(), folder.file("DB2.mdb"));
    EXPECT_TRUE(port.errors.isEmpty());
}

TEST_F(DataModuleTest, CurrentCatalogue_LatestOnOrBeforeConnecting_ClearedOnDisconnect)
{
    folder.createDatabase();
    TData &d = create();
    d.clock = [] { return QDateTime(QDate(2007, 5, 15), QTime(10, 30)); };

    // No catalogue at all: the zero date stands for "none".
    d.connect();
    EXPECT_EQ(d.currentCatalogDate().toDateTime(), db::zeroDateTime());
    exec("insert into product values ('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3),"
         "('AAA-01', 'Cream', '2007-06-01 00:00:00.000', 11, 3)");
    d.disconnect();
    EXPECT_FALSE(d.currentCatalogDate().isValid());

    d.connect();
    EXPECT_EQ(d.currentCatalogDate().toDateTime(), day(2007, 3, 1));
    EXPECT_FALSE(d.qChCurCat->isActive());
    d.setCurrentCatalogDate(day(2007, 6, 1));
    d.disconnect();
    d.connect();
    EXPECT_EQ(d.currentCatalogDate().toDateTime(), day(2007, 3, 1));
    EXPECT_EQ(port.captionRefreshes, 5);
    d.qProduct->open();
    EXPECT_EQ(d.qProduct->recordCount(), 1);
    EXPECT_DOUBLE_EQ(d.qProduct->field("price")->asFloat(), 10.0);
}

TEST_F(DataModuleTest, Connect_ToAFileTheCatalogueQueryCannotRead_StaysDisconnected)
{
    // All four tables, but a product table without catalogue dates: the file
    // opens and the current catalogue cannot be found.
    {
        db::Connection maker;
        maker.openFile(folder.file("DB2.mdb"), db::FileMode::Create);
        maker.execute("create table customer (id text); create table orders (id integer);"
                      "create table ordered (id_orders integer); create table product (id text)");
    }
    TData &d = create();
    EXPECT_THROW(d.connect(), db::DataError);
    EXPECT_FALSE(d.isConnected());
    EXPECT_FALSE(d.qChCurCat->isActive());
    EXPECT_FALSE(d.currentCatalogDate().isValid());
    EXPECT_THROW(d.qOrders->open(), db::DataError);
}

TEST_F(DataModuleTest, Connect_ToAFileWithoutTheProductTables_FailsWithTheEngineText)
{
    {
        db::Connection maker;
        maker.openFile(folder.file("DB2.mdb"), db::FileMode::Create);
        maker.execute("create table customer (id text primary key, sname text)");
    }
    TData &d = create("[SrvSettings]\r\nConnectOnStart=1\r\n");
    EXPECT_FALSE(d.isConnected());
    ASSERT_EQ(port.errors.size(), 1);
    EXPECT_TRUE(port.errors[0].contains("Unrecognized database format")) << port.errors[0].toStdString();
    EXPECT_TRUE(port.errors[0].contains("product")) << port.errors[0].toStdString();
}

TEST_F(DataModuleTest, CurrentCatalogue_DatedOnADayWithoutLocalMidnight)
{
    testing_support::ZoneGuard zone("America/Santiago");
    if (!zone.active())
        GTEST_SKIP() << "no America/Santiago zone on this machine";
    folder.createDatabase();
    TData &d = create();
    // Chile moved its clocks from 00:00 to 01:00 on 3 September 2023.
    d.clock = [] { return db::wallClock(QDate(2023, 9, 3), QTime(10, 0)); };
    d.connect();
    exec("insert into product values ('AAA-01', 'Cream', '2023-09-03 00:00:00.000', 10, 3),"
         "('AAA-01', 'Cream', '2023-08-01 00:00:00.000', 9, 3)");
    d.disconnect();
    d.connect();
    EXPECT_EQ(d.currentCatalogDate().toDateTime(), day(2023, 9, 3));
    d.qProduct->open();
    ASSERT_EQ(d.qProduct->recordCount(), 1);
    EXPECT_DOUBLE_EQ(d.qProduct->field("price")->asFloat(), 10.0);
    EXPECT_EQ(d.qProduct->field("dateprice")->asDateTime(), day(2023, 9, 3));
}

TEST_F(DataModuleTest, LookupCounter_OpensSourcesOnceAndClosesThemWithTheLastUser)
{
    TData &d = connected();
    for (int round = 0; round < 2; ++round) {
        d.qOrders->open();
        EXPECT_TRUE(d.qCustomer->isActive());
        EXPECT_EQ(d.lookupUseCount(d.qCustomer), 1);
        d.qOrder->open();
        EXPECT_EQ(d.lookupUseCount(d.qAllProducts), 3);
        d.qOrder->close();
        d.qOrders->close();
        EXPECT_FALSE(d.qCustomer->isActive());
        EXPECT_FALSE(d.qAllProducts->isActive());
        EXPECT_EQ(d.lookupUseCount(d.qCustomer), 0);
        EXPECT_EQ(d.lookupUseCount(d.qAllProducts), 0);
    }
    // A source opened directly is still closed when its counter returns to zero.
    d.qCustomer->open();
    d.qOrders->open();
    d.qOrders->close();
    EXPECT_FALSE(d.qCustomer->isActive());
}

TEST_F(DataModuleTest, LookupCounter_UserThatFailsToOpen_GivesItsUsesBack)
{
    TData &d = connected();
    // The journal's own statement fails after its lookup source was opened.
    exec("alter table orders rename to orders_away");
    EXPECT_THROW(d.qOrders->open(), db::DataError);
    EXPECT_FALSE(d.qOrders->isActive());
    EXPECT_EQ(d.lookupUseCount(d.qCustomer), 0);
    EXPECT_FALSE(d.qCustomer->isActive());

    exec("alter table orders_away rename to orders");
    d.qOrders->open();
    EXPECT_EQ(d.lookupUseCount(d.qCustomer), 1);
    d.qOrders->close();
    EXPECT_FALSE(d.qCustomer->isActive());

    // A source that cannot open stops its user before anything is counted.
    exec("alter table product rename to product_away");
    d.qOrders->open();
    d.qOrders->locate("id", 1);
    EXPECT_THROW(d.qOrder->open(), db::DataError);
    EXPECT_EQ(d.lookupUseCount(d.qAllProducts), 0);
    exec("alter table product_away rename to product");

    // Disconnecting leaves no count behind.
    d.disconnect();
    EXPECT_EQ(d.lookupUseCount(d.qCustomer), 0);
    d.connect();
    d.qOrders->open();
    EXPECT_EQ(d.lookupUseCount(d.qCustomer), 1);
}

TEST_F(DataModuleTest, Queries_OnEmptyTables)
{
    TData &d = connected();
    d.qChCurCat->param("curdate").setValue(QDateTime::currentDateTime());
    d.qChCurCat->open();
    EXPECT_EQ(d.qChCurCat->recordCount(), 1);
    EXPECT_TRUE(d.qChCurCat->field("dateprice")->isNull());

    d.qGetOrderID->open();
    EXPECT_EQ(d.qGetOrderID->field("MaxID")->asInteger(), 0);
    d.qGetCustomerID->open();
    EXPECT_EQ(d.qGetCustomerID->fieldAt(0)->asString(), "0");
    d.qGetProductID->params().assignValues(d.qProduct->params());
    d.qGetProductID->open();
    EXPECT_EQ(d.qGetProductID->fieldAt(0)->asString(), "0");
}

TEST_F(DataModuleTest, IdentifierQueries_TakeTheHighestAmongTheLongest)
{
    TData &d = connected();
    exec("insert into customer (id, sname) values ('9', 'a'), ('10', 'b'), ('11', 'c'), ('99', 'd'), ('100', 'e')");
    exec("insert into orders (id) values (3), (17)");
    exec("insert into product values ('AB-1  ', 'x', '2007-03-01 00:00:00.000', 1, 1),"
         "('ZZ-9  ', 'y', '2007-01-01 00:00:00.000', 1, 1)");
    d.qGetCustomerID->open();
    EXPECT_EQ(d.qGetCustomerID->fieldAt(0)->asString(), "100");
    d.qGetOrderID->open();
    EXPECT_EQ(d.qGetOrderID->field("MaxID")->asInteger(), 17);
    d.setCurrentCatalogDate(day(2007, 3, 1));
    d.qGetProductID->params().assignValues(d.qProduct->params());
    d.qGetProductID->open();
    EXPECT_EQ(d.qGetProductID->fieldAt(0)->asString(), "AB-1  ");
}

TEST_F(DataModuleTest, SponsorQueries_EmptyTextSelectsTopLevelWhetherNullOrEmpty)
{
    TData &d = connected();
    exec("insert into customer (id, id_customer, sname) values ('1', null, 'Zorin'), ('2', '', 'Abramov'),"
         "('3', '1', 'Belov'), ('4', '1', 'Antonov')");
    d.qCustomer2->param("id").setValue(QStringLiteral(""));
    d.qCustomer2->open();
    EXPECT_EQ(column(d.qCustomer2, "id"), QStringList({"1", "2"}));
    d.qOrg->param("id").setValue(QStringLiteral(""));
    d.qOrg->open();
    EXPECT_EQ(column(d.qOrg, "sname"), QStringList({"Abramov", "Zorin"}));
    d.qOrg->close();
    d.qOrg->param("id").setValue(QStringLiteral("1"));
    d.qOrg->open();
    EXPECT_EQ(column(d.qOrg, "sname"), QStringList({"Antonov", "Belov"}));

    d.qFindCustomerID->param("id").setValue(QStringLiteral("1"));
    d.qFindCustomerID->open();
    EXPECT_EQ(d.qFindCustomerID->field("id_customer")->asString(), "");
    d.qFindCustomerID->close();
    d.qFindCustomerID->param("id").setValue(QStringLiteral("3"));
    d.qFindCustomerID->open();
    EXPECT_EQ(d.qFindCustomerID->field("id_customer")->asString(), "1");
}

TEST_F(DataModuleTest, ProductSales_IgnoresRefusalsAndTheEndDay)
{
    TData &d = connected();
    exec("insert into product values ('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3),"
         "('BBB-02', 'Soap', '2007-03-01 00:00:00.000', 2, 1)");
    exec("insert into orders (id, id_customer, refusal, ordersdate) values (1, '1', 0, '2007-03-10 00:00:00.000'),"
         "(2, '1', 1, '2007-03-11 00:00:00.000'), (3, '1', 0, '2007-03-20 00:00:00.000'),"
         "(4, '1', 0, '2007-03-19 23:59:59.000')");
    exec("insert into ordered values (1, 'AAA-01', 2, '2007-03-01 00:00:00.000'), (2, 'AAA-01', 5, '2007-03-01 00:00:00.000'),"
         "(3, 'BBB-02', 7, '2007-03-01 00:00:00.000'), (4, 'AAA-01', 1, '2007-03-01 00:00:00.000'),"
         "(4, 'BBB-02', 1, '2007-03-01 00:00:00.000')");
    d.qRepProduct->param("datebegin").setValue(day(2007, 3, 1));
    d.qRepProduct->param("dateend").setValue(day(2007, 3, 20));
    d.qRepProduct->open();
    EXPECT_EQ(column(d.qRepProduct, "id_product"), QStringList({"AAA-01", "BBB-02"}));
    EXPECT_EQ(column(d.qRepProduct, "tot_am"), QStringList({"3", "1"}));
}

TEST_F(DataModuleTest, PointsForPeriod_SumsOrdersAndRefusalsInsideThePeriod)
{
    TData &d = connected();
    exec("insert into customer (id, sname) values ('1', 'Ivanov'), ('2', 'Petrov')");
    exec("insert into orders (id, id_customer, totalpoints, refusal, ordersdate) values "
         "(1, '1', 10, 0, '2007-03-10 00:00:00.000'), (2, '1', -4, 1, '2007-03-11 00:00:00.000'),"
         "(3, '2', 5, 0, '2007-04-01 00:00:00.000')");
    d.qAllCustomers->param("datebegin").setValue(day(2007, 3, 1));
    d.qAllCustomers->param("dateend").setValue(day(2007, 4, 1));
    d.qAllCustomers->open();
    EXPECT_EQ(column(d.qAllCustomers, "id"), QStringList({"1"}));
    EXPECT_DOUBLE_EQ(d.qAllCustomers->field("totalpoints")->asFloat(), 6.0);
}

TEST_F(DataModuleTest, ClearingCommands_DeleteThePeriodAndTheCatalogueWithTheirLines)
{
    TData &d = connected();
    exec("insert into product values ('AAA-01', 'Cream', '2007-03-01 00:00:00.000', 10, 3)");
    exec("insert into orders (id, ordersdate) values (1, '2007-03-10 00:00:00.000'), (2, '2007-04-10 00:00:00.000')");
    exec("insert into ordered values (1, 'AAA-01', 1, '2007-03-01 00:00:00.000'), (2, 'AAA-01', 1, '2007-03-01 00:00:00.000')");
    d.cmdClearOrders->param("datebegin").setValue(day(2007, 3, 1));
    d.cmdClearOrders->param("dateend").setValue(day(2007, 4, 1));
    EXPECT_EQ(d.cmdClearOrders->execute(), 1);
    d.cmdClearProduct->param("dateprice").setValue(day(2007, 3, 1));
    EXPECT_EQ(d.cmdClearProduct->execute(), 1);
    d.qAllProducts->open();
    EXPECT_TRUE(d.qAllProducts->isEmpty());
    Dataset lines(&d.ADOConnection, "lines");
    lines.setSql("select * from ordered");
    lines.open();
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(DataModuleTest, FreshLocalizationFile_ControlsWithVisibleFieldsThenTheMessages)
{
    create();
    IniFile loc(folder.file("loc"));
    EXPECT_EQ(loc.sections().mid(0, 2), QStringList({"Controls", "Consts"}));
    const QStringList controls = loc.keys("Controls");
    EXPECT_EQ(controls.first(), "Data_qOrdersid");
    EXPECT_EQ(loc.readString("Controls", "Data_qOrdersid"), "Order ID");
    EXPECT_TRUE(controls.contains("Data_qOrdersCustomer"));
    EXPECT_TRUE(controls.contains("Data_qOrderTotalSum"));
    EXPECT_EQ(loc.readString("Controls", "Data_qOneCustomerfname"), "fname");
    // Hidden fields get no key.
    EXPECT_FALSE(controls.contains("Data_qOrdersid_customer"));
    EXPECT_FALSE(controls.contains("Data_qOrderPrice"));
    EXPECT_FALSE(controls.contains("Data_qProductdateprice"));
    EXPECT_FALSE(controls.contains("Data_qRepProductUnt"));
    const QStringList consts = loc.keys("Consts");
    ASSERT_EQ(consts.size(), qsizetype(messageTable().size() + addedMessageTable().size()));
    EXPECT_EQ(consts.first(), "lDelMes");
    EXPECT_EQ(consts[74], "lSuburdinateCustomerConfirm");
    EXPECT_EQ(consts.last(), QLatin1String(addedMessageTable().back().key));
}

} // namespace
