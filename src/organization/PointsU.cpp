#include "PointsU.h"

#include "DecimalKeys.h"
#include "Numbers.h"
#include "widgets/Localize.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kStepMax = 100;
} // namespace

TfrmPoints::TfrmPoints(LocCatalogue &catalogue, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPoints"));
    // No caption: the command that opened it says what the amount is for.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
    auto *layout = new QGridLayout(this);
    m_edit = new QLineEdit(QStringLiteral("0"), this);
    m_edit->setObjectName(QStringLiteral("edPointsToPass"));
    m_edit->installEventFilter(new DecimalKeys(BackspaceKey::Passes, m_edit));
    m_edit->installEventFilter(this);
    auto *up = new QToolButton(this);
    up->setObjectName(QStringLiteral("btnUp"));
    up->setArrowType(Qt::UpArrow);
    auto *down = new QToolButton(this);
    down->setObjectName(QStringLiteral("btnDown"));
    down->setArrowType(Qt::DownArrow);
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_edit, 0, 0, 2, 1);
    layout->addWidget(up, 0, 1);
    layout->addWidget(down, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
    LocalizeWindow(this, catalogue);
    adjustSize();
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmPoints::step(int direction)
{
    // The whole number of what the box holds; an unreadable text counts as 0.
    const double typed = ParseTypedDecimal(m_edit->text()).value_or(0);
    const double whole = std::clamp(std::trunc(typed), 0.0, double(kStepMax));
    const int next = std::clamp(int(whole) + direction, 0, kStepMax);
    m_edit->setText(QString::number(next));
}

bool TfrmPoints::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QString> TfrmPoints::AskPointsText(LocCatalogue &catalogue, QWidget *parent)
{
    TfrmPoints dialog(catalogue, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.edPointsToPass()->text();
}
