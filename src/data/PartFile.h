#pragma once
// A file made under a temporary name beside its target and renamed into
// place only when it is complete: a crash, a kill or a full disk never leaves
// a half-made file under the target's name.

#include "FileError.h"

#include <QString>

class PartFile
{
public:
    /// What becomes of a file already at the target: it stays and the part
    /// is refused, or it is replaced (in one step: the target is always
    /// either the old file or the new one).
    enum class Existing { Refuse, Replace };

    /// A fresh temporary name in the target's folder; nothing is made yet.
    /// Throws FileError "File '…' already exists" (EEXIST) when the target
    /// exists and `existing` refuses it, or the system's number when no file
    /// can be made in the folder.
    PartFile(const QString &target, Existing existing);
    /// Removes the part (and a database journal beside it) unless committed.
    ~PartFile();
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    /// Where to make the file.
    const QString &path() const { return m_part; }
    const QString &target() const { return m_target; }

    /// Puts the complete part, made durable, in the target's place, and makes
    /// the new name durable too. Throws FileError with the system's number
    /// (the target unchanged) when that fails, also when a refused target
    /// appeared in the meantime (EEXIST). A refused target is never replaced,
    /// also where the file system has no links.
    void commit();

private:
    QString m_target;
    QString m_part;
    Existing m_existing;
    bool m_committed = false;
};

/// Copies the bytes of `from` to the new file `to` (never over an existing
/// one) and makes them durable; 0, or the system's error number with no
/// part of `to` left.
int CopyToNewFile(const QString &from, const QString &to);

/// The calls through which part files reach the file system, so that tests
/// can force what they cannot cause for real: a file system without links,
/// a rename that fails. Each returns 0 or -1 with errno set.
struct PartFileCalls
{
    int (*link)(const char *from, const char *to);
    /// Renames without replacing an existing `to`.
    int (*renameNoReplace)(const char *from, const char *to);
    /// Renames over an existing `to` in one step.
    int (*rename)(const char *from, const char *to);
};
/// The calls in use; the system's own unless a test changed them.
PartFileCalls &partFileCalls();
