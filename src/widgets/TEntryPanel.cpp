#include "TEntryPanel.h"

#include "ErrorGuard.h"
#include "TDBEdit.h"
#include "TDBNavigator.h"

TEntryPanel::TEntryPanel(QWidget *panel, TDBNavigator *navigator, QObject *parent)
    : QObject(parent), m_panel(panel), m_navigator(navigator)
{
}

void TEntryPanel::showPanel()
{
    if (m_panel)
        m_panel->show();
}

void TEntryPanel::hidePanel()
{
    if (m_panel)
        m_panel->hide();
}

void TEntryPanel::showNavigator()
{
    if (m_navigator)
        m_navigator->show();
}

void TEntryPanel::hideNavigator()
{
    if (m_navigator)
        m_navigator->hide();
}

bool TEntryPanel::focusFirstEdit()
{
    QWidget *first = m_navigator ? m_navigator->nextControl() : nullptr;
    // A box that cannot take the focus: hidden (also within a window not
    // shown yet) or disabled.
    if (!first || !first->isVisibleTo(first->window()) || !first->isEnabled())
        return false;
    first->setFocus(Qt::OtherFocusReason);
    return true;
}

QString TEntryPanel::firstEditName() const
{
    QWidget *first = m_navigator ? m_navigator->nextControl() : nullptr;
    return first ? first->objectName() : QString();
}

QList<TDBEdit *> TEntryPanel::chain() const
{
    QList<TDBEdit *> boxes;
    auto *box = qobject_cast<TDBEdit *>(m_navigator ? m_navigator->nextControl() : nullptr);
    while (box && !boxes.contains(box)) {
        boxes << box;
        box = qobject_cast<TDBEdit *>(box->nextControl());
    }
    return boxes;
}

void TEntryPanel::followEnter(TDBEdit *last, std::function<void()> atLast)
{
    m_last = last;
    m_atLast = std::move(atLast);
    for (TDBEdit *box : chain())
        connect(box, &TDBEdit::enterPressed, this, [this, box] { enterPressedIn(box); });
}

void TEntryPanel::enterPressedIn(TDBEdit *box)
{
    if (QWidget *next = box->nextControl())
        next->setFocus(Qt::TabFocusReason);
    if (box == m_last && m_atLast)
        guarded(box->window(), m_atLast);
}
