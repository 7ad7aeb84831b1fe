#include "qubButtons.h"

#include "TDBNavigator.h"

#include <QDialog>

TqubBitBtn::TqubBitBtn(QWidget *parent) : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &TqubBitBtn::closeDialog);
}

void TqubBitBtn::setKind(Kind kind)
{
    m_kind = kind;
    switch (kind) {
    case Kind::OK:
        setText(tr("OK"));
        setIcon(TDBNavigator::glyph(TDBNavigator::Button::Post));
        m_modalResult = QDialog::Accepted;
        setDefault(true);
        break;
    case Kind::Cancel:
        setText(tr("Cancel"));
        setIcon(TDBNavigator::glyph(TDBNavigator::Button::Cancel));
        m_modalResult = QDialog::Rejected;
        break;
    case Kind::Custom:
        m_modalResult = -1;
        break;
    }
}

void TqubBitBtn::closeDialog()
{
    if (m_modalResult < 0)
        return;
    if (auto *dialog = qobject_cast<QDialog *>(window()))
        dialog->done(m_modalResult);
}
