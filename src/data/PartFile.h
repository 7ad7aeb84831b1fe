#pragma once
// A file made under a temporary name beside its target and renamed into
// place only when it is complete: a crash, a kill or a full disk never leaves
// a half-made file under the target's name.

#include <QString>

class PartFile
{
public:
    /// What becomes of a file already at the target: it stays and the part
    /// is refused, or it is replaced (in one step: the target is always
    /// either the old file or the new one).
    enum class Existing { Refuse, Replace };

    /// A fresh temporary name in the target's folder; nothing is made yet.
    /// Throws db::DataError "File '…' already exists" when the target exists
    /// and `existing` refuses it.
    PartFile(const QString &target, Existing existing);
    /// Removes the part (and a database journal beside it) unless committed.
    ~PartFile();
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    /// Where to make the file.
    const QString &path() const { return m_part; }
    const QString &target() const { return m_target; }

    /// Puts the complete part, made durable, in the target's place. Throws db::DataError
    /// (the target unchanged) when that fails, also when a refused target
    /// appeared in the meantime.
    void commit();

private:
    QString m_target;
    QString m_part;
    Existing m_existing;
    bool m_committed = false;
};
