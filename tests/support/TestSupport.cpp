#include "TestSupport.h"

#include "Schema.h"

#include <QDir>

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

} // namespace testing_support
