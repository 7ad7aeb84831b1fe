#include "DecimalKeys.h"

#include <QKeyEvent>

bool DecimalKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Backspace)
        return m_backspace == BackspaceKey::Ignored;
    // Shortcuts (paste, select all) are not typing.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    if (text.isEmpty() || !text[0].isPrint())
        return false;
    for (QChar c : text)
        if (!(c >= u'0' && c <= u'9') && c != u',')
            return true;
    return false;
}
