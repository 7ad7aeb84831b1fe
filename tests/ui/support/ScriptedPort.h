#pragma once
// A user who answers from a script, for window tests run with Qt Test:
// confirmations, input boxes and choosers come from queues; messages are
// recorded. A prompt nobody expected is recorded in `unexpected`, which the
// test checks (Qt Test cannot fail from inside the tested code).

#include "UserPort.h"
#include "engine/DataSource.h"

#include <QStringList>
#include <deque>
#include <functional>

class ScriptedPort : public UserPort
{
public:
    using DialogScript = std::function<bool(db::DataSource &)>;

    /// The next confirmation or warning is answered `answer`.
    void expectConfirm(bool answer) { m_confirmations.push_back(answer); }
    void expectInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    void expectChooser(DialogScript script) { m_choosers.push_back(std::move(script)); }
    void expectCustomerDialog(DialogScript script) { m_dialogs.push_back(std::move(script)); }
    /// Whether every scripted answer was used and nothing unexpected was asked.
    bool settled() const
    {
        return unexpected.isEmpty() && m_confirmations.empty() && m_inputs.empty() && m_choosers.empty()
            && m_dialogs.empty();
    }

    void showError(const QString &text) override { errors << text; }
    void showInformation(const QString &text) override { information << text; }
    bool confirm(const QString &text) override
    {
        confirmations << text;
        return next(m_confirmations, false, QStringLiteral("confirmation: ") + text);
    }
    bool warn(const QString &text, Buttons) override
    {
        warnings << text;
        return next(m_confirmations, false, QStringLiteral("warning: ") + text);
    }
    void refreshMainCaption() override {}
    bool chooseRecord(db::DataSource &source, const ChooserOptions &options,
                      const std::function<void()> &readChoice) override
    {
        chooserCaptions << options.caption;
        const DialogScript script = next(m_choosers, DialogScript(), QStringLiteral("chooser"));
        const bool chosen = script && script(source);
        if (chosen)
            readChoice();
        return chosen;
    }
    bool editCustomer(db::DataSource &source, const QString &caption, const QString &, bool) override
    {
        dialogCaptions << caption;
        const DialogScript script = next(m_dialogs, DialogScript(), QStringLiteral("customer dialog"));
        return script && script(source);
    }
    std::optional<QDate> chooseDate(const QDate &) override
    {
        unexpected << QStringLiteral("date dialog");
        return std::nullopt;
    }
    std::optional<QString> inputText(const QString &title, const QString &prompt) override
    {
        inputPrompts << title + u'|' + prompt;
        return next(m_inputs, std::optional<QString>(), QStringLiteral("input box"));
    }

    QStringList errors, information, confirmations, warnings, inputPrompts, chooserCaptions, dialogCaptions, unexpected;

private:
    template <typename T>
    T next(std::deque<T> &queue, T otherwise, const QString &what)
    {
        if (queue.empty()) {
            unexpected << what;
            return otherwise;
        }
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }

    std::deque<bool> m_confirmations;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<DialogScript> m_choosers, m_dialogs;
};
