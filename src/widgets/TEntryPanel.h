#pragma once
// TEntryPanel: a window's entry panel as the data rules open and close it.
// The window links the panel to the navigator it replaces while a record is
// edited, the navigator to the first box of the panel (its next control),
// and each box to the next (TDBEdit::setNextControl); the panel follows
// those links to show, hide and focus, and Enter walks along them.

#include "EntryPanel.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;
class TDBEdit;
class TDBNavigator;

class TEntryPanel : public QObject, public EntryPanel
{
    Q_OBJECT

public:
    /// `panel` replaces `navigator` while a record is edited; the
    /// navigator's next control is the box that takes the focus.
    TEntryPanel(QWidget *panel, TDBNavigator *navigator, QObject *parent = nullptr);

    void showPanel() override;
    void hidePanel() override;
    void showNavigator() override;
    void hideNavigator() override;
    /// False when the first box is missing, hidden or disabled.
    bool focusFirstEdit() override;
    QString firstEditName() const override;

    /// Enter in a box of the chain moves the focus to the next box; in
    /// `last` it then runs `atLast` (inside the error guard), which typically
    /// stores the record and starts the next one.
    void followEnter(TDBEdit *last, std::function<void()> atLast);

    QWidget *panel() const { return m_panel; }
    TDBNavigator *navigator() const { return m_navigator; }
    /// The boxes of the chain in order, from the navigator's next control.
    QList<TDBEdit *> chain() const;

private:
    void enterPressedIn(TDBEdit *box);

    QPointer<QWidget> m_panel;
    QPointer<TDBNavigator> m_navigator;
    QPointer<TDBEdit> m_last;
    std::function<void()> m_atLast;
};
