#pragma once
// The typing filter of the department's number boxes: character keys other
// than the digits and the comma are swallowed; editing keys (Delete, the
// arrows) pass. Whether Backspace passes is the box's choice.

#include <QObject>

enum class BackspaceKey { Passes, Ignored };

class DecimalKeys : public QObject
{
    Q_OBJECT

public:
    DecimalKeys(BackspaceKey backspace, QObject *parent) : QObject(parent), m_backspace(backspace) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    BackspaceKey m_backspace;
};
