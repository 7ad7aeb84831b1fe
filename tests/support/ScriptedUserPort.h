#pragma once
// A user who answers from a script: every prompt and dialog must be expected,
// in order, or the test fails. Errors and information boxes are recorded.

#include "UserPort.h"
#include "engine/DataSource.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

class ScriptedUserPort : public UserPort
{
public:
    /// Plays the user in a dialog bound to a data source; returns OK/Choose.
    using DialogScript = std::function<bool(db::DataSource &)>;

    ~ScriptedUserPort() override
    {
        EXPECT_TRUE(m_confirmations.empty()) << m_confirmations.size() << " scripted answers left unused";
        EXPECT_TRUE(m_choosers.empty()) << m_choosers.size() << " scripted choosers left unused";
        EXPECT_TRUE(m_customerDialogs.empty()) << m_customerDialogs.size() << " scripted dialogs left unused";
        EXPECT_TRUE(m_dates.empty()) << m_dates.size() << " scripted dates left unused";
        EXPECT_TRUE(m_warnings.empty()) << m_warnings.size() << " scripted warning answers left unused";
    }

    /// The next confirmation is answered `answer`.
    void expectConfirm(bool answer) { m_confirmations.push_back(answer); }
    /// The next reference chooser runs `script`.
    void expectChooser(DialogScript script) { m_choosers.push_back(std::move(script)); }
    /// The next customer dialog runs `script`.
    void expectCustomerDialog(DialogScript script) { m_customerDialogs.push_back(std::move(script)); }
    /// The next warning is answered `answer` (OK or Yes when true).
    void expectWarning(bool answer) { m_warnings.push_back(answer); }
    /// The next date dialog gives `day` (nothing: cancelled).
    void expectDate(std::optional<QDate> day) { m_dates.push_back(day); }

    void showError(const QString &text) override { errors << text; }
    void showInformation(const QString &text) override { information << text; }
    bool confirm(const QString &text) override
    {
        confirmations << text;
        if (m_confirmations.empty()) {
            ADD_FAILURE() << "Unexpected confirmation: " << text.toStdString();
            return false;
        }
        const bool answer = m_confirmations.front();
        m_confirmations.pop_front();
        return answer;
    }
    bool warn(const QString &text, Buttons) override
    {
        warnings << text;
        if (m_warnings.empty()) {
            ADD_FAILURE() << "Unexpected warning: " << text.toStdString();
            return false;
        }
        const bool answer = m_warnings.front();
        m_warnings.pop_front();
        return answer;
    }
    void refreshMainCaption() override { ++captionRefreshes; }
    bool chooseRecord(db::DataSource &source, const ChooserOptions &options,
                      const std::function<void()> &readChoice) override
    {
        chooserCaptions << options.caption;
        const bool chosen = play(m_choosers, source, "reference chooser");
        if (chosen)
            readChoice();
        return chosen;
    }
    bool editCustomer(db::DataSource &source, const QString &caption, const QString &coordinator, bool) override
    {
        dialogCaptions << caption;
        coordinators << coordinator;
        return play(m_customerDialogs, source, "customer dialog");
    }

    std::optional<QDate> chooseDate(const QDate &preset) override
    {
        datePresets << preset;
        if (m_dates.empty()) {
            ADD_FAILURE() << "Unexpected date dialog";
            return std::nullopt;
        }
        const std::optional<QDate> day = m_dates.front();
        m_dates.pop_front();
        return day;
    }

    QStringList errors, information, confirmations, warnings, chooserCaptions, dialogCaptions, coordinators;
    QList<QDate> datePresets;
    int captionRefreshes = 0;

private:
    static bool play(std::deque<DialogScript> &queue, db::DataSource &source, const char *what)
    {
        if (queue.empty()) {
            ADD_FAILURE() << "Unexpected " << what;
            return false;
        }
        DialogScript script = std::move(queue.front());
        queue.pop_front();
        return script(source);
    }

    std::deque<bool> m_confirmations, m_warnings;
    std::deque<DialogScript> m_choosers, m_customerDialogs;
    std::deque<std::optional<QDate>> m_dates;
};
