// What the printed reports read: the product sales report's calculated
// fields, and the row sources over datasets, the caption and the department.
#include "DataU.h"
#include "Messages.h"
#include "ScriptedUserPort.h"
#include "TestSupport.h"
#include "engine/Rounding.h"
#include "engine/WallClock.h"

#include <gtest/gtest.h>

namespace {

class ReportSourcesTest : public ::testing::Test
{
protected:
    ReportSourcesTest()
    {
        folder.createDatabase();
        data = std::make_unique<TData>(folder.programPath(), port);
        data->connect();
    }
    ~ReportSourcesTest() override { resetMessages(); }

    void exec(const QString &sql) { data->ADOConnection.execute(sql); }

    /// Opens the sales report over March 2007.
    db::Dataset &sales()
    {
        db::Dataset *report = data->qRepProduct;
        report->param(QStringLiteral("datebegin")).setValue(db::wallClock(QDate(2007, 3, 1)));
        report->param(QStringLiteral("dateend")).setValue(db::wallClock(QDate(2007, 4, 1)));
        report->open();
        return *report;
    }

    testing_support::ProgramFolder folder;
    testing_support::LocaleGuard locale{testing_support::pointLocale()};
    ScriptedUserPort port;
    std::unique_ptr<TData> data;
};

// Cents with ties to even, the tax taken as 18 / 100 after the multiplication.
TEST_F(ReportSourcesTest, SalesCalculatedFields_CostTaxAndFullPriceToTheCent)
{
    const struct
    {
        int amount;
        const char *price;
        double cost, vat, fullPrice;
    } cases[] = {
        {3, "10", 30.00, 5.40, 35.40},
        {7, "0.35", 2.45, 0.44, 2.89},
        {1, "1.25", 1.25, 0.22, 1.47},  // 0.225: the tie goes down to the even cent
        {1, "0.75", 0.75, 0.14, 0.89},  // 0.135: up to the even cent
        {1, "3.75", 3.75, 0.68, 4.43},  // 0.675 only when multiplied before divided
        {1, "3.25", 3.25, 0.58, 3.83},  // 0.585
        {1, "0.125", 0.12, 0.02, 0.14}, // the cost itself is a tie
    };
    int n = 0;
    for (const auto &c : cases) {
        const QString id = QStringLiteral("P%1").arg(++n, 5, 10, QLatin1Char('0'));
        exec(QStringLiteral("insert into product values ('%1', 'Item', '2007-03-01 00:00:00.000', %2, 1)").arg(id, QLatin1String(c.price)));
        exec(QStringLiteral("insert into orders (id, id_customer, refusal, ordersdate) values (%1, '1', 0, '2007-03-10 00:00:00.000')").arg(n));
        exec(QStringLiteral("insert into ordered values (%1, '%2', %3, '2007-03-01 00:00:00.000')").arg(n).arg(id).arg(c.amount));
    }
    db::Dataset &report = sales();
    ASSERT_EQ(report.recordCount(), n);
    for (int row = 0; row < n; ++row) {
        const auto &c = cases[row];
        SCOPED_TRACE(testing::Message() << c.amount << " x " << c.price);
        // Exactly the double the rounding gives, not merely close to it.
        EXPECT_EQ(report.valueAt(row, report.field("Cost")).toDouble(), db::roundCentsEven(c.cost));
        EXPECT_EQ(report.valueAt(row, report.field("VAT")).toDouble(), db::roundCentsEven(c.vat));
        EXPECT_EQ(report.valueAt(row, report.field("FullPrice")).toDouble(), db::roundCentsEven(c.fullPrice));
        EXPECT_EQ(report.valueAt(row, report.field("Unt")).toString(), "uni");
    }
    EXPECT_EQ(report.displayTextAt(0, report.field("FullPrice")), QLocale().toCurrencyString(35.4, QString(), 2));

    // A unit text of the field's size or less is kept whole.
    report.close();
    Messages().lUnit = QStringLiteral("шт");
    sales();
    EXPECT_EQ(report.valueAt(0, report.field("Unt")).toString(), QStringLiteral("шт"));
}

TEST_F(ReportSourcesTest, DatasetSource_ReadsVisibleRowsWithoutMovingOrStoring)
{
    exec("insert into orders (id, id_customer, totalsum, refusal, ordersdate) values "
         "(1, '1', 10, 0, '2007-03-10 00:00:00.000'), (2, '1', 20, 1, '2007-03-11 00:00:00.000'),"
         "(3, '1', 30, 0, '2007-03-12 00:00:00.000')");
    db::Dataset *orders = data->qOrders;
    orders->setFilterText(QStringLiteral("refusal = 0"));
    orders->open();
    orders->last();
    orders->edit();
    orders->field("totalsum")->setValue(33);

    RowSource *source = data->rowSource(QStringLiteral("RVORDERS"));
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(source->open(), 2);
    const int sum = source->columnIndex(QStringLiteral("totalsum"));
    const int customer = source->columnIndex(QStringLiteral("Customer"));
    EXPECT_GE(customer, 0) << "lookup fields are columns too";
    EXPECT_EQ(source->value(0, sum).toDouble(), 10);
    EXPECT_EQ(source->value(1, sum).toDouble(), 33); // the row being edited, as it is now
    EXPECT_EQ(source->currentRow(), 1);
    EXPECT_EQ(orders->state(), db::DatasetState::Edit);
    EXPECT_EQ(orders->currentIndex(), 1);
    EXPECT_EQ(source->columns()[size_t(sum)].label, "Total Sum");
    orders->cancel();

    orders->close();
    EXPECT_EQ(source->open(), 0);
    EXPECT_EQ(source->currentRow(), -1);
}

TEST_F(ReportSourcesTest, CaptionSource_OneRowCutTo100Characters)
{
    RowSource *caption = data->rowSource(QStringLiteral("rvCaption"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->open(), 1);
    EXPECT_EQ(caption->value(0, 0).toString(), QString()); // empty until a print sets it
    data->ReportCaption = QString(120, u'ж');
    EXPECT_EQ(caption->open(), 1);
    EXPECT_EQ(caption->value(0, caption->columnIndex(QStringLiteral("fldCaption"))).toString(), QString(100, u'ж'));
}

TEST_F(ReportSourcesTest, DepartmentSource_MembersInListOrderOnlyWhileThePrintRuns)
{
    RowSource *dep = data->rowSource(QStringLiteral("rvDep"));
    ASSERT_NE(dep, nullptr);
    EXPECT_EQ(dep->open(), 0); // no department built yet: no rows

    std::vector<TDepMember> members(5);
    for (int i = 0; i < 5; ++i) {
        members[size_t(i)].Id = QString::number(i + 1);
        members[size_t(i)].Name = QStringLiteral("Член %1").arg(i + 1);
        members[size_t(i)].Level = i == 0 ? 1 : 2;
        members[size_t(i)].PersonalPoints = 10 + i;
        members[size_t(i)].GroupPoints = 100 + i;
        members[size_t(i)].Bonus = 0.5 * i;
        members[size_t(i)].Reserve = i;
    }
    const QStringList names{"fldLevel", "fldID", "fldName", "fldTotalPoints", "fldDepPoints", "fldBonus", "fldReserve"};
    for (qsizetype i = 0; i < names.size(); ++i)
        EXPECT_EQ(dep->columnIndex(names[i]), i);
    EXPECT_EQ(dep->columns()[3].label, Messages().lTotalPointsColumn);
    try {
        const TData::DepReportScope scope(*data, members);
        ASSERT_EQ(dep->open(), 5);
        EXPECT_EQ(dep->currentRow(), 0);
        for (int row = 0; row < 5; ++row) {
            EXPECT_EQ(dep->value(row, 1).toString(), QString::number(row + 1));
            EXPECT_EQ(dep->value(row, 3).toDouble(), 10 + row);
            EXPECT_EQ(dep->value(row, 4).toDouble(), 100 + row);
        }
        EXPECT_EQ(dep->value(4, 2).toString(), QStringLiteral("Член 5"));
        EXPECT_EQ(dep->value(5, 0), QVariant());
        throw db::DataError(QStringLiteral("printer on fire"));
    } catch (const db::DataError &) {
    }
    // Cleared when the print ended, also by a failure.
    EXPECT_TRUE(data->depReportList().empty());
    EXPECT_EQ(dep->open(), 0);
}

} // namespace
