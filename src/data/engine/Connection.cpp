#include "Connection.h"

#include "Errors.h"
#include "SqlFunctions_p.h"

#include "Statement_p.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QStringList>
#include <algorithm>
#include <iterator>
#include <sqlite3.h>

namespace db {

Q_LOGGING_CATEGORY(lcEngine, "quorvel.engine")

namespace {
/// A connect the engine refuses, in its own words until the data module
/// tells it in the user's.
DataError refusal(const QString &text, FailureKind kind)
{
    return DataError(text, kind, text);
}
} // namespace

Connection::Connection() = default;

Connection::~Connection()
{
    try {
        close();
    } catch (...) {
    }
}

void Connection::setConnectionString(const QString &text)
{
    m_connectionString = text;
}

QString Connection::option(const QString &key) const
{
    for (const QString &part : m_connectionString.split(u';')) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0)
            continue;
        if (part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            QString value = part.mid(eq + 1).trimmed();
            if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return QString();
}

void Connection::setDataSource(const QString &path)
{
    m_dataSource = path;
}

QString Connection::dataSource() const
{
    return m_dataSource.isEmpty() ? option(QStringLiteral("Data Source")) : m_dataSource;
}

void Connection::open()
{
    if (isConnected())
        return;
    if (beforeConnect)
        beforeConnect();
    const QString path = dataSource();
    try {
        if (!QFileInfo(path).isFile())
            throw DataError(QStringLiteral("Could not find file '%1'.").arg(path));
        // A lock kept over a close (while the file was rewritten) is ours already.
        if (!m_lock || m_lock->fileName() != path + QStringLiteral(".lock"))
            m_lock = lockDatabaseFile(path);
        openChecked(path, FileMode::Existing, Writability::Required);
    } catch (const DataError &error) {
        m_lock.reset();
        throw told(error, {QDir::toNativeSeparators(path)});
    }
    if (!afterConnect)
        return;
    try {
        afterConnect();
    } catch (...) {
        // A connect that failed half-way leaves nothing open: no dataset the
        // hook opened, and not the file.
        closeClients(CloseFailure::Ignore);
        closeHandle();
        m_lock.reset();
        throw;
    }
}

std::unique_ptr<QLockFile> lockDatabaseFile(const QString &path)
{
    // One writer per database: two copies storing orders on one file would
    // refuse each other's rows. The lock of a copy that crashed is found
    // stale (its process is gone) and taken over.
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() == QLockFile::LockFailedError)
        throw refusal(QStringLiteral("Another copy of the program has the database '%1' open.").arg(path),
                      FailureKind::InUse);
    // No lock file can be made beside the database: no journal could be either.
    throw refusal(QStringLiteral("The folder of '%1' does not allow changes.").arg(path), FailureKind::ReadOnlyFolder);
}

void Connection::openFile(const QString &path, FileMode mode)
{
    openChecked(path, mode, Writability::AsFound);
}

sqlite3 *Connection::openHandle(const QString &path, int flags)
{
    sqlite3 *handle = nullptr;
    // One thread uses the connection: no mutex around every call, which
    // costs a tenth of reading a large journal.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QStringLiteral("Out of memory");
        sqlite3_close(handle);
        throw DataError(QStringLiteral("%1: '%2'").arg(text, path));
    }
    sqlite3_busy_timeout(handle, 1000);
    return handle;
}

void Connection::openChecked(const QString &path, FileMode mode, Writability writability)
{
    const bool create = mode == FileMode::Create;
    if (isConnected())
        throw DataError(QStringLiteral("The connection is already open"));
    bool accepted = create;
    if (!create) {
        if (!QFileInfo(path).isFile())
            throw DataError(QStringLiteral("Could not find file '%1'.").arg(path));
        // Accepted before anything in it changes: a file that is not the
        // program's (another program's, perhaps in WAL mode) is refused as it
        // was found. Reading the schema is also the first touch of the file:
        // a locked file or one that is not a database fails here.
        sqlite3 *probe = openHandle(path, SQLITE_OPEN_READONLY);
        try {
            checkTables(probe, path);
            accepted = true;
        } catch (const DataError &error) {
            // A store cut short (a crash, a power cut) left a journal that
            // only a writer can roll back: the check is then made as one,
            // once the file is back as it was before that store.
            if (error.kind() != FailureKind::ReadOnly) {
                sqlite3_close_v2(probe);
                throw;
            }
        }
        sqlite3_close_v2(probe);
    }
    m_handle = openHandle(path, SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0));
    try {
        if (!accepted)
            checkTables(m_handle, path);
        // SQLite opens a write-protected file for reading without a word;
        // the program would then fail at its first store instead.
        if (writability == Writability::Required && sqlite3_db_readonly(m_handle, "main") == 1)
            throw refusal(QStringLiteral("The database '%1' is read-only.").arg(path), FailureKind::ReadOnlyFile);
        registerSqlFunctions(m_handle);
        execute(QStringLiteral("PRAGMA foreign_keys = ON; PRAGMA journal_mode = DELETE;"));
    } catch (...) {
        closeHandle();
        throw;
    }
}

void Connection::checkTables(sqlite3 *handle, const QString &path)
{
    // Every table the program reads must be there: a file with only some of
    // them would fail later, at the first window that needs the others.
    static const char *const kTables[] = {"customer", "orders", "ordered", "product"};
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(handle, "select lower(name) from sqlite_master where type='table'", -1, &stmt, nullptr);
    QStringList present;
    int rc = SQLITE_ERROR;
    while (stmt && (rc = sqlite3_step(stmt)) == SQLITE_ROW)
        present << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    const QString error = QString::fromUtf8(sqlite3_errmsg(handle));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        const DataError failure = engineError(handle);
        throw DataError(QStringLiteral("%1: '%2'").arg(error, path), failure.kind(), failure.engineText());
    }
    QStringList missing;
    for (const char *table : kTables)
        if (!present.contains(QLatin1String(table)))
            missing << QLatin1String(table);
    if (missing.size() == qsizetype(std::size(kTables)))
        throw DataError(QStringLiteral("Unrecognized database format '%1'.").arg(path));
    if (!missing.isEmpty())
        throw DataError(QStringLiteral("Unrecognized database format '%1': table %2 not found.")
                            .arg(path, missing.join(QStringLiteral(", "))));
}

void Connection::closeClients(CloseFailure onFailure)
{
    // Closing a dataset may run rules that close others; walk a copy.
    const std::vector<ConnectionClient *> clients = m_clients;
    for (ConnectionClient *client : clients) {
        if (std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end())
            continue;
        if (onFailure == CloseFailure::Throw) {
            client->close();
            continue;
        }
        try {
            client->close();
        } catch (...) {
        }
    }
}

DataError Connection::told(const DataError &error, const QStringList &named, const QString &where) const
{
    // Told once: a failure already in plain words keeps them.
    if (error.kind() == FailureKind::Other || !failureWording || error.text() != error.engineText())
        return error;
    const QString text = failureWording(error.kind(), named);
    if (text.isEmpty())
        return error;
    if (where.isEmpty())
        qCDebug(lcEngine).noquote() << error.engineText();
    else
        qCDebug(lcEngine).noquote() << where + QStringLiteral(":") << error.engineText();
    return DataError(text, error.kind(), error.engineText());
}

void Connection::close(LockOnClose lock)
{
    if (!isConnected()) {
        if (lock == LockOnClose::Release)
            m_lock.reset();
        return;
    }
    if (beforeDisconnect)
        beforeDisconnect();
    closeClients(CloseFailure::Throw);
    closeHandle();
    if (lock == LockOnClose::Release)
        m_lock.reset();
    if (afterDisconnect)
        afterDisconnect();
}

void Connection::closeHandle()
{
    if (m_depth > 0)
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
    m_depth = 0;
    sqlite3_close_v2(m_handle);
    m_handle = nullptr;
}

bool Connection::lostTransaction()
{
    // SQLite ends a transaction by itself on some failures (a full disk, a
    // busy file, a trigger's raise(rollback)); our depth must follow it.
    if (m_depth == 0 || !sqlite3_get_autocommit(m_handle))
        return false;
    m_depth = 0;
    return true;
}

void Connection::begin()
{
    if (!isConnected())
        throw DataError(QStringLiteral("Connection is closed"));
    lostTransaction();
    execute(m_depth == 0 ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT quorvel_%1").arg(m_depth));
    ++m_depth;
}

void Connection::commit()
{
    if (m_depth == 0)
        throw DataError(QStringLiteral("No transaction is active"));
    if (lostTransaction())
        throw DataError(QStringLiteral("The transaction was rolled back by the database; nothing was stored"));
    execute(m_depth == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE quorvel_%1").arg(m_depth - 1));
    --m_depth;
}

void Connection::rollback()
{
    if (m_depth == 0)
        throw DataError(QStringLiteral("No transaction is active"));
    if (lostTransaction())
        return; // already undone
    --m_depth;
    if (m_depth == 0)
        execute(QStringLiteral("ROLLBACK"));
    else
        execute(QStringLiteral("ROLLBACK TO quorvel_%1; RELEASE quorvel_%1").arg(m_depth));
}

void Connection::execute(const QString &sql)
{
    if (!isConnected())
        throw DataError(QStringLiteral("Connection is closed"));
    if (sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw engineError(m_handle);
}

void Connection::attach(ConnectionClient *client)
{
    m_clients.push_back(client);
}

void Connection::detach(ConnectionClient *client)
{
    m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), client), m_clients.end());
}

} // namespace db
