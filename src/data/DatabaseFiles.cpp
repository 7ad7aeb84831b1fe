#include "DatabaseFiles.h"

#include "Messages.h"
#include "PartFile.h"
#include "engine/Connection.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QLockFile>

#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

/// The engine's failure on `handle` as a FileError: the system's number when
/// a system call failed underneath, else one that fits the engine's code.
FileError engineFailure(sqlite3 *handle, int rc)
{
    int error = sqlite3_system_errno(handle);
    if (error == 0)
        error = (rc & 0xff) == SQLITE_FULL ? ENOSPC : (rc & 0xff) == SQLITE_CANTOPEN ? EACCES : EIO;
    return FileError(error, QString::fromUtf8(sqlite3_errmsg(handle)));
}

/// A database handle closed when it goes.
struct Handle
{
    sqlite3 *db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

int openDatabase(const QString &path, int flags, Handle &handle)
{
    return sqlite3_open_v2(QFile::encodeName(path).constData(), &handle.db, flags, nullptr);
}

} // namespace

void BackupDatabase(db::Connection &connection, const QString &target)
{
    if (!connection.isConnected())
        throw FileError(EBADF, QStringLiteral("Connection is closed"));
    PartFile part(target, PartFile::Existing::Refuse);
    {
        Handle copy;
        int rc = openDatabase(part.path(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, copy);
        if (rc != SQLITE_OK)
            throw engineFailure(copy.db, rc);
        // The part is nobody's database until it is complete: no journal for it.
        sqlite3_exec(copy.db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
        // The engine's own copy reads the file page by page in one read
        // transaction: a consistent copy, a journal left by a crash included.
        sqlite3_backup *backup = sqlite3_backup_init(copy.db, "main", connection.handle(), "main");
        if (!backup)
            throw engineFailure(copy.db, sqlite3_errcode(copy.db));
        do
            rc = sqlite3_backup_step(backup, 4096);
        while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            throw engineFailure(copy.db, rc);
        rc = sqlite3_close(copy.db);
        copy.db = nullptr;
        if (rc != SQLITE_OK)
            throw FileError(EIO, QStringLiteral("Cannot write %1").arg(part.path()));
    }
    part.commit();
}

void RestoreDatabase(const QString &source, const QString &target)
{
    // Nobody may open the database between the copy and the rename, and a
    // copy of the program that has it open keeps it.
    std::unique_ptr<QLockFile> lock;
    errno = 0;
    try {
        lock = db::lockDatabaseFile(target);
    } catch (const db::DataError &error) {
        // No lock file could be made: the system's reason where it left one
        // (a full disk), else the folder refuses changes.
        const int reason = error.kind() == db::FailureKind::InUse ? EBUSY : errno != 0 ? errno : EACCES;
        throw FileError(reason, error.text());
    }
    PartFile part(target, PartFile::Existing::Replace);
    if (const int error = CopyToNewFile(source, part.path()))
        throw FileError(error, QStringLiteral("Cannot copy %1: %2").arg(source, systemText(error)));
    try {
        // Only a database of the program takes the place of the database.
        db::Connection probe;
        probe.openFile(part.path());
    } catch (const db::DataError &error) {
        QString text = error.text();
        throw FileError(0, text.replace(part.path(), source));
    }
    // A journal left by the old file would be rolled back into the new one.
    const QByteArray journal = QFile::encodeName(target + QStringLiteral("-journal"));
    if (::unlink(journal.constData()) != 0 && errno != ENOENT) {
        const int error = errno;
        throw FileError(error, QStringLiteral("Cannot remove %1: %2").arg(QFile::decodeName(journal), systemText(error)));
    }
    part.commit();
}

void CompactInPlace(const QString &path)
{
    // Read only: whatever fails, the file stays byte for byte as it was.
    Handle source;
    int rc = openDatabase(path, SQLITE_OPEN_READONLY, source);
    if (rc != SQLITE_OK)
        throw engineFailure(source.db, rc);
    struct stat old{};
    if (::stat(QFile::encodeName(path).constData(), &old) != 0) {
        const int error = errno;
        throw FileError(error, QStringLiteral("%1: '%2'").arg(systemText(error), path));
    }
    PartFile part(path, PartFile::Existing::Replace);
    sqlite3_stmt *vacuum = nullptr;
    rc = sqlite3_prepare_v2(source.db, "VACUUM INTO ?", -1, &vacuum, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray into = QFile::encodeName(part.path());
        sqlite3_bind_text(vacuum, 1, into.constData(), int(into.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(vacuum);
    }
    sqlite3_finalize(vacuum);
    if (rc != SQLITE_DONE && rc != SQLITE_OK)
        throw engineFailure(source.db, rc);
    sqlite3_close_v2(source.db);
    source.db = nullptr;
    if (::chmod(QFile::encodeName(part.path()).constData(), old.st_mode & 07777) != 0) {
        const int error = errno;
        throw FileError(error, QStringLiteral("Cannot write %1: %2").arg(part.path(), systemText(error)));
    }
    part.commit();
}

QString BackupFileName(const QString &pattern, const QDate &date, const QLocale &locale)
{
    QString day = locale.toString(date, QLocale::ShortFormat);
    for (QChar &c : day)
        if (c == u'/' || c == u'\\' || c == u':')
            c = u'-';
    return FormatMessage(pattern, {day});
}
