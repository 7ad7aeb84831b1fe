#pragma once
// Shared by the core tests: a fresh temporary program folder per test and a
// fixed locale, so that no test depends on the machine or on another test.

#include <QLocale>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>

namespace db {
class Connection;
}

namespace testing_support {

/// A temporary program folder with a program file path inside it.
class ProgramFolder
{
public:
    ProgramFolder();
    /// Folder path with a trailing separator, as the program uses it.
    QString folder() const;
    /// The (not existing) program file "quorvel" inside the folder.
    QString programPath() const;
    /// Path of a file in the folder.
    QString file(const QString &name) const;
    /// Creates "DB2.mdb" with the schema; returns its path.
    QString createDatabase() const;

private:
    QTemporaryDir m_dir;
};

/// Sets the default locale for the lifetime of the object.
class LocaleGuard
{
public:
    explicit LocaleGuard(const QLocale &locale) : m_saved(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

/// Sets the process's time zone (TZ) for the lifetime of the object.
class ZoneGuard
{
public:
    explicit ZoneGuard(const char *zone);
    ~ZoneGuard();
    /// False when the machine has no such zone.
    bool active() const { return m_active; }

private:
    QByteArray m_saved;
    bool m_hadZone;
    bool m_active;
};

/// Adds a customer row through bound parameters; a null `sponsor` is stored
/// as NULL.
void addCustomer(db::Connection &connection, const QString &id, const QVariant &sponsor, const QString &name,
                 double points, double reserve = 0);

/// Runs `body` in a forked child, after `prepare` (in the child); the
/// child's exit status: `body`'s result, 126 when it threw, -1 when the
/// child did not exit.
int runInChild(const std::function<int()> &body, const std::function<void()> &prepare = {});

/// Runs `body` in a child process and gives its exit status (-1 when the
/// child could not be made, changed user or was killed). A process run by
/// root ignores file permissions, so a child of root first becomes the
/// unprivileged user "nobody": read-only files and folders are then felt as
/// a user feels them. Files the child must reach need permissions for it.
int runUnprivileged(const std::function<int()> &body);

/// The bytes of a file; empty when it cannot be read.
QByteArray readFileBytes(const QString &path);
/// Replaces a file's bytes; throws std::runtime_error when it cannot.
void writeFileBytes(const QString &path, const QByteArray &bytes);

/// A locale with a full stop and dd.MM.yyyy dates, and one with a comma.
QLocale pointLocale();
QLocale commaLocale();

} // namespace testing_support
