#include "DecBonusU.h"

#include "DepMember.h"
#include "widgets/Localize.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmDecipherBonus::TfrmDecipherBonus(LocCatalogue &catalogue, const TDepMember &member, const QString &detail,
                                     QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmDecipherBonus"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Detailed Bonus Calculation"));
    auto *layout = new QVBoxLayout(this);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("memDecipherBonus"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(m_memo);
    layout->addWidget(buttons);
    LocalizeWindow(this, catalogue);
    setWindowTitle(windowTitle() + QStringLiteral(", ") + member.Id + u' ' + member.Name);
    // Line feed and carriage return each start a line: one empty line
    // between two entries.
    QString text = detail;
    text.replace(u'\r', u'\n');
    m_memo->setPlainText(text);
    resize(520, 360);
}
