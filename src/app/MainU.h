#pragma once
// TfrmMain, the main window: a frame whose client area holds the start menu
// and the orders journal, with the program's commands in a menu bar and a
// tool bar, and a caption that shows the current catalogue.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class TData;
class TfrmOrders;
class THelpWindow;

namespace Ui {
class TfrmMain;
}

class TfrmMain : public QMainWindow
{
    Q_OBJECT

public:
    /// The action a command runs; `sender` is the activating command.
    using CommandAction = std::function<void(QAction *sender)>;

    /// Creates the main window over `data`: reads the switches from
    /// `arguments` (the program arguments without the program name),
    /// localizes itself and its menu titles, sets the caption and reads the
    /// miscellaneous settings again. Registers with the data module's port
    /// when that is the program's QtUserPort.
    TfrmMain(TData &data, const QStringList &arguments, QWidget *parent = nullptr);
    /// Disconnects.
    ~TfrmMain() override;

    TData &data() const { return m_data; }

    // --- child windows ----------------------------------------------------------------
    QMdiArea *mdiArea() const;
    /// Windows inside the client area: the start menu is always one, so more
    /// than one means the orders journal is open.
    int childWindowCount() const;
    /// Puts `window` into the client area as a child window and shows it.
    QMdiSubWindow *addChildWindow(QWidget *window, Qt::WindowFlags flags = {});

    // --- commands ----------------------------------------------------------------------
    /// The command named `name` (`actConnect`, …); nullptr when there is none.
    QAction *command(const QString &name) const;
    /// Every command, in the order of the command list.
    QList<QAction *> commands() const;
    /// Runs `command`'s action with `command` as the activating command,
    /// whatever its enabled state; errors propagate.
    void executeCommand(QAction *command);
    /// executeCommand inside the error guard (what the menu, the tool bar and
    /// the start menu's buttons do).
    void runCommand(QAction *command);
    /// Replaces what `command` does (for windows that come later).
    void setCommandAction(QAction *command, CommandAction action);
    /// A command's caption without access-key markers, as windows that take
    /// their caption from a command show it.
    static QString commandCaption(const QAction *command);

    /// Re-evaluates every command's enabling rule; runs when the program falls idle.
    void updateActions();
    /// Rebuilds the caption: the application title, then the current catalogue date.
    void refreshCaption();

    /// The tone sounded before the delete question (the system's beep);
    /// replaceable, so that a test hears it.
    static std::function<void()> deleteTone;

    // --- bars -------------------------------------------------------------------------------
    /// The tool bar's entries in order: command names, "-" for a separator.
    QStringList toolBarLayout() const;
    void setToolBarLayout(const QStringList &entries);
    /// The tool bar's entries as the program ships them.
    QStringList defaultToolBarLayout() const { return m_defaultToolBar; }
    /// Writes the bar layout to the program path with extension ".acm".
    /// Throws db::DataError when the file cannot be written.
    void saveBarLayout() const;
    QString barLayoutPath() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    QMenu *createPopupMenu() override;

private:
    void bindCommands();
    void localizeMenuTitles();
    void applyMenuCaptions(const QHash<QAction *, QString> &builtInCaptions);

    // The commands' own actions.
    void connectionExecute(QAction *sender);
    void FileExit1Execute(QAction *sender);
    void actOrdersExecute(QAction *sender);
    void actActionExecute(QAction *sender);
    void runOrderEditor(const QString &caption);
    void actDeleteExecute(QAction *sender);
    void actPrintExecute(QAction *sender);
    /// The open orders journal; nullptr while it is closed.
    TfrmOrders *journal() const;
    void actSettingsExecute(QAction *sender);
    void actProductExecute(QAction *sender);
    void actCustomerExecute(QAction *sender);
    void actCatalogExecute(QAction *sender);
    void actRepProductExecute(QAction *sender);
    void CustomizeActionBarsExecute(QAction *sender);
    void actHelpExecute(QAction *sender);
    void actSupportExecute(QAction *sender);
    void actAboutExecute(QAction *sender);

    std::unique_ptr<Ui::TfrmMain> ui;
    TData &m_data;
    QHash<QAction *, CommandAction> m_commandActions;
    QStringList m_defaultToolBar;
    QPointer<THelpWindow> m_help;
};
