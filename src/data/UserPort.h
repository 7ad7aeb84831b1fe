#pragma once
// How the data rules talk to the user and reach windows without depending on
// any widget. The application installs a port that opens the real dialogs;
// tests install a scripted one.

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace db { class DataSource; }

/// How the reference chooser is opened on a dataset.
struct ChooserOptions
{
    QString caption;
    /// The "Choose" command is shown (a chooser that only browses hides it).
    bool showChoose = true;
    /// Whether typing in the chooser starts editing a record.
    bool autoEdit = true;
    /// Window height in pixels; 0 keeps the chooser's own.
    int height = 0;
    bool showNavigator = true;
    /// A double-click accepts the current record (when it is not being edited).
    bool doubleClickChooses = false;
};

class UserPort
{
public:
    /// The buttons of a warning box.
    enum class Buttons { OkCancel, YesNo };

    virtual ~UserPort() = default;

    /// An error box headed by the application title, with an OK button.
    virtual void showError(const QString &text) = 0;
    /// An information box with an OK button.
    virtual void showInformation(const QString &text) = 0;
    /// A confirmation with Yes and No; true for Yes.
    virtual bool confirm(const QString &text) = 0;
    /// A warning box headed by the application title with `buttons`; true
    /// for OK or Yes.
    virtual bool warn(const QString &text, Buttons buttons) = 0;
    /// Rebuilds the main window caption from the current catalogue date; does
    /// nothing while there is no main window.
    virtual void refreshMainCaption() = 0;

    /// The reference chooser, modal, on the dataset of `source`; true when the
    /// user chose a record. `readChoice` runs on the chosen record (the
    /// dataset's current one) before the chooser puts the dataset back as it
    /// found it, which may close it.
    virtual bool chooseRecord(db::DataSource &source, const ChooserOptions &options,
                              const std::function<void()> &readChoice) = 0;
    /// The customer dialog, modal, with its boxes bound to `source` (whose row
    /// is being inserted or edited); true when closed with OK. `idFirst`: the
    /// identifier box comes first and takes the focus.
    virtual bool editCustomer(db::DataSource &source, const QString &caption, const QString &coordinator,
                              bool idFirst) = 0;
    /// The date dialog, modal, preset to `preset` (today when null); the
    /// chosen day, or nothing when the user cancelled.
    virtual std::optional<QDate> chooseDate(const QDate &preset) = 0;
};

/// A port for programs without windows (tools): messages go to the standard
/// error stream, confirmations, warnings and dialogs are refused.
class ConsoleUserPort : public UserPort
{
public:
    void showError(const QString &text) override;
    void showInformation(const QString &text) override;
    bool confirm(const QString &text) override;
    bool warn(const QString &text, Buttons buttons) override;
    void refreshMainCaption() override {}
    bool chooseRecord(db::DataSource &, const ChooserOptions &, const std::function<void()> &) override
    {
        return false;
    }
    bool editCustomer(db::DataSource &, const QString &, const QString &, bool) override { return false; }
    std::optional<QDate> chooseDate(const QDate &) override { return std::nullopt; }
};
