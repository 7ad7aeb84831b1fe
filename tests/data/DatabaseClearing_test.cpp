// The clearing tasks and the point reset, with a scripted user.
#include "DataU.h"
#include "DatabaseClearing.h"
#include "EntryPanel.h"
#include "Messages.h"
#include "PartFile.h"
#include "ScriptedUserPort.h"
#include "TestSupport.h"
#include "engine/Statement_p.h"
#include "engine/WallClock.h"

#include <QFileInfo>
#include <QLockFile>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

using Task = ClearOptions::Task;

QDateTime at(int year, int month, int day, QTime time = QTime(0, 0))
{
    return db::wallClock(QDate(year, month, day), time);
}

/// The default period of a clearing in March 2026: February.
ClearOptions february(ClearOptions::Tasks tasks)
{
    return {tasks, at(2026, 2, 1), at(2026, 2, 28, QTime(23, 59, 59, 999)), QVariant()};
}

struct CountingJournal : JournalView
{
    void showTotal(const QString &, const QString &) override {}
    void connectionRestored() override { ++restored; }
    int restored = 0;
};

/// Whether another copy of the program could lock the database now.
bool lockFree(const QString &path)
{
    QLockFile lock(path + QStringLiteral(".lock"));
    return lock.tryLock(0);
}
QString g_lockedPath;
bool g_lockedDuringReplace = false;

/// A connected database with one customer (7 points, 3 in reserve), five
/// orders around February 2026 and two catalogues.
struct Books
{
    Books()
    {
        folder.createDatabase();
        data = std::make_unique<TData>(folder.programPath(), port);
        data->connect();
        testing_support::addCustomer(data->ADOConnection, QStringLiteral("1"), QVariant(), QStringLiteral("Петров"), 7, 3);
        exec("insert into orders (id, id_customer, ordersdate) values "
             "(1, '1', '2026-01-31 10:00:00.000'), (2, '1', '2026-02-01 00:00:00.000'), "
             "(3, '1', '2026-02-27 18:00:00.000'), (4, '1', '2026-02-28 09:00:00.000'), "
             "(5, '1', '2026-03-01 00:00:00.000');"
             "insert into product values ('A1', 'Крем', '2026-01-01 00:00:00.000', 1, 1), "
             "('A1', 'Крем', '2026-02-01 00:00:00.000', 1, 1);"
             "insert into ordered values (4, 'A1', 1, '2026-02-01 00:00:00.000')");
    }
    ~Books() { partFileCalls() = saved; }

    void exec(const char *sql) { data->ADOConnection.execute(QString::fromUtf8(sql)); }
    QString scalar(const char *sql)
    {
        db::Statement statement(data->ADOConnection.handle(), QString::fromUtf8(sql));
        return statement.step() ? statement.value(0).toString() : QString();
    }
    QString orders() { return scalar("select ifnull(group_concat(id), '') from (select id from orders order by id)"); }

    testing_support::ProgramFolder folder;
    ScriptedUserPort port;
    std::unique_ptr<TData> data;
    PartFileCalls saved = partFileCalls();
};

} // namespace

TEST(Clearing, TasksAskWhatTheyMustAndDoExactlyWhatWasTicked)
{
    const struct
    {
        const char *name;
        ClearOptions options;
        std::vector<bool> confirms, warnings;
        const char *orders, *points, *products;
        bool completed;
    } cases[] = {
        {"nothing ticked", february({}), {}, {}, "1,2,3,4,5", "7", "2", false},
        {"no to the deletion", february(Task::DeleteOrders | Task::ZeroPoints), {false}, {}, "1,2,3,4,5", "7", "2", false},
        {"period keeps its last day", february(Task::DeleteOrders), {true}, {}, "1,4,5", "7", "2", true},
        {"all orders", {Task::DeleteOrders, db::zeroDateTime(), at(9999, 12, 31, QTime(23, 59, 59, 999)), QVariant()},
         {true}, {}, "", "7", "2", true},
        {"points", february(Task::ZeroPoints), {true}, {}, "1,2,3,4,5", "0", "2", true},
        {"catalogue", {Task::DeleteCatalogue, {}, {}, at(2026, 2, 1)}, {true}, {true}, "1,2,3,4,5", "7", "1", true},
        {"no catalogue", february(Task::DeleteCatalogue), {true}, {true}, "1,2,3,4,5", "7", "2", true},
        {"no to the catalogue, still shrunk", {Task::DeleteCatalogue | Task::Shrink, {}, {}, at(2026, 2, 1)}, {true},
         {false}, "1,2,3,4,5", "7", "2", true},
        {"shrink alone asks nothing", february(Task::Shrink), {}, {}, "1,2,3,4,5", "7", "2", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Books books;
        auto &port = books.port;
        auto &data = books.data;
        for (bool answer : c.confirms)
            port.expectConfirm(answer);
        for (bool answer : c.warnings)
            port.expectWarning(answer);
        port.information.clear();
        ClearDatabase(*data, c.options);
        EXPECT_TRUE(data->isConnected());
        EXPECT_EQ(books.orders(), QString::fromUtf8(c.orders));
        EXPECT_EQ(books.scalar("select totalpoints from customer"), QString::fromUtf8(c.points));
        EXPECT_EQ(books.scalar("select reserve from customer"), QStringLiteral("3"));
        EXPECT_EQ(books.scalar("select count(*) from product"), QString::fromUtf8(c.products));
        EXPECT_EQ(port.information, c.completed ? QStringList{Messages().lActionIsSuccess} : QStringList());
    }
}

// A statement that fails stops the tasks after it and "Completed".
TEST(Clearing, FailingStatementStopsTheLaterTasks)
{
    Books b;
    auto &port = b.port;
    auto &data = b.data;
    b.exec("create trigger refuse before delete on orders begin select raise(abort, 'orders are kept'); end");
    port.expectConfirm(true);
    EXPECT_THROW(ClearDatabase(*data, february(Task::DeleteOrders | Task::ZeroPoints | Task::Shrink)), db::DataError);
    EXPECT_EQ(b.orders(), QStringLiteral("1,2,3,4,5"));
    EXPECT_EQ(b.scalar("select totalpoints from customer"), QStringLiteral("7"));
    EXPECT_TRUE(port.information.isEmpty());
}

// Shrinking keeps the database locked while it is rewritten, shows a failed
// compaction, connects again all the same and leaves the journal's headers
// closed.
TEST(Clearing, Shrink_LockedThroughoutAndReconnectsAfterAFailure)
{
    Books b;
    auto &port = b.port;
    auto &data = b.data;
    CountingJournal journal;
    data->setJournalView(&journal);
    data->qOrders->open();
    g_lockedPath = data->databasePath();
    partFileCalls().rename = [](const char *, const char *) {
        g_lockedDuringReplace = !lockFree(g_lockedPath);
        errno = EIO;
        return -1;
    };
    ClearDatabase(*data, february(Task::Shrink));
    EXPECT_TRUE(g_lockedDuringReplace);
    ASSERT_EQ(port.errors.size(), 1);
    EXPECT_EQ(port.information, QStringList{Messages().lActionIsSuccess});
    EXPECT_TRUE(data->isConnected());
    EXPECT_FALSE(data->qOrders->isActive());
    EXPECT_EQ(journal.restored, 0);
    EXPECT_FALSE(lockFree(data->databasePath()));
    data->disconnect();
    EXPECT_TRUE(lockFree(data->databasePath()));
    data->setJournalView(nullptr);
}

TEST(Clearing, ClearPoints_KeepsReserve)
{
    Books b;
    auto &port = b.port;
    port.expectConfirm(false);
    ClearPoints(*b.data);
    EXPECT_EQ(b.scalar("select totalpoints from customer"), QStringLiteral("7"));
    port.expectConfirm(true);
    ClearPoints(*b.data);
    EXPECT_EQ(b.scalar("select totalpoints || '/' || reserve from customer"), QStringLiteral("0.0/3.0"));
    EXPECT_EQ(port.information, QStringList{Messages().lPointsIsResetMes});
}
