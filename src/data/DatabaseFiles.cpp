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
    // The file the connection has open, however it was opened.
    const QString source = QFile::decodeName(sqlite3_db_filename(connection.handle(), "main"));
    PartFile part(target, PartFile::Existing::Refuse);
    {
        // A read transaction of its own keeps every writer out while the
        // bytes are copied, so that the copy is the database as last stored
        // (a journal a crash left would be rolled back before it begins).
        // A whole-file copy is as fast as copying gets, and the database
        // keeps no journal beside it to be copied too.
        Handle reader;
        int rc = openDatabase(source, SQLITE_OPEN_READWRITE, reader);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(reader.db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw engineFailure(reader.db, rc);
        if (const int error = CopyToNewFile(source, part.path()))
            throw FileError(error, QStringLiteral("Cannot copy %1: %2").arg(source, systemText(error)));
        sqlite3_exec(reader.db, "COMMIT", nullptr, nullptr, nullptr);
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
