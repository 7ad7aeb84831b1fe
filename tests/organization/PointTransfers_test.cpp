// Points moved between customers and between a customer's two balances: what
// the table keeps whatever happens, and the department following the table.
#include "DepartmentFixture.h"

#include "DataU.h"
#include "Messages.h"
#include "ScriptedUserPort.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

class PointTransfersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        data = std::make_unique<TData>(folder.programPath(), port);
        data->connect();
        for (const TestCustomer &c : kFirstExample)
            testing_support::addCustomer(data->ADOConnection, QString::fromUtf8(c.id),
                                         c.sponsor ? QVariant(QString::fromUtf8(c.sponsor)) : QVariant(),
                                         QString::fromUtf8(c.name), c.points, 3);
        testing_support::addCustomer(data->ADOConnection, "X", QVariant(), "Outsider", 7.25, 1);
    }

    double scalar(const QString &sql)
    {
        db::Statement statement(data->ADOConnection.handle(), sql);
        return statement.step() ? statement.value(0).toDouble() : qQNaN();
    }
    double points(const QString &id) { return scalar("select totalpoints from customer where id = '" + id + "'"); }
    double reserve(const QString &id) { return scalar("select reserve from customer where id = '" + id + "'"); }
    double sumPoints() { return scalar("select sum(totalpoints) from customer"); }
    double sumBoth() { return scalar("select sum(totalpoints + reserve) from customer"); }
    double sumReserve() { return scalar("select sum(reserve) from customer"); }

    /// Makes the next raising of running points without a reserve change fail
    /// in the database: the second half of a transfer.
    void injectFailure(bool active)
    {
        data->ADOConnection.execute("create table if not exists fail_switch (active integer)");
        data->ADOConnection.execute("create trigger if not exists fail_second before update of totalpoints on customer "
                                    "when new.totalpoints > old.totalpoints and new.reserve = old.reserve "
                                    "and (select active from fail_switch) = 1 "
                                    "begin select raise(abort, 'injected failure'); end");
        data->ADOConnection.execute("delete from fail_switch");
        data->ADOConnection.execute(QStringLiteral("insert into fail_switch values (%1)").arg(active ? 1 : 0));
    }

    testing_support::ProgramFolder folder;
    testing_support::LocaleGuard locale{testing_support::pointLocale()};
    ScriptedUserPort port;
    std::unique_ptr<TData> data;
};

TEST_F(PointTransfersTest, Transfer_MovesTheRoundedAmountAndKeepsTheSums)
{
    const double before = sumPoints(), reserves = sumReserve();
    const double from = points("2"), to = points("X");
    data->TransferPoints("2", "X", 10.123456);
    EXPECT_DOUBLE_EQ(points("2"), from - 10.1235);
    EXPECT_DOUBLE_EQ(points("X"), to + 10.1235);
    EXPECT_NEAR(sumPoints(), before, 1e-9);
    EXPECT_EQ(sumReserve(), reserves);

    // More than the customer has: the balance goes below zero.
    data->TransferPoints("5", "3", 25);
    EXPECT_DOUBLE_EQ(points("5"), -15);

    const double self = points("4");
    data->TransferPoints("4", "4", 0.00005);
    EXPECT_EQ(points("4"), self);
}

TEST_F(PointTransfersTest, Transfer_UnknownOrFailingCustomerChangesNothing)
{
    data->qCustomer->open();
    ASSERT_TRUE(data->qCustomer->locate("id", QStringLiteral("2")));
    const double from = points("2");
    for (const auto &[to, failing] : {std::pair{QStringLiteral("nobody"), false}, std::pair{QStringLiteral("X"), true}}) {
        injectFailure(failing);
        try {
            data->TransferPoints("2", to, 5);
            ADD_FAILURE() << "transfer to " << to.toStdString() << " succeeded";
        } catch (const db::DataError &error) {
            if (!failing) {
                EXPECT_EQ(error.text(), "Error");
            }
        }
        EXPECT_EQ(points("2"), from);
        EXPECT_EQ(data->qCustomer->field("totalpoints")->asFloat(), from);
    }
    EXPECT_THROW(data->TransferPoints("nobody", "2", 5), db::DataError);
    EXPECT_EQ(points("2"), from);
    EXPECT_EQ(data->ADOConnection.transactionDepth(), 0);
}

TEST_F(PointTransfersTest, Transfer_OpenCustomerListShowsTheNewValuesOnTheSameRow)
{
    data->qCustomer->open();
    ASSERT_TRUE(data->qCustomer->locate("id", QStringLiteral("X")));
    data->TransferPoints("1", "X", 2.75);
    EXPECT_EQ(data->qCustomer->field("id")->asString(), "X");
    EXPECT_DOUBLE_EQ(data->qCustomer->field("totalpoints")->asFloat(), 10);
}

TEST_F(PointTransfersTest, MoveReserve_KeepsEachCustomersBalanceAndClosesTheQuery)
{
    data->ADOConnection.execute("update customer set totalpoints = 12.5 where id = '4'");
    CustomerBalances moved = data->MoveReserve("4", TData::ReserveMove::ToReserve);
    EXPECT_EQ(moved.totalpoints, 0);
    EXPECT_EQ(moved.reserve, 15.5);
    EXPECT_EQ(reserve("4"), 15.5);
    EXPECT_FALSE(data->qOneCustomer->isActive());

    data->ADOConnection.execute("update customer set totalpoints = -4.25 where id = '5'");
    moved = data->MoveReserve("5", TData::ReserveMove::FromReserve);
    EXPECT_EQ(moved.totalpoints, -1.25);
    EXPECT_EQ(points("5"), -1.25);
    EXPECT_EQ(reserve("5"), 0);

    EXPECT_THROW(data->MoveReserve("nobody", TData::ReserveMove::ToReserve), db::DataError);
    EXPECT_FALSE(data->qOneCustomer->isActive());
}

TEST_F(PointTransfersTest, SaveReserves_AllOrNone)
{
    data->SaveReserves(std::vector<TData::ReserveChange>{{"1", 0.5}, {"2", -3.5}});
    EXPECT_EQ(reserve("1"), 0.5);
    EXPECT_EQ(reserve("2"), -3.5);
    data->ADOConnection.execute("create trigger refuse_x before update of reserve on customer when new.id = 'X' "
                                "begin select raise(abort, 'refused'); end");
    EXPECT_THROW(data->SaveReserves(std::vector<TData::ReserveChange>{{"3", 9}, {"X", 9}}), db::DataError);
    EXPECT_EQ(reserve("3"), 3);
}

TEST_F(PointTransfersTest, RandomSequenceWithFailures_KeepsTheSumsAndTheDepartmentFollowsTheTable)
{
    CustomerTable customers(data->ADOConnection);
    Department department{DepLabels()};
    department.Build(customers, "1");
    const QStringList ids{"1", "2", "3", "4", "5", "X"};
    QRandomGenerator random(20261209);
    int failures = 0;
    for (int step = 0; step < 120; ++step) {
        const double both = sumBoth(), total = sumPoints(), reserves = sumReserve();
        const double headGroup = department.DepList()[0].GroupPoints;
        const QString from = ids[int(random.bounded(ids.size()))], to = ids[int(random.bounded(ids.size()))];
        const bool transfer = random.bounded(3) != 0;
        injectFailure(random.bounded(4) == 0);
        try {
            if (transfer) {
                data->TransferPoints(from, to, double(random.bounded(1, 5000)) / 100);
                department.RefreshMemberById(customers, from);
                department.RefreshMemberById(customers, to);
            } else {
                data->MoveReserve(from, random.bounded(2) ? TData::ReserveMove::ToReserve : TData::ReserveMove::FromReserve);
                department.RefreshMemberById(customers, from);
            }
        } catch (const db::DataError &) {
            ++failures;
        }
        department.Recompute();

        ASSERT_NEAR(sumBoth(), both, 1e-6) << "step " << step;
        if (transfer) {
            ASSERT_NEAR(sumPoints(), total, 1e-6) << "step " << step;
            ASSERT_EQ(sumReserve(), reserves) << "step " << step;
            if (from != "X" && to != "X" && from != "1" && to != "1") {
                ASSERT_NEAR(department.DepList()[0].GroupPoints, headGroup, 1e-6) << "step " << step;
            }
        }
        ASSERT_FALSE(data->qOneCustomer->isActive());

        Department fresh{DepLabels()};
        fresh.Build(customers, "1");
        ASSERT_EQ(fresh.count(), department.count());
        for (qsizetype i = 0; i < department.count(); ++i) {
            const TDepMember &m = department.DepList()[std::size_t(i)], &f = fresh.DepList()[std::size_t(i)];
            ASSERT_NEAR(m.PersonalPoints, points(m.Id), 1e-9) << "step " << step << " member " << m.Id.toStdString();
            ASSERT_NEAR(m.Reserve, reserve(m.Id), 1e-9) << "step " << step;
            ASSERT_NEAR(m.GroupPoints, f.GroupPoints, 1e-6) << "step " << step;
            ASSERT_NEAR(m.Bonus, f.Bonus, 1e-6) << "step " << step;
            ASSERT_EQ(m.Status, f.Status) << "step " << step;
        }
    }
    EXPECT_GT(failures, 5);
}

} // namespace
