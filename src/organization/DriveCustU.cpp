#include "DriveCustU.h"

#include <QHBoxLayout>
#include <QLabel>

TfrmDriveCust::TfrmDriveCust(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput)
{
    setObjectName(QStringLiteral("frmDriveCust"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setWindowOpacity(150.0 / 255.0);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("lblCustID"));
    m_label->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    font.setBold(true);
    m_label->setFont(font);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 1, 3, 1);
    layout->addWidget(m_label);
}

void TfrmDriveCust::setText(const QString &text)
{
    m_label->setText(text);
    adjustSize();
}

QString TfrmDriveCust::text() const
{
    return m_label->text();
}

void TfrmDriveCust::follow(const QPoint &globalPos)
{
    move(globalPos + QPoint(0, 1));
}
