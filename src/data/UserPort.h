#pragma once
// How the data rules talk to the user and reach windows without depending on
// any widget. The application installs a port that opens the real dialogs;
// tests install a scripted one.

#include <QString>

class UserPort
{
public:
    virtual ~UserPort() = default;

    /// An error box headed by the application title, with an OK button.
    virtual void showError(const QString &text) = 0;
    /// An information box with an OK button.
    virtual void showInformation(const QString &text) = 0;
    /// A confirmation with Yes and No; true for Yes.
    virtual bool confirm(const QString &text) = 0;
    /// Rebuilds the main window caption from the current catalogue date; does
    /// nothing while there is no main window.
    virtual void refreshMainCaption() = 0;
};

/// A port for programs without windows (tools): errors go to the standard
/// error stream, confirmations are refused.
class ConsoleUserPort : public UserPort
{
public:
    void showError(const QString &text) override;
    void showInformation(const QString &text) override;
    bool confirm(const QString &text) override;
    void refreshMainCaption() override {}
};
