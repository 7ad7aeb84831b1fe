#pragma once
// A user who answers from a script: every prompt must be expected, in order,
// or the test fails. Errors and information boxes are recorded.

#include "UserPort.h"

#include <QStringList>
#include <deque>
#include <gtest/gtest.h>

class ScriptedUserPort : public UserPort
{
public:
    ~ScriptedUserPort() override
    {
        EXPECT_TRUE(m_confirmations.empty()) << m_confirmations.size() << " scripted answers left unused";
    }

    /// The next confirmation is answered `answer`.
    void expectConfirm(bool answer) { m_confirmations.push_back(answer); }

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
    void refreshMainCaption() override { ++captionRefreshes; }

    QStringList errors, information, confirmations;
    int captionRefreshes = 0;

private:
    std::deque<bool> m_confirmations;
};
