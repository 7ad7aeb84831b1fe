#include "CustomizeBars.h"

#include "MainU.h"

#include "widgets/ErrorGuard.h"
#include "widgets/Localize.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kSeparator = QStringLiteral("-");
constexpr int kNameRole = Qt::UserRole;
} // namespace

QStringList ToolBarWith(const QStringList &entries, const QString &command, bool shown)
{
    QStringList result = entries;
    if (shown) {
        if (!result.contains(command))
            result.append(command);
    } else {
        result.removeAll(command);
    }
    // Tidy the separators the change may have left out of place; one trailing
    // separator is how the bar ships and stays allowed.
    QStringList tidy;
    for (const QString &entry : std::as_const(result)) {
        if (entry == kSeparator && (tidy.isEmpty() || tidy.back() == kSeparator))
            continue;
        tidy.append(entry);
    }
    return tidy;
}

TCustomizeBarsDialog::TCustomizeBarsDialog(TfrmMain &mainWindow)
    : QDialog(&mainWindow), m_main(mainWindow), m_commands(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("CustomizeBarsDialog"));
    setWindowTitle(QStringLiteral("Customize"));
    auto *layout = new QVBoxLayout(this);
    auto *prompt = new QLabel(QStringLiteral("Commands shown on the tool bar:"), this);
    layout->addWidget(prompt);

    m_commands->setObjectName(QStringLiteral("lstCommands"));
    m_commands->setHeaderHidden(true);
    m_commands->setRootIsDecorated(false);
    m_commands->setItemsExpandable(false);
    layout->addWidget(m_commands);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *resetButton = buttons->addButton(QStringLiteral("Reset"), QDialogButtonBox::ResetRole);
    resetButton->setObjectName(QStringLiteral("btnReset"));
    QPushButton *closeButton = buttons->addButton(QDialogButtonBox::Close);
    closeButton->setObjectName(QStringLiteral("btnClose"));
    layout->addWidget(buttons);

    connect(resetButton, &QPushButton::clicked, this, &TCustomizeBarsDialog::reset);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_commands, &QTreeWidget::itemChanged, this, &TCustomizeBarsDialog::itemChanged);

    fill();
    resize(340, 460);
}

void TCustomizeBarsDialog::fill()
{
    m_filling = true;
    m_commands->clear();
    const QStringList shown = m_main.toolBarLayout();
    QHash<QString, QTreeWidgetItem *> categories;
    for (QAction *action : m_main.commands()) {
        if (IsHiddenCommand(action))
            continue;
        const QString category = action->property("category").toString();
        QTreeWidgetItem *&group = categories[category];
        if (!group) {
            group = new QTreeWidgetItem(m_commands, {category});
            QFont font = group->font(0);
            font.setBold(true);
            group->setFont(0, font);
            group->setFlags(Qt::ItemIsEnabled);
        }
        auto *item = new QTreeWidgetItem(group, {TfrmMain::commandCaption(action)});
        item->setIcon(0, action->icon());
        item->setData(0, kNameRole, action->objectName());
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(0, shown.contains(action->objectName()) ? Qt::Checked : Qt::Unchecked);
    }
    m_commands->expandAll();
    m_filling = false;
}

void TCustomizeBarsDialog::itemChanged(QTreeWidgetItem *item)
{
    const QString name = item->data(0, kNameRole).toString();
    if (m_filling || name.isEmpty())
        return;
    m_main.setToolBarLayout(ToolBarWith(m_main.toolBarLayout(), name, item->checkState(0) == Qt::Checked));
}

void TCustomizeBarsDialog::reset()
{
    m_main.setToolBarLayout(m_main.defaultToolBarLayout());
    fill();
}
