#include "ProgramFixture.h"

#include "Settings.h"
#include "Localization.h"
#include "engine/Connection.h"

#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

namespace app_test {

namespace {
void writeLines(const QString &path, const QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("Cannot write %s", qPrintable(path));
    file.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
}
} // namespace

TestProgram::TestProgram(bool database)
{
    if (database)
        m_folder.createDatabase();
}

TestProgram::~TestProgram()
{
    stop();
}

void TestProgram::startWithoutMenu(const QStringList &arguments)
{
    m_data = std::make_unique<TData>(m_folder.programPath(), m_userPort ? *m_userPort : m_port);
    m_main = std::make_unique<TfrmMain>(*m_data, arguments);
    m_main->resize(1000, 700);
    m_main->show();
}

void TestProgram::start(const QStringList &arguments)
{
    startWithoutMenu(arguments);
    m_menu = new TfrmMenu(*m_main);
}

void TestProgram::destroyMainWindow()
{
    m_menu = nullptr;
    m_main.reset();
}

void TestProgram::stop()
{
    m_menu = nullptr;
    m_main.reset();
    m_data.reset();
}

QString TestProgram::settingsPath() const
{
    return settings::settingsPath(m_folder.programPath());
}

QString TestProgram::localizationPath() const
{
    return m_folder.file(LocCatalogue::FileName);
}

void TestProgram::writeSettings(const QStringList &lines) const
{
    writeLines(settingsPath(), lines);
}

void TestProgram::writeLocalization(const QStringList &lines) const
{
    writeLines(localizationPath(), lines);
}

void TestProgram::executeSql(const QString &sql) const
{
    // Beside the program, as a tool would: without the program's lock.
    db::Connection connection;
    connection.openFile(m_folder.file(QStringLiteral("DB2.mdb")));
    connection.execute(sql);
    connection.close();
}

QAction *TestProgram::command(const QString &name) const
{
    QAction *action = m_main->findChild<QAction *>(name);
    if (!action)
        qFatal("No command %s", qPrintable(name));
    return action;
}

void waitForIdle()
{
    // The loop blocks waiting for the timer, which is when the program is idle.
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
}

UrlCatcher::UrlCatcher(const QString &scheme) : m_scheme(scheme)
{
    QDesktopServices::setUrlHandler(m_scheme, this, "open");
}

UrlCatcher::~UrlCatcher()
{
    QDesktopServices::unsetUrlHandler(m_scheme);
}

void blockFile(const QString &path)
{
    QFile::remove(path);
    if (!QDir().mkpath(path))
        qFatal("Cannot create %s", qPrintable(path));
}

} // namespace app_test
