#pragma once
// TfrmMenu, the start menu: the six most used tasks as large buttons in a
// child window of the main window that stays open for the whole run.

#include <QWidget>
#include <memory>

class QMdiArea;
class QMdiSubWindow;
class TfrmMain;

namespace Ui {
class TfrmMenu;
}

class TfrmMenu : public QWidget
{
    Q_OBJECT

public:
    /// Creates the start menu, localized, as a child window of `mainWindow`,
    /// centred in its client area and visible.
    explicit TfrmMenu(TfrmMain &mainWindow);
    ~TfrmMenu() override;

    /// The child window frame that holds the menu.
    QMdiSubWindow *subWindow() const { return m_subWindow; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Runs the main window's commands named in `names`, in order, as if each
    /// had been chosen, whatever its enabled state; the first error stops.
    void run(const QStringList &names);
    void centre();

    std::unique_ptr<Ui::TfrmMenu> ui;
    TfrmMain &m_main;
    QMdiArea *m_area;
    QMdiSubWindow *m_subWindow = nullptr;
    bool m_placedByUser = false;
    bool m_centring = false;
};
