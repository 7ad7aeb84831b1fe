#pragma once
// Shared by the application window tests: the program started in a temporary
// program folder (data module, main window, start menu) with the real user
// port, idle processing, and a catcher for addresses handed to the desktop.

#include "TestSupport.h"

#include "DataU.h"
#include "app/MainU.h"
#include "app/MenuU.h"
#include "app/QtUserPort.h"

#include <QObject>
#include <QUrl>
#include <memory>

namespace app_test {

/// A program folder and, once started, the program's parts, destroyed in the
/// program's order (main window, data module, port).
class TestProgram
{
public:
    /// A program folder; with `database`, "DB2.mdb" holding the empty schema.
    explicit TestProgram(bool database = true);
    ~TestProgram();

    /// The data rules talk to `port` instead of real message boxes; set
    /// before start(), and `port` must outlive the program.
    void setUserPort(UserPort &port) { m_userPort = &port; }

    /// Runs the start-up sequence: data module, main window with `arguments`, start menu.
    void start(const QStringList &arguments = {});
    /// Only the data module and the main window, no start menu.
    void startWithoutMenu(const QStringList &arguments = {});

    const testing_support::ProgramFolder &folder() const { return m_folder; }
    QString settingsPath() const;
    QString localizationPath() const;
    /// Writes the settings file (lines joined with CRLF).
    void writeSettings(const QStringList &lines) const;
    /// Writes the localization file (lines joined with CRLF).
    void writeLocalization(const QStringList &lines) const;
    /// Runs `sql` on "DB2.mdb" through a connection of its own.
    void executeSql(const QString &sql) const;

    QtUserPort &port() { return m_port; }
    TData &data() { return *m_data; }
    TfrmMain &main() { return *m_main; }
    TfrmMenu &menu() { return *m_menu; }
    QAction *command(const QString &name) const;

    /// Destroys the main window (with the start menu), keeping the data module.
    void destroyMainWindow();
    /// Ends the program as closing the main window would, leaving the folder.
    void stop();

private:
    testing_support::ProgramFolder m_folder;
    QtUserPort m_port;
    UserPort *m_userPort = nullptr;
    std::unique_ptr<TData> m_data;
    std::unique_ptr<TfrmMain> m_main;
    TfrmMenu *m_menu = nullptr;
};

/// Lets the program fall idle once, so that idle-time work (the enabling
/// rules) runs as it would between two user actions.
void waitForIdle();

/// Receives the addresses the program hands to the desktop for one scheme
/// ("mailto", "https") while it lives, instead of the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    explicit UrlCatcher(const QString &scheme);
    ~UrlCatcher() override;

    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }

private:
    QString m_scheme;
};

/// Makes `path` impossible to write as a file, for any user (root
/// included): a folder takes its place.
void blockFile(const QString &path);

} // namespace app_test
