// Backup, restore and compaction of the database file, on real files and in
// real processes: whatever fails, no database is missing, half-written or
// replaced by a file that is not one.
#include "DatabaseFiles.h"
#include "PartFile.h"
#include "Schema.h"
#include "TestSupport.h"
#include "engine/Connection.h"
#include "engine/Statement_p.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLocale>
#include <QLockFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::readFileBytes;
using testing_support::writeFileBytes;

namespace {

constexpr rlim_t kSmallFileLimit = 64 * 1024;

/// Runs `body` in a child process whose files may grow to `fileLimit` bytes
/// at most (a full disk); its exit status, -1 when it did not exit.
int inChild(const std::function<int()> &body, rlim_t fileLimit = RLIM_INFINITY)
{
    return testing_support::runInChild(body, [fileLimit] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{fileLimit, fileLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
}

/// The error number `body` fails with (0: it failed without one; -1: it did not fail).
int failureOf(const std::function<void()> &body)
{
    try {
        body();
    } catch (const FileError &error) {
        return error.errorNumber();
    }
    return -1;
}

/// Whether the folder holds a part file or a journal left behind.
bool leftovers(const QString &folder)
{
    return !QDir(folder).entryList({QStringLiteral("*.part*"), QStringLiteral("*-journal")},
                                   QDir::Files | QDir::Hidden)
                .isEmpty();
}

class DatabaseFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Folders a child that became "nobody" can walk.
        QFile::setPermissions(program.folder(), QFileDevice::Permissions(0x7777));
        path = program.createDatabase();
    }
    void TearDown() override { partFileCalls() = saved; }

    /// `orders` orders with a line of text each, stored on `file`.
    static void fill(const QString &file, int orders)
    {
        db::Connection c;
        c.openFile(file);
        c.execute(QStringLiteral("begin; insert into customer (id, sname) values ('1', 'Иванов');"
                                 "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                                 "insert into orders (id, id_customer, totalpoints, ordersdate) "
                                 "select i, '1', i, '2026-01-01 00:00:00.000 ' || hex(randomblob(100)) from n; commit")
                      .arg(orders));
    }
    /// `fill` with `orders`, then all but the first `kept` deleted again:
    /// a file with room to compact away.
    static void fillWithRoom(const QString &file, int orders, int kept)
    {
        fill(file, orders);
        db::Connection c;
        c.openFile(file);
        c.execute(QStringLiteral("delete from orders where id > %1").arg(kept));
    }
    /// The first value of `sql` on the database `file`.
    static QVariant scalar(const QString &file, const QString &sql)
    {
        db::Connection c;
        c.openFile(file);
        db::Statement statement(c.handle(), sql);
        return statement.step() ? statement.value(0) : QVariant();
    }
    /// The journal a store of 2000 orders leaves when the power is cut: it
    /// would be rolled back into whatever file has the database's name.
    QByteArray hotJournal()
    {
        const QString other = program.file(QStringLiteral("other.mdb"));
        Schema::createFile(other);
        fill(other, 2000);
        db::Connection c;
        c.openFile(other);
        c.execute(QStringLiteral("PRAGMA cache_size = 1; begin; delete from orders"));
        const QByteArray journal = readFileBytes(other + QStringLiteral("-journal"));
        EXPECT_GT(journal.size(), 4096);
        c.execute(QStringLiteral("rollback"));
        return journal;
    }
    static int orderCount(const QString &file)
    {
        return scalar(file, QStringLiteral("select count(*) from orders")).toInt();
    }

    testing_support::ProgramFolder program;
    QString path;
    PartFileCalls saved = partFileCalls();
};

} // namespace

// --- backup ------------------------------------------------------------------------------

TEST_F(DatabaseFilesTest, Backup_HoldsTheLastOrderAndIsNeverReplaced)
{
    fill(path, 10);
    const QString target = program.file(QStringLiteral("Копия архива 01.03.2007.bak"));
    db::Connection connection;
    connection.setDataSource(path);
    connection.open();
    connection.execute(QStringLiteral("insert into orders (id, ordersdate) values (11, '2026-02-01 00:00:00.000')"));
    BackupDatabase(connection, target);
    EXPECT_EQ(scalar(target, QStringLiteral("select max(id) from orders")).toInt(), 11);
    EXPECT_EQ(scalar(target, QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));

    const QByteArray first = readFileBytes(target);
    connection.execute(QStringLiteral("insert into orders (id) values (12)"));
    EXPECT_EQ(failureOf([&] { BackupDatabase(connection, target); }), EEXIST);
    EXPECT_EQ(readFileBytes(target), first);
    EXPECT_FALSE(leftovers(program.folder()));

    // Onto another file system (a memory disk): the part is made beside the backup.
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/quorvel-XXXXXX"));
    if (elsewhere.isValid()) {
        const QString away = elsewhere.filePath(QStringLiteral("на другом диске.bak"));
        BackupDatabase(connection, away);
        EXPECT_EQ(orderCount(away), 12);
    }
}

// Where the copy cannot be made the system's number is told and nothing of
// it is left: a read-only folder, a disk that fills up, a file system that
// can neither link nor rename without replacing.
TEST_F(DatabaseFilesTest, Backup_FailuresToldByNumberAndLeaveNothing)
{
    fill(path, 2000);
    const QString readOnly = program.file(QStringLiteral("только чтение"));
    QDir().mkdir(readOnly);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                        | QFileDevice::ExeOther);
    QFile::setPermissions(path, QFileDevice::Permissions(0x6644));
    const auto backupTo = [this](const QString &target) {
        return [this, target] {
            db::Connection connection;
            connection.openFile(path);
            const int error = failureOf([&] { BackupDatabase(connection, target); });
            return QFile::exists(target) || leftovers(QFileInfo(target).absolutePath()) ? 100 : error;
        };
    };
    EXPECT_EQ(testing_support::runUnprivileged(backupTo(readOnly + QStringLiteral("/b.bak"))), EACCES);
    const int full = inChild(backupTo(program.file(QStringLiteral("full.bak"))), kSmallFileLimit);
    EXPECT_TRUE(full == EFBIG || full == ENOSPC) << full;

    // Without links: a rename that does not replace, else a copy made afresh.
    partFileCalls().link = [](const char *, const char *) { errno = EPERM; return -1; };
    const QString target = program.file(QStringLiteral("fat.bak"));
    db::Connection connection;
    connection.openFile(path);
    BackupDatabase(connection, target);
    EXPECT_EQ(orderCount(target), 2000);
    partFileCalls().renameNoReplace = [](const char *, const char *) { errno = EINVAL; return -1; };
    EXPECT_EQ(failureOf([&] { BackupDatabase(connection, target); }), EEXIST);
    BackupDatabase(connection, program.file(QStringLiteral("fat2.bak")));
    EXPECT_EQ(orderCount(program.file(QStringLiteral("fat2.bak"))), 2000);
    EXPECT_FALSE(leftovers(program.folder()));
}

// --- restore -----------------------------------------------------------------------------

TEST_F(DatabaseFilesTest, Restore_ReplacesMissingDamagedOrJournalledDatabase)
{
    const QString source = program.file(QStringLiteral("архив 1.bak"));
    Schema::createFile(source);
    fill(source, 3);
    const struct
    {
        const char *name;
        std::function<void()> prepare;
    } cases[] = {
        {"whole", [] {}},
        {"missing", [this] { QFile::remove(path); }},
        {"damaged", [this] { writeFileBytes(path, QByteArray(5000, '\x07')); }},
        {"stale journal", [this] { writeFileBytes(path + QStringLiteral("-journal"), hotJournal()); }},
    };
    for (const auto &c : cases) {
        c.prepare();
        RestoreDatabase(source, path);
        EXPECT_EQ(readFileBytes(path), readFileBytes(source)) << c.name;
        EXPECT_EQ(orderCount(path), 3) << c.name;
        EXPECT_FALSE(leftovers(program.folder())) << c.name;
    }
}

TEST_F(DatabaseFilesTest, Restore_RefusedSourcesLeaveTheDatabaseAsItWas)
{
    fill(path, 5);
    const QByteArray before = readFileBytes(path);
    const QString text = program.file(QStringLiteral("notes.bak")), foreign = program.file(QStringLiteral("foreign.bak"));
    writeFileBytes(text, "not a database at all\n");
    {
        db::Connection other;
        other.openFile(foreign, db::FileMode::Create);
        other.execute(QStringLiteral("create table customer (id); create table ordered (id); create table product (id)"));
    }
    EXPECT_EQ(failureOf([&] { RestoreDatabase(text, path); }), 0);
    EXPECT_EQ(failureOf([&] { RestoreDatabase(foreign, path); }), 0);
    try {
        RestoreDatabase(foreign, path);
    } catch (const FileError &error) {
        EXPECT_TRUE(error.text().contains(QStringLiteral("orders"))) << error.text().toStdString();
        EXPECT_TRUE(error.text().contains(foreign)) << error.text().toStdString();
    }
    EXPECT_EQ(failureOf([&] { RestoreDatabase(program.file(QStringLiteral("gone.bak")), path); }), ENOENT);
    const QString large = program.file(QStringLiteral("large.bak"));
    Schema::createFile(large);
    fill(large, 2000);
    const int full = inChild([&] { return failureOf([&] { RestoreDatabase(large, path); }); }, kSmallFileLimit);
    EXPECT_TRUE(full == EFBIG || full == ENOSPC) << "full disk: " << full;

    // Another copy of the program has the database open.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        try {
            db::Connection connection;
            connection.setDataSource(path);
            connection.open();
            (void)::write(ready[1], "x", 1);
            ::pause();
        } catch (...) {
        }
        ::_exit(1);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(failureOf([&] { RestoreDatabase(text, path); }), EBUSY);
    const QString good = program.file(QStringLiteral("good.bak"));
    Schema::createFile(good);
    EXPECT_EQ(failureOf([&] { RestoreDatabase(good, path); }), EBUSY);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_FALSE(leftovers(program.folder()));
}

// --- compaction ----------------------------------------------------------------------------

TEST_F(DatabaseFilesTest, Compact_ShrinksKeepingDataAndPermissions)
{
    fillWithRoom(path, 20000, 10);
    QFile::setPermissions(path, QFileDevice::Permissions(0x6640));
    const qint64 before = QFileInfo(path).size();
    CompactInPlace(path);
    EXPECT_LT(QFileInfo(path).size() * 10, before);
    EXPECT_EQ(orderCount(path), 10);
    EXPECT_EQ(scalar(path, QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(QFile::permissions(path), QFileDevice::Permissions(0x6640));
    EXPECT_FALSE(leftovers(program.folder()));
}

TEST_F(DatabaseFilesTest, Compact_FailuresLeaveTheFileByteIdentical)
{
    fillWithRoom(path, 3000, 100);
    QFile::setPermissions(path, QFileDevice::Permissions(0x6644));
    const QByteArray before = readFileBytes(path);
    const auto compact = [this] { return failureOf([this] { CompactInPlace(path); }); };

    partFileCalls().rename = [](const char *, const char *) { errno = EIO; return -1; };
    EXPECT_EQ(compact(), EIO) << "replace";
    partFileCalls() = saved;
    const int full = inChild(compact, 16 * 1024);
    EXPECT_TRUE(full == EFBIG || full == ENOSPC) << "full disk: " << full;
    QFile::setPermissions(program.folder(), QFileDevice::Permissions(0x5555));
    EXPECT_EQ(testing_support::runUnprivileged(compact), EACCES) << "unwritable temporary file";
    QFile::setPermissions(program.folder(), QFileDevice::Permissions(0x7777));
    const QString text = program.file(QStringLiteral("text.mdb"));
    writeFileBytes(text, "plain text, no database");
    EXPECT_GE(failureOf([&] { CompactInPlace(text); }), 0) << "not a database";

    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_FALSE(leftovers(program.folder()));
}

// A compaction killed at any moment leaves the old file or the new one.
TEST_F(DatabaseFilesTest, Compact_KilledAtRandomMoments_DatabaseOpensWithItsData)
{
    fill(path, 20000);
    QRandomGenerator random(17);
    for (int kill = 0; kill < 6; ++kill) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                for (;;)
                    CompactInPlace(path);
            } catch (...) {
            }
            ::_exit(1);
        }
        ::usleep(random.bounded(5000, 120000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        EXPECT_EQ(orderCount(path), 20000) << "kill " << kill;
        EXPECT_EQ(scalar(path, QStringLiteral("pragma integrity_check")).toString(), QStringLiteral("ok"));
    }
}

TEST(BackupFileName, DateWithoutFolderCharacters)
{
    const QString pattern = QStringLiteral("Backup %s.bak");
    const QDate day(2007, 3, 1);
    EXPECT_EQ(BackupFileName(pattern, day, QLocale(QLocale::Russian, QLocale::Russia)),
              QStringLiteral("Backup 01.03.2007.bak"));
    EXPECT_EQ(BackupFileName(pattern, day, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("Backup 3-1-07.bak"));
}
