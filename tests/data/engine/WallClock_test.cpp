// Date-times are wall-clock readings: a day whose local midnight does not
// exist (a daylight-saving change at 00:00) is stored, read, bound and
// filtered like any other.
#include "EngineFixture.h"

#include "engine/Format.h"
#include "engine/KeyText.h"
#include "engine/Storage_p.h"

using namespace db;

namespace {

class WallClockTest : public EngineTest
{
protected:
    void SetUp() override
    {
        if (!zone.active())
            GTEST_SKIP() << "no America/Santiago zone on this machine";
        // Chile moved its clocks from 00:00 to 01:00 that night.
        ASSERT_FALSE(QDateTime(QDate(2023, 9, 3), QTime(0, 0)).isValid()) << "the zone is not in force";
        EngineTest::SetUp();
        exec("insert into orders (id, id_customer, ordersdate) values (1, 'C', '2023-09-02 00:00:00.000'),"
             "(3, 'C', '2023-09-04 00:00:00.000')");
        orders = std::make_unique<Dataset>(&connection, "qOrders");
        orders->setSql("select * from orders order by id");
        orders->addField("id", FieldType::AutoInc);
        orders->addField("ordersdate", FieldType::DateTime);
        orders->setUpdateTable("orders", {"id"});
    }

    testing_support::ZoneGuard zone{"America/Santiago"};
    std::unique_ptr<Dataset> orders;
};

const QDate kChangeDay(2023, 9, 3);

TEST_F(WallClockTest, Field_MidnightOfTheChangeDay_StoredAndReadBack)
{
    orders->open();
    // Set as a date-time, as a date and as typed text: the same value.
    const QVariant inputs[] = {wallClock(kChangeDay), kChangeDay, QStringLiteral("03/09/2023")};
    int id = 10;
    for (const QVariant &input : inputs) {
        orders->append();
        orders->field("id")->setValue(id);
        orders->field("ordersdate")->setValue(input);
        orders->post();
        EXPECT_EQ(scalar(QStringLiteral("select ordersdate from orders where id = %1").arg(id)).toString(),
                  "2023-09-03 00:00:00.000")
            << input.toString().toStdString();
        ++id;
    }
    orders->requery();
    ASSERT_TRUE(orders->locate("id", 10));
    EXPECT_EQ(orders->field("ordersdate")->asDateTime(), wallClock(kChangeDay));
    EXPECT_EQ(orders->field("ordersdate")->displayText(), "03/09/2023");
    // The hour that does not exist locally is a reading like any other.
    orders->edit();
    orders->field("ordersdate")->setValue(QStringLiteral("03/09/2023 00:30:00"));
    orders->post();
    EXPECT_EQ(scalar("select ordersdate from orders where id = 10").toString(), "2023-09-03 00:30:00.000");
    EXPECT_EQ(orders->field("ordersdate")->displayText(), "03/09/2023 00:30:00");
    // And the row can be edited again: its stored date compares equal.
    orders->edit();
    orders->field("ordersdate")->setValue(kChangeDay.addDays(1));
    EXPECT_NO_THROW(orders->post());
}

TEST_F(WallClockTest, ParameterAndFilterText_SelectTheChangeDay)
{
    exec("insert into orders (id, id_customer, ordersdate) values (2, 'C', '2023-09-03 00:00:00.000')");
    Dataset period(&connection, "qPeriod");
    period.setSql("select id from orders where ordersdate >= :datebegin and ordersdate < :dateend");
    period.param("datebegin").setDataType(FieldType::DateTime);
    period.param("datebegin").setValue(wallClock(kChangeDay));
    period.param("dateend").setValue(wallClock(kChangeDay.addDays(1)));
    period.open();
    ASSERT_EQ(period.recordCount(), 1);
    EXPECT_EQ(period.fieldAt(0)->asInteger(), 2);

    orders->open();
    ASSERT_TRUE(orders->locate("id", 2));
    EXPECT_EQ(orders->field("ordersdate")->asDateTime(), wallClock(kChangeDay));
    orders->setFiltered(true);
    orders->setFilterText("ordersdate >= 03/09/2023 and ordersdate < 04/09/2023");
    ASSERT_EQ(orders->recordCount(), 1);
    EXPECT_EQ(orders->field("id")->asInteger(), 2);
    orders->setFilterText("ordersdate < 03/09/2023");
    EXPECT_EQ(orders->recordCount(), 1);
    EXPECT_EQ(orders->field("id")->asInteger(), 1);

    // Storage texts in each form read back to the same reading.
    EXPECT_EQ(dateTimeFromStorage(QStringLiteral("2023-09-03")), wallClock(kChangeDay));
    EXPECT_EQ(dateTimeFromStorage(QStringLiteral("2023-09-03 00:10:00")), wallClock(kChangeDay, QTime(0, 10)));
    EXPECT_EQ(parseDateTimeDefault(QStringLiteral("03/09/2023")), wallClock(kChangeDay));
}

TEST_F(WallClockTest, LocalTimesGiven_KeepTheirReading)
{
    // A value built as a local time (as a caller outside the engine may)
    // is taken at its reading, never shifted by the zone's offset.
    orders->open();
    orders->edit();
    orders->field("ordersdate")->setValue(QDateTime(QDate(2023, 9, 4), QTime(23, 30)));
    orders->post();
    EXPECT_EQ(scalar("select ordersdate from orders where id = 1").toString(), "2023-09-04 23:30:00.000");
    EXPECT_EQ(orders->field("ordersdate")->asDateTime().timeSpec(), Qt::UTC);
    EXPECT_EQ(keyText(QDateTime(QDate(2023, 9, 4), QTime(23, 30))), "2023-09-04 23:30:00.000");
}

} // namespace
