#pragma once
// The user port of the running program: the data rules' questions and
// messages become real message boxes, and caption refreshes reach the main
// window once it exists.

#include "UserPort.h"

#include <QPointer>

class TfrmMain;
class QWidget;

class QtUserPort : public UserPort
{
public:
    /// An error box headed by the application title.
    void showError(const QString &text) override;
    /// An information box headed by the application title.
    void showInformation(const QString &text) override;
    /// A Yes/No question headed by the application title; true for Yes.
    bool confirm(const QString &text) override;
    /// A warning box headed by the application title; true for OK or Yes.
    bool warn(const QString &text, Buttons buttons) override;
    /// Rebuilds the main window caption; nothing while there is no main window.
    void refreshMainCaption() override;

    /// The reference chooser over the active window.
    bool chooseRecord(db::DataSource &source, const ChooserOptions &options,
                      const std::function<void()> &readChoice) override;
    /// The customer dialog over the active window.
    bool editCustomer(db::DataSource &source, const QString &caption, const QString &coordinator,
                      bool idFirst) override;
    /// The date dialog over the active window, localized like the main
    /// window; nothing (as if cancelled) while there is no main window.
    std::optional<QDate> chooseDate(const QDate &preset) override;

    /// The main window registers itself when created (and is forgotten when
    /// destroyed).
    void setMainWindow(TfrmMain *window) { m_mainWindow = window; }
    TfrmMain *mainWindow() const { return m_mainWindow; }

    /// Where a message box opens: over the active modal dialog, else the
    /// active window, else the main window (none during start-up).
    QWidget *messageParent() const;

private:
    QPointer<TfrmMain> m_mainWindow;
};
