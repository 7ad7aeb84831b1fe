#include "Connection.h"

#include "Errors.h"
#include "SqlFunctions.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <iterator>
#include <sqlite3.h>

namespace db {

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
    openFile(dataSource(), false);
    if (!afterConnect)
        return;
    try {
        afterConnect();
    } catch (...) {
        // A connect that failed half-way leaves nothing open: no dataset the
        // hook opened, and not the file.
        closeClients(true);
        closeHandle();
        throw;
    }
}

void Connection::openFile(const QString &path, bool create)
{
    if (isConnected())
        throw DataError(QStringLiteral("The connection is already open"));
    if (!create && !QFileInfo(path).isFile())
        throw DataError(QStringLiteral("Could not find file '%1'.").arg(path));

    sqlite3 *handle = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QStringLiteral("Out of memory");
        sqlite3_close(handle);
        throw DataError(QStringLiteral("%1: '%2'").arg(text, path));
    }
    m_handle = handle;
    try {
        sqlite3_busy_timeout(m_handle, 1000);
        registerSqlFunctions(m_handle);
        // Reading the schema is the first touch of the file: a locked file or
        // one that is not a database fails here, not at the first window.
        execute(QStringLiteral("PRAGMA foreign_keys = ON; PRAGMA journal_mode = DELETE;"));
        if (!create)
            checkTables(path);
    } catch (...) {
        closeHandle();
        throw;
    }
}

void Connection::checkTables(const QString &path)
{
    // Every table the program reads must be there: a file with only some of
    // them would fail later, at the first window that needs the others.
    static const char *const kTables[] = {"customer", "orders", "ordered", "product"};
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(m_handle, "select lower(name) from sqlite_master where type='table'", -1, &stmt, nullptr);
    QStringList present;
    int rc = SQLITE_ERROR;
    while (stmt && (rc = sqlite3_step(stmt)) == SQLITE_ROW)
        present << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    const QString error = QString::fromUtf8(sqlite3_errmsg(m_handle));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw DataError(QStringLiteral("%1: '%2'").arg(error, path));
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

void Connection::closeClients(bool quietly)
{
    // Closing a dataset may run rules that close others; walk a copy.
    const std::vector<ConnectionClient *> clients = m_clients;
    for (ConnectionClient *client : clients) {
        if (std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end())
            continue;
        if (!quietly) {
            client->close();
            continue;
        }
        // Unwinding a failed connect: the first failure is the one to report.
        try {
            client->close();
        } catch (...) {
        }
    }
}

void Connection::close()
{
    if (!isConnected())
        return;
    if (beforeDisconnect)
        beforeDisconnect();
    closeClients(false);
    closeHandle();
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
    char *error = nullptr;
    if (sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(m_handle));
        sqlite3_free(error);
        throw DataError(text);
    }
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
