#include "TestSupport.h"

#include "Schema.h"
#include "engine/Connection.h"
#include "engine/Command.h"

#include <QDir>
#include <QFile>

#include <ctime>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <stdexcept>

namespace testing_support {

ProgramFolder::ProgramFolder()
{
    m_dir.setAutoRemove(true);
}

QString ProgramFolder::folder() const
{
    return QDir(m_dir.path()).absolutePath() + u'/';
}

QString ProgramFolder::programPath() const
{
    return file(QStringLiteral("quorvel"));
}

QString ProgramFolder::file(const QString &name) const
{
    return folder() + name;
}

QString ProgramFolder::createDatabase() const
{
    const QString path = file(QStringLiteral("DB2.mdb"));
    Schema::createFile(path);
    return path;
}

ZoneGuard::ZoneGuard(const char *zone)
    : m_saved(qgetenv("TZ")), m_hadZone(qEnvironmentVariableIsSet("TZ")),
      m_active(QFile::exists(QStringLiteral("/usr/share/zoneinfo/") + QString::fromLatin1(zone)))
{
    qputenv("TZ", zone);
    ::tzset();
}

ZoneGuard::~ZoneGuard()
{
    if (m_hadZone)
        qputenv("TZ", m_saved);
    else
        qunsetenv("TZ");
    ::tzset();
}

int runInChild(const std::function<int()> &body, const std::function<void()> &prepare)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (prepare)
            prepare();
        int status = 126;
        try {
            status = body();
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

int runUnprivileged(const std::function<int()> &body)
{
    return runInChild(body, [] {
        if (::geteuid() != 0)
            return;
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody || ::setgroups(0, nullptr) != 0 || ::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) != 0
            || ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) != 0)
            ::_exit(125);
    });
}

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QLocale pointLocale()
{
    // English (UK): full stop decimals, dd/MM/yyyy dates.
    return QLocale(QLocale::English, QLocale::UnitedKingdom);
}

QLocale commaLocale()
{
    // German: comma decimals, dd.MM.yyyy dates.
    return QLocale(QLocale::German, QLocale::Germany);
}

void addCustomer(db::Connection &connection, const QString &id, const QVariant &sponsor, const QString &name,
                 double points, double reserve)
{
    db::Command insert(&connection, QStringLiteral("addCustomer"));
    insert.setText(QStringLiteral("insert into customer (id, id_customer, sname, totalpoints, reserve) "
                                  "values (:id, :sponsor, :name, :points, :reserve)"));
    insert.param(QStringLiteral("id")).setValue(id);
    insert.param(QStringLiteral("sponsor")).setValue(sponsor);
    insert.param(QStringLiteral("name")).setValue(name);
    insert.param(QStringLiteral("points")).setValue(points);
    insert.param(QStringLiteral("reserve")).setValue(reserve);
    insert.execute();
}

} // namespace testing_support
