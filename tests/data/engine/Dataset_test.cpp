#include "EngineFixture.h"

#include <QSignalSpy>

using namespace db;

namespace {

class DatasetTest : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        exec(QStringLiteral("insert into customer (id, id_customer, sname, totalpoints) values "
                            "('1', null, 'Ivanov', 10), ('2', '1', 'Petrov', 20), ('3', '1', 'Sidorov', 30)"));
    }

    /// Records the events a dataset raises, in order.
    void recordEvents(Dataset &ds, QStringList &log)
    {
        auto record = [&log](const char *name) { return [&log, name](Dataset &) { log << QString::fromLatin1(name); }; };
        ds.beforeOpen = record("beforeOpen");
        ds.afterOpen = record("afterOpen");
        ds.beforeClose = record("beforeClose");
        ds.afterClose = record("afterClose");
        ds.beforeInsert = record("beforeInsert");
        ds.afterInsert = record("afterInsert");
        ds.beforeEdit = record("beforeEdit");
        ds.afterEdit = record("afterEdit");
        ds.beforePost = record("beforePost");
        ds.afterPost = record("afterPost");
        ds.beforeCancel = record("beforeCancel");
        ds.afterCancel = record("afterCancel");
        ds.beforeDelete = record("beforeDelete");
        ds.afterDelete = record("afterDelete");
    }
};

TEST_F(DatasetTest, Events_FullCycle_RunInClassicOrder)
{
    auto ds = customers();
    QStringList log;
    recordEvents(*ds, log);
    ds->open();
    ds->edit();
    ds->field("sname")->setValue(QStringLiteral("Ivanova"));
    ds->post();
    ds->append();
    ds->field("id")->setValue(QStringLiteral("4"));
    ds->field("sname")->setValue(QStringLiteral("Smirnov"));
    ds->cancel();
    ds->first();
    ds->remove();
    ds->close();
    EXPECT_EQ(log, QStringList({"beforeOpen", "afterOpen", "beforeEdit", "afterEdit", "beforePost", "afterPost",
                                "beforeInsert", "afterInsert", "beforeCancel", "afterCancel", "beforeDelete",
                                "afterDelete", "beforeClose", "afterClose"}));
    EXPECT_EQ(scalar("select sname from customer where id = '2'").toString(), "Petrov");
    EXPECT_EQ(scalar("select count(*) from customer").toInt(), 2);
}

TEST_F(DatasetTest, Events_FailedOpen_RunsOpenFailedInsteadOfAfterOpen)
{
    Dataset ds(&connection, "qBroken");
    ds.setSql("select * from customer where nosuchcolumn = 1");
    QStringList log;
    ds.beforeOpen = [&](Dataset &) { log << "beforeOpen"; };
    ds.afterOpen = [&](Dataset &) { log << "afterOpen"; };
    ds.openFailed = [&](Dataset &) {
        log << "openFailed";
        throw DataError("second failure");
    };
    try {
        ds.open();
        ADD_FAILURE() << "opened";
    } catch (const DataError &error) {
        EXPECT_TRUE(error.text().contains("nosuchcolumn")) << error.text().toStdString();
    }
    EXPECT_EQ(log, QStringList({"beforeOpen", "openFailed"}));
    EXPECT_FALSE(ds.isActive());
    EXPECT_EQ(ds.fieldCount(), 0);

    // Closed by the connection before opening: the same path.
    log.clear();
    auto other = customers();
    other->beforeOpen = ds.beforeOpen;
    other->openFailed = [&](Dataset &) { log << "openFailed"; };
    connection.close();
    EXPECT_THROW(other->open(), DataError);
    EXPECT_EQ(log, QStringList({"beforeOpen", "openFailed"}));
}

TEST_F(DatasetTest, NoOps_PostCancelInBrowseAndEditWhileEditing_RaiseNoEvents)
{
    auto ds = customers();
    ds->open();
    QStringList log;
    recordEvents(*ds, log);
    ds->post();
    ds->cancel();
    ds->edit();
    ds->edit();
    EXPECT_EQ(log, QStringList({"beforeEdit", "afterEdit"}));
}

TEST_F(DatasetTest, Edit_OnEmptyDataset_Appends)
{
    auto ds = customers("select * from customer where id = 'none'");
    ds->open();
    ds->edit();
    EXPECT_EQ(ds->state(), DatasetState::Insert);
    EXPECT_EQ(ds->recordCount(), 1);
}

TEST_F(DatasetTest, BeforePostAbort_KeepsRowInEditAndWritesNothing)
{
    auto ds = customers();
    ds->beforePost = [](Dataset &) { throw AbortError(); };
    ds->open();
    ds->edit();
    ds->field("sname")->setValue(QStringLiteral("Changed"));
    EXPECT_THROW(ds->post(), AbortError);
    EXPECT_EQ(ds->state(), DatasetState::Edit);
    EXPECT_EQ(scalar("select sname from customer where id = '1'").toString(), "Ivanov");
}

TEST_F(DatasetTest, PostError_FailRethrowsAbortStopsSilently_RowStaysInState)
{
    auto ds = customers();
    int calls = 0;
    PostErrorAction choice = PostErrorAction::Fail;
    QString seen;
    ds->onPostError = [&](Dataset &, const DataError &error, PostErrorAction &action) {
        ++calls;
        seen = error.text();
        action = choice;
    };
    ds->open();
    ds->append();
    ds->field("id")->setValue(QStringLiteral("1")); // duplicate key
    ds->field("sname")->setValue(QStringLiteral("Copy"));
    EXPECT_THROW(ds->post(), DataError);
    EXPECT_EQ(ds->state(), DatasetState::Insert);
    EXPECT_TRUE(seen.contains("UNIQUE")) << seen.toStdString();

    choice = PostErrorAction::Abort;
    EXPECT_THROW(ds->post(), AbortError);
    EXPECT_EQ(ds->state(), DatasetState::Insert);
    EXPECT_EQ(calls, 2);

    // A required field left empty goes through the same handler.
    ds->field("id")->setValue(QStringLiteral("9"));
    ds->field("sname")->setValue(QString());
    choice = PostErrorAction::Fail;
    EXPECT_THROW(ds->post(), DataError);
    EXPECT_EQ(seen, "Field 'Customer Name' must have a value");
    EXPECT_EQ(scalar("select count(*) from customer").toInt(), 3);
}

TEST_F(DatasetTest, AfterInsertMayCancelTheNewRow)
{
    auto ds = customers();
    ds->afterInsert = [](Dataset &d) { d.cancel(); };
    ds->open();
    ds->append();
    EXPECT_EQ(ds->state(), DatasetState::Browse);
    EXPECT_EQ(ds->recordCount(), 3);
}

TEST_F(DatasetTest, MovingTheCursor_PostsModifiedRowAndDropsUntouchedNewRow)
{
    auto ds = customers();
    ds->open();
    ds->edit();
    ds->field("sname")->setValue(QStringLiteral("Moved"));
    ds->next();
    EXPECT_EQ(ds->state(), DatasetState::Browse);
    EXPECT_EQ(scalar("select sname from customer where id = '1'").toString(), "Moved");

    ds->append();
    ds->first();
    EXPECT_EQ(ds->recordCount(), 3);
}

TEST_F(DatasetTest, MoveTo_AfterANewRow_LandsOnTheChosenRowWhetherDroppedOrStored)
{
    auto ds = customers();
    ds->open();
    ds->moveTo(1);
    ds->insert(); // shown above "2": 1, new, 2, 3
    ASSERT_EQ(ds->currentIndex(), 1);
    ds->moveTo(2);
    EXPECT_EQ(ds->recordCount(), 3);
    EXPECT_EQ(ds->field("id")->asString(), "2");
    EXPECT_EQ(ds->currentIndex(), 1);

    ds->insert();
    ds->field("id")->setValue(QStringLiteral("15"));
    ds->field("sname")->setValue(QStringLiteral("Kept"));
    ds->moveTo(3);
    EXPECT_EQ(ds->recordCount(), 4);
    EXPECT_EQ(ds->field("id")->asString(), "3");
    ds->moveTo(0);
    ds->insert();
    ds->moveTo(1);
    EXPECT_EQ(ds->field("id")->asString(), "1");
}

TEST_F(DatasetTest, Snapshot_OtherWritesInvisibleUntilRequery)
{
    auto ds = customers();
    ds->open();
    exec("insert into customer (id, sname) values ('4', 'Late')");
    exec("update customer set sname = 'Renamed' where id = '1'");
    EXPECT_EQ(ds->recordCount(), 3);
    EXPECT_EQ(ds->field("sname")->asString(), "Ivanov");
    ds->requery();
    EXPECT_EQ(ds->recordCount(), 4);
    EXPECT_EQ(ds->field("sname")->asString(), "Renamed");
}

TEST_F(DatasetTest, Navigation_BofEofAndCounts)
{
    auto ds = customers();
    ds->open();
    EXPECT_TRUE(ds->bof());
    EXPECT_FALSE(ds->eof());
    int visited = 0;
    while (!ds->eof()) {
        ++visited;
        ds->next();
    }
    EXPECT_EQ(visited, 3);
    EXPECT_EQ(ds->field("id")->asString(), "3"); // stays on the last row at the end
    ds->prior();
    ds->prior();
    ds->prior();
    EXPECT_TRUE(ds->bof());
    EXPECT_EQ(ds->field("id")->asString(), "1");
}

TEST_F(DatasetTest, Remove_OnNewRowOnlyCancels_EditsDroppedBeforeDelete)
{
    auto ds = customers();
    ds->open();
    ds->append();
    ds->field("id")->setValue(QStringLiteral("7"));
    ds->remove();
    EXPECT_EQ(ds->recordCount(), 3);
    EXPECT_EQ(scalar("select count(*) from customer").toInt(), 3);

    QString seenInBeforeDelete;
    ds->beforeDelete = [&](Dataset &d) { seenInBeforeDelete = d.field("sname")->asString(); };
    ds->first();
    ds->edit();
    ds->field("sname")->setValue(QStringLiteral("Unsaved"));
    ds->remove();
    EXPECT_EQ(seenInBeforeDelete, "Ivanov");
    EXPECT_EQ(ds->recordCount(), 2);
    EXPECT_EQ(ds->field("id")->asString(), "2");
}

TEST_F(DatasetTest, Remove_RowGoneFromTheFile_RaisesAndUndoesTheDeletingRule)
{
    auto ds = customers();
    ds->whileDeleting = [this](Dataset &) { exec("update customer set totalpoints = totalpoints + 5 where id = '2'"); };
    bool afterDelete = false;
    ds->afterDelete = [&](Dataset &) { afterDelete = true; };
    ds->open();
    exec("delete from customer where id = '1'");
    try {
        ds->remove();
        ADD_FAILURE() << "a row no longer in the file was reported deleted";
    } catch (const DataError &error) {
        EXPECT_TRUE(error.text().startsWith("Row cannot be located for deleting.")) << error.text().toStdString();
    }
    EXPECT_FALSE(afterDelete);
    EXPECT_EQ(scalar("select totalpoints from customer where id = '2'").toDouble(), 20.0);
    EXPECT_EQ(connection.transactionDepth(), 0);
    EXPECT_EQ(ds->recordCount(), 3);
    EXPECT_EQ(ds->field("id")->asString(), "1");
}

TEST_F(DatasetTest, Insert_WritesOnlyAssignedColumns_DatabaseDefaultsApply)
{
    auto ds = customers();
    ds->open();
    ds->append();
    ds->field("id")->setValue(QStringLiteral("5"));
    ds->field("sname")->setValue(QStringLiteral("New"));
    ds->post();
    // Points start at zero, so later "totalpoints + n" statements add up.
    EXPECT_EQ(scalar("select totalpoints from customer where id = '5'").toDouble(), 0.0);
}

TEST_F(DatasetTest, KeyChange_UpdatesTheRowByItsOldKey)
{
    auto ds = customers();
    ds->open();
    ds->edit();
    ds->field("id")->setValue(QStringLiteral("10"));
    ds->post();
    EXPECT_EQ(scalar("select sname from customer where id = '10'").toString(), "Ivanov");
    EXPECT_EQ(scalar("select count(*) from customer where id = '1'").toInt(), 0);
}

TEST_F(DatasetTest, Edit_OnAStaleRow_RefusedForTheColumnsItChanges)
{
    auto ds = customers();
    ds->open();
    // Written by statements while the snapshot is open.
    exec("update customer set totalpoints = 99 where id = '1'");
    exec("update customer set sname = 'PETROV' where id = '2'");

    ds->edit();
    ds->field("totalpoints")->setValue(15);
    try {
        ds->post();
        ADD_FAILURE() << "a stale edit overwrote a newer value";
    } catch (const DataError &error) {
        EXPECT_TRUE(error.text().startsWith("Row cannot be located for updating.")) << error.text().toStdString();
    }
    EXPECT_EQ(ds->state(), DatasetState::Edit);
    EXPECT_EQ(scalar("select totalpoints from customer where id = '1'").toDouble(), 99.0);
    ds->cancel();

    // A column the edit leaves alone may have moved on meanwhile.
    ds->edit();
    ds->field("sname")->setValue(QStringLiteral("Ivanova"));
    ds->post();
    EXPECT_EQ(scalar("select sname || ':' || totalpoints from customer where id = '1'").toString(), "Ivanova:99.0");
    EXPECT_EQ(ds->field("totalpoints")->asFloat(), 99.0); // and the stored row is read back

    // Names compare without regard to case, but a change of case is a change.
    ds->next();
    ds->edit();
    ds->field("sname")->setValue(QStringLiteral("Petrova"));
    EXPECT_THROW(ds->post(), DataError);
    ds->cancel();
    ds->requery();
    ds->locate("id", QStringLiteral("2"));
    ds->edit();
    ds->field("sname")->setValue(QStringLiteral("Petrova"));
    ds->post();
    EXPECT_EQ(scalar("select sname from customer where id = '2'").toString(), "Petrova");
}

TEST_F(DatasetTest, Edit_OriginalsOfEveryStoredKindMatchTheFile)
{
    // Values as other writers may have left them: an unrounded sum, a yes
    // stored as 2, blank-padded codes, date-times in each form that is read.
    exec("create table kinds (id integer primary key, code text(6), amount real, flag integer, stamp text, note text)");
    exec("insert into kinds values (1, 'AB    ', 0.1 + 0.2, 1, '2007-03-01 10:20:30.456', null),"
         "(2, 'CD', 12.3457, 2, '2007-03-01 10:20:30', 'x'), (3, 'EF    ', 7, 0, '2007-03-01', ''),"
         "(4, null, null, null, null, null)");
    Dataset ds(&connection, "qKinds");
    ds.setSql("select * from kinds order by id");
    ds.addField("id", FieldType::AutoInc);
    ds.addField("code", FieldType::FixedChar, 6);
    ds.addField("amount", FieldType::Currency);
    ds.addField("flag", FieldType::Boolean);
    ds.addField("stamp", FieldType::DateTime);
    ds.addField("note", FieldType::String, 10);
    ds.setUpdateTable("kinds", {"id"});
    ds.open();
    for (int row = 0; row < 4; ++row) {
        ds.moveTo(row);
        ds.edit();
        ds.field("code")->setValue(QStringLiteral("ZZ"));
        ds.field("amount")->setValue(1.5);
        ds.field("flag")->setValue(!ds.field("flag")->asBoolean());
        ds.field("stamp")->setValue(QDateTime(QDate(2008, 1, 2), QTime(3, 4)));
        ds.field("note")->setValue(QStringLiteral("edited"));
        EXPECT_NO_THROW(ds.post()) << "row " << row + 1;
    }
    EXPECT_EQ(scalar("select count(*) from kinds where code = 'ZZ    ' and amount = 1.5 and note = 'edited' "
                     "and stamp = '2008-01-02 03:04:00.000'").toInt(), 4);
    EXPECT_EQ(scalar("select group_concat(flag, '') from (select flag from kinds order by id)").toString(), "0011");
}

TEST_F(DatasetTest, Post_ReadsTheStoredRowBack_SoTheRowCanBeEditedAgain)
{
    // Defaults the database filled in.
    auto ds = customers();
    ds->open();
    ds->append();
    ds->field("id")->setValue(QStringLiteral("5"));
    ds->field("sname")->setValue(QStringLiteral("New"));
    ds->post();
    EXPECT_EQ(ds->field("totalpoints")->value(), QVariant(0.0));
    ds->edit();
    ds->field("totalpoints")->setValue(3);
    ds->post();
    EXPECT_EQ(scalar("select totalpoints from customer where id = '5'").toDouble(), 3.0);

    // Values the triggers rounded.
    Dataset plain(&connection, "qPlain");
    plain.setSql("select * from customer order by id");
    plain.setUpdateTable("customer", {"id"});
    plain.open();
    plain.edit();
    plain.field("totalpoints")->setValue(1.234567);
    plain.post();
    EXPECT_EQ(plain.field("totalpoints")->asFloat(), 1.2346);
    plain.edit();
    plain.field("totalpoints")->setValue(2);
    EXPECT_NO_THROW(plain.post());

    // A counter key takes the number of the store that succeeded, not that
    // of one undone before it.
    Dataset orders(&connection, "qOrders");
    orders.setSql("select * from orders order by id");
    orders.addField("id", FieldType::AutoInc);
    orders.addField("id_customer", FieldType::String, 6);
    orders.setUpdateTable("orders", {"id"});
    orders.whileStoring = [](Dataset &) { throw DataError("refused"); };
    orders.open();
    orders.append();
    orders.field("id_customer")->setValue(QStringLiteral("1"));
    EXPECT_THROW(orders.post(), DataError);
    exec("insert into orders (id, id_customer) values (1, '2')");
    orders.whileStoring = nullptr;
    orders.post();
    EXPECT_EQ(orders.field("id")->asInteger(), 2);
    orders.edit();
    orders.field("id_customer")->setValue(QStringLiteral("3"));
    orders.post();
    EXPECT_EQ(scalar("select group_concat(id || id_customer) from (select * from orders order by id)").toString(), "12,23");
}

TEST_F(DatasetTest, Values_MoneyRoundedFixedTextPaddedEmptyTextNull)
{
    auto ds = customers();
    ds->open();
    ds->edit();
    ds->field("totalpoints")->setValue(12.345678);
    ds->field("id_customer")->setValue(QString());
    ds->post();
    EXPECT_DOUBLE_EQ(scalar("select totalpoints from customer where id = '1'").toDouble(), 12.3457);
    EXPECT_TRUE(scalar("select id_customer from customer where id = '1'").isNull());

    Field fixed(ds.get(), "p", FieldType::FixedChar, FieldKind::Data, 6);
    EXPECT_EQ(fixed.convert(QStringLiteral("AB")).toString(), "AB    ");
    Field text(ds.get(), "s", FieldType::String, FieldKind::Data, 3);
    EXPECT_EQ(text.convert(QStringLiteral("abcdef")).toString(), "abc");
    Field number(ds.get(), "n", FieldType::Integer, FieldKind::Data, 0);
    EXPECT_THROW(number.convert(QStringLiteral("12x")), DataError);
}

TEST_F(DatasetTest, SetValueOutsideEdit_Throws)
{
    auto ds = customers();
    ds->open();
    EXPECT_THROW(ds->field("sname")->setValue(QStringLiteral("x")), DataError);
}

TEST_F(DatasetTest, Locate_FindsByKeyAndByPartialCaseInsensitiveText)
{
    auto ds = customers();
    ds->open();
    EXPECT_TRUE(ds->locate("id", QStringLiteral("3")));
    EXPECT_EQ(ds->field("sname")->asString(), "Sidorov");
    EXPECT_FALSE(ds->locate("id", QStringLiteral("99")));
    EXPECT_EQ(ds->field("sname")->asString(), "Sidorov");
    EXPECT_TRUE(ds->locate({"sname"}, {QStringLiteral("pet")}, db::LocateOption::CaseInsensitive | db::LocateOption::PartialKey));
    EXPECT_EQ(ds->field("id")->asString(), "2");
}

TEST_F(DatasetTest, CalculatedFields_ComputedOnReadAndOnEachChange)
{
    auto ds = customers();
    ds->addCalcField("Double", FieldType::Float);
    int calls = 0;
    ds->onCalcFields = [&](Dataset &d) {
        ++calls;
        d.field("Double")->setValue(d.field("totalpoints")->asFloat() * 2);
    };
    ds->open();
    EXPECT_EQ(calls, 3);
    EXPECT_DOUBLE_EQ(ds->valueAt(2, ds->field("Double")).toDouble(), 60.0);
    ds->edit();
    ds->field("totalpoints")->setValue(7);
    EXPECT_DOUBLE_EQ(ds->field("Double")->asFloat(), 14.0);
    ds->cancel();
    EXPECT_DOUBLE_EQ(ds->field("Double")->asFloat(), 20.0);
    EXPECT_THROW(ds->field("Double")->setValue(1), DataError);
}

TEST_F(DatasetTest, Notifications_SuppressedWhileControlsDisabled)
{
    auto ds = customers();
    ds->open();
    QSignalSpy rows(ds.get(), &Dataset::rowSetChanged);
    QSignalSpy current(ds.get(), &Dataset::currentRowChanged);
    ds->disableControls();
    ds->next();
    ds->next();
    EXPECT_EQ(current.count(), 0);
    ds->enableControls();
    EXPECT_EQ(rows.count(), 1);
    EXPECT_EQ(current.count(), 1);
    ds->first();
    EXPECT_EQ(current.count(), 2);
}

TEST_F(DatasetTest, Disconnect_ClosesEveryDataset)
{
    auto ds = customers();
    ds->open();
    connection.close();
    EXPECT_FALSE(ds->isActive());
    EXPECT_THROW(ds->open(), DataError);
}

TEST_F(DatasetTest, DefaultFields_FromResultColumns_RemovedOnClose)
{
    Dataset ds(&connection, "qAll");
    ds.setSql("select * from customer");
    ds.open();
    EXPECT_EQ(ds.fieldCount(), 6);
    EXPECT_EQ(ds.fieldAt(2)->name(), "sname");
    ds.close();
    EXPECT_EQ(ds.fieldCount(), 0);
}

TEST_F(DatasetTest, Parameters_ByNameAndPosition_NullSelectsNothing)
{
    Dataset ds(&connection, "qOne");
    ds.setSql("select * from customer where id = :id");
    ASSERT_EQ(ds.params().count(), 1);
    ds.params().at(0).setValue(QStringLiteral("2"));
    ds.open();
    EXPECT_EQ(ds.recordCount(), 1);
    ds.close();
    ds.param("ID").clear();
    ds.open();
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_THROW(ds.param("other"), DataError);
    EXPECT_EQ(Params::namesIn("select ':x' as a, b from t where c >=:begin and d < :end and e = :begin"),
              QStringList({"begin", "end"}));
}

} // namespace
