// The power cut mid-store: a process stores, changes and deletes orders and
// refusals through the data module until it is killed without warning. After
// every kill the file must be whole and every customer's points must still be
// the signed sum of their orders' points.
#include "DataU.h"
#include "TestSupport.h"
#include "UserPort.h"
#include "engine/Connection.h"
#include "engine/DataSource.h"
#include "engine/Statement_p.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QStringList kCustomers{"C", "D", "E"};

/// Answers the customer chooser of a new header with a random customer;
/// nothing else may be asked.
class RandomCustomerPort : public UserPort
{
public:
    explicit RandomCustomerPort(QRandomGenerator &random) : m_random(random) {}
    void showError(const QString &) override {}
    void showInformation(const QString &) override {}
    bool confirm(const QString &) override { return false; }
    bool warn(const QString &, Buttons) override { return false; }
    void refreshMainCaption() override {}
    bool chooseRecord(db::DataSource &source, const ChooserOptions &, const std::function<void()> &readChoice) override
    {
        if (!source.dataset()->locate(QStringLiteral("id"), kCustomers[int(m_random.bounded(3))]))
            return false;
        readChoice();
        return true;
    }
    bool editCustomer(db::DataSource &, const QString &, const QString &, bool) override { return false; }
    std::optional<QDate> chooseDate(const QDate &) override { return std::nullopt; }

private:
    QRandomGenerator &m_random;
};

/// The child's work until it is killed: the order rules, as the journal and
/// the order editor use them.
[[noreturn]] void storeUntilKilled(const QString &programPath, quint32 seed)
{
    QRandomGenerator random(seed);
    RandomCustomerPort port(random);
    TData data(programPath, port);
    data.connect();
    data.qOrders->open();
    db::Dataset &h = *data.qOrders;
    for (;;) {
        try {
            const int action = int(random.bounded(4));
            if (action == 0 || h.recordCount() < 3) {
                data.RefusalMode = random.bounded(4) == 0;
                h.append();
                const double points = (data.RefusalMode ? -1 : 1) * double(random.bounded(10000)) / 100.0;
                h.field(QStringLiteral("totalpoints"))->setValue(points);
                h.field(QStringLiteral("totalsum"))->setValue(points * 3);
                h.post();
            } else {
                h.moveTo(int(random.bounded(h.recordCount())));
                if (action == 1) {
                    h.edit();
                    h.field(QStringLiteral("totalpoints"))->setValue(double(random.bounded(-5000, 5000)) / 100.0);
                    h.field(QStringLiteral("id_customer"))->setValue(kCustomers[int(random.bounded(3))]);
                    h.post();
                } else {
                    h.remove();
                }
            }
        } catch (...) {
            h.cancel();
        }
    }
}

QVariant scalar(db::Connection &connection, const QString &sql)
{
    db::Statement statement(connection.handle(), sql);
    return statement.step() ? statement.value(0) : QVariant();
}

TEST(Crash, KilledWhileStoringOrders_FileWholeAndPointsExact)
{
    testing_support::ProgramFolder folder;
    {
        db::Connection connection;
        connection.openFile(folder.createDatabase());
        connection.execute(QStringLiteral("insert into customer (id, sname) values ('C', 'Smith'), ('D', 'Jones'), ('E', 'Brown')"));
    }
    QRandomGenerator random(20261209);
    int ordersSeen = 0;
    for (int kill = 0; kill < 10; ++kill) {
        const quint32 seed = random.generate();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            storeUntilKilled(folder.programPath(), seed);
        ::usleep(useconds_t(random.bounded(50'000, 250'000)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself";

        // The next open rolls back the store the kill interrupted.
        db::Connection connection;
        connection.openFile(folder.file(QStringLiteral("DB2.mdb")));
        EXPECT_EQ(scalar(connection, QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"))
            << "after kill " << kill;
        const double drift =
            scalar(connection, QStringLiteral("select coalesce(sum(abs(c.totalpoints - coalesce((select sum(o.totalpoints) "
                                              "from orders o where o.id_customer = c.id), 0))), 0) from customer c"))
                .toDouble();
        EXPECT_NEAR(drift, 0.0, 1e-9) << "after kill " << kill;
        ordersSeen = scalar(connection, QStringLiteral("select count(*) from orders")).toInt();
    }
    EXPECT_GT(ordersSeen, 0) << "the children never stored an order";
}

} // namespace
