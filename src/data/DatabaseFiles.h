#pragma once
// Backup, restore and compaction of the database file. Each works on the
// whole file and never leaves a database missing, half-written or replaced by
// a file that is not one of the program's databases.

#include "FileError.h"

#include <QString>

class QDate;
class QLocale;
namespace db { class Connection; }

/// Copies the open database of `connection`, as last stored, to the new
/// file `target`. The copy is made beside `target` under another name, made
/// durable and only then given that name, never over an existing file. Throws FileError with
/// the system's number (EEXIST when `target` exists, which stays as it was);
/// no part of the copy is left behind.
void BackupDatabase(db::Connection &connection, const QString &target);

/// Puts a copy of `source` in place of the database `target`, which may be
/// missing or damaged, in one step. Holds `target`'s lock from before the
/// copy until it is in place. Throws FileError, `target` then unchanged: the
/// system's number (EBUSY when another copy of the program has `target`
/// open), or 0 with the engine's words when `source` is not a database of the
/// program.
void RestoreDatabase(const QString &source, const QString &target);

/// Rewrites the closed database at `path` compacted and puts the result in
/// its place in one step, with the old file's permissions. The caller keeps
/// other copies of the program out (the database's lock). Throws FileError
/// with the engine's or the system's words; the file is then byte for byte
/// as it was and no part is left.
void CompactInPlace(const QString &path);

/// The proposed name of a backup made on `date`: `pattern` (lArchive) with
/// the date in `locale`'s short format, whose "/", "\" and ":" (which would
/// make folders or a drive of it) become "-".
QString BackupFileName(const QString &pattern, const QDate &date, const QLocale &locale);
