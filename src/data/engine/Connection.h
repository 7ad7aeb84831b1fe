#pragma once
// The one connection to the database file.

#include "Errors.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
class QLockFile;

namespace db {

/// Anything that holds rows read through the connection and must be closed
/// before the file is (datasets).
class ConnectionClient
{
public:
    virtual ~ConnectionClient() = default;
    virtual void close() = 0;
};

/// Whether opening a file needs it to exist or makes it.
enum class FileMode { Existing, Create };

/// Whether closing the connection gives up the database's lock, or keeps it
/// until the next connect, so that nobody else takes the file while the
/// program rewrites it.
enum class LockOnClose { Release, Keep };

/// Takes the lock file beside the database at `path` that keeps one writer
/// per database (the lock of a copy that crashed is taken over). Throws
/// DataError InUse when another copy of the program holds it, ReadOnlyFolder
/// when no lock file can be made there.
std::unique_ptr<QLockFile> lockDatabaseFile(const QString &path);

class Connection
{
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    /// `key=value;…` options; unknown keys are kept and ignored, never an error.
    void setConnectionString(const QString &text);
    QString connectionString() const { return m_connectionString; }
    /// Value of one option of the connection string (case-insensitive key).
    QString option(const QString &key) const;

    /// The database file; overrides "Data Source" of the connection string.
    void setDataSource(const QString &path);
    /// The full path of the database file, as set before connecting.
    QString dataSource() const;

    /// Hooks run around connect and disconnect (the data module's rules).
    std::function<void()> beforeConnect, afterConnect, beforeDisconnect, afterDisconnect;
    /// How a dataset's failed write is told to the user (the data module's
    /// messages); unset, the engine's own words stay.
    FailureWording failureWording;

    /// Opens the file for the program, then runs afterConnect. Does nothing
    /// while connected. Takes the database's lock (one writer per database)
    /// and accepts the file, read-only, before anything in it changes.
    /// Throws DataError (told through failureWording where it has words for
    /// it) when the file is missing, held by another copy of the program,
    /// read-only or in a read-only folder, locked, not a database or lacks one
    /// of the program's tables, and passes on what afterConnect throws; the
    /// connection and its datasets are then closed and the file is as it was.
    void open();
    /// Closes every dataset on the connection, then the file. No-op when
    /// closed, but for giving up a lock kept by an earlier close.
    void close(LockOnClose lock = LockOnClose::Release);
    bool isConnected() const { return m_handle != nullptr; }

    /// Opens a file directly (no hooks, no lock, read-only files as they
    /// are), or makes a new empty one. Used by tools and by the schema maker.
    /// An existing file is checked for the program's tables, read-only,
    /// before anything in it changes. Throws DataError.
    void openFile(const QString &path, FileMode mode = FileMode::Existing);

    /// `error` told in plain words through failureWording, `named` being the
    /// fields it concerns (or the file); the engine's text goes to the debug
    /// log after `where` (the dataset). Unchanged when it has no words for it
    /// or was told already.
    DataError told(const DataError &error, const QStringList &named = {}, const QString &where = QString()) const;

    /// Transactions nest: an inner begin is a savepoint whose commit or
    /// rollback leaves the outer transaction running. A transaction the
    /// database rolled back by itself is over: the next begin starts afresh,
    /// a commit of it throws DataError, a rollback of it does nothing.
    void begin();
    void commit();
    void rollback();
    int transactionDepth() const { return m_depth; }

    /// Runs statements without a result. Throws DataError.
    void execute(const QString &sql);

    sqlite3 *handle() const { return m_handle; }

    // Datasets register themselves so that disconnecting can close them.
    void attach(ConnectionClient *client);
    void detach(ConnectionClient *client);

private:
    /// Whether opening refuses a file the program could not store in.
    enum class Writability { AsFound, Required };
    void openChecked(const QString &path, FileMode mode, Writability writability);
    static sqlite3 *openHandle(const QString &path, int flags);
    static void checkTables(sqlite3 *handle, const QString &path);
    bool lostTransaction();
    /// Whether a dataset's failure to close goes on to the caller, or is
    /// swallowed while unwinding a failed connect (whose own failure is the
    /// one to report).
    enum class CloseFailure { Throw, Ignore };
    void closeClients(CloseFailure onFailure);
    void closeHandle();

    sqlite3 *m_handle = nullptr;
    std::unique_ptr<QLockFile> m_lock;
    QString m_connectionString;
    QString m_dataSource;
    int m_depth = 0;
    std::vector<ConnectionClient *> m_clients;
};

/// Rolls back in its destructor unless committed: `Transaction t(conn); …; t.commit();`
class Transaction
{
public:
    explicit Transaction(Connection &connection) : m_connection(connection) { m_connection.begin(); }
    ~Transaction()
    {
        if (!m_done) {
            try {
                m_connection.rollback();
            } catch (...) {
            }
        }
    }
    void commit()
    {
        m_connection.commit();
        m_done = true;
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Connection &m_connection;
    bool m_done = false;
};

} // namespace db
