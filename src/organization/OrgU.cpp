#include "OrgU.h"

#include "ui_OrgU.h"

#include "Customer.h"
#include "CustomerMove_p.h"
#include "DriveCustU.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "UserPort.h"
#include "reports/Export.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Localize.h"
#include "widgets/Progress2U.h"
#include "widgets/Switches.h"

#include <QAbstractEventDispatcher>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

namespace {
const QString kId = QStringLiteral("id");
const QString kName = QStringLiteral("sname");
constexpr int kDebugInterval = 4000;
} // namespace

TfrmOrg::TfrmOrg(TData &data, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmOrg>()), m_data(data)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    FormCreate();
}

TfrmOrg::~TfrmOrg()
{
    FormDestroy();
}

void TfrmOrg::FormCreate()
{
    // The department commands' columns are given here by the department page.
    ui->btnAllCustomersPoints->setDefaultAction(ui->actAllCustomersPoints);
    ui->btnToExcel->setDefaultAction(ui->actToExcel);
    ui->btnPrintDep->setDefaultAction(ui->actPrintDep);
    ui->btnSaveOrgChanges->setDefaultAction(ui->actSaveOrgChanges);
    ui->grdCustomer->addAction(ui->actToExcel);
    LocalizeWindow(this, m_data.localization());

    // The debug panel shows exactly while its timer runs.
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kDebugInterval);
    connect(m_timer, &QTimer::timeout, this, &TfrmOrg::refreshDebugLists);
    if (Switches().debug)
        m_timer->start();
    ui->panDebug->setVisible(m_timer->isActive());
    connect(ui->btnDebugRefresh, &QPushButton::clicked, this, &TfrmOrg::refreshDebugLists);
    connect(ui->lbEmpList, &QListWidget::itemClicked, this, &TfrmOrg::refreshDebugLists);

    TqubDBGrid *grid = ui->grdCustomer;
    grid->setOptions(grid->options() & ~TqubDBGrid::Options(TqubDBGrid::Option::Editing));
    grid->setReadOnly(true);
    grid->setDataSource(m_data.dsCustomer2);
    ui->navCustomer->setVisibleButtons({TDBNavigator::Button::Insert, TDBNavigator::Button::Delete,
                                        TDBNavigator::Button::Edit, TDBNavigator::Button::Cancel});
    ui->navCustomer->setDataSource(m_data.dsCustomer2);

    m_tree = std::make_unique<SponsorTree>(ui->tvCustomer);
    CustomerMove::Hooks hooks;
    hooks.gridCustomer = [this]() -> std::optional<TreeCustomer> {
        db::Dataset *level = m_data.qCustomer2;
        if (!level->isActive() || level->isEmpty())
            return std::nullopt;
        return TreeCustomer{level->field(kId)->asString(), level->field(kName)->asString()};
    };
    hooks.drop = [this] { guarded(this, [this] { dropCustomer(); }); };
    hooks.activate = [this] { guarded(this, [this] { tvCustomerDblClick(); }); };
    m_move = new CustomerMove(ui->tvCustomer, *m_tree, grid, std::move(hooks), this);

    FilterControlChange();
    m_tree->addRoot(Messages().lAdminNode);
    // The department grid's column titles are written here by the department page.

    auto *findMenu = new QMenu(this);
    findMenu->addAction(ui->miFindCustomer);
    connect(ui->tvCustomer, &QWidget::customContextMenuRequested, this,
            [this, findMenu](const QPoint &pos) { findMenu->popup(ui->tvCustomer->viewport()->mapToGlobal(pos)); });
    connect(ui->miFindCustomer, &QAction::triggered, this, [this] { guarded(this, [this] { miFindCustomerClick(); }); });
    connect(ui->edID, &QLineEdit::textChanged, this, &TfrmOrg::FilterControlChange);
    connect(ui->edSName, &QLineEdit::textChanged, this, &TfrmOrg::FilterControlChange);
    connect(ui->pcOrg, &QTabWidget::currentChanged, this, [this] { guarded(this, [this] { pcOrgChange(); }); });
    connect(grid, &TqubDBGrid::gridDoubleClicked, this, [this] { guarded(this, [this] { grdCustomerDblClick(); }); });
    connect(grid, &TqubDBGrid::enterPressed, this, [this] { guarded(this, [this] { grdCustomerDblClick(); }); });
    connect(ui->actAllCustomersPoints, &QAction::triggered, this,
            [this] { guarded(this, [this] { actAllCustomersPointsExecute(); }); });
    connect(ui->actToExcel, &QAction::triggered, this, [this] { guarded(this, [this] { actToExcelExecute(); }); });
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmOrg::updateActions);

    // The customer rules reach the tree while the window exists.
    m_data.setOrgTree(this);

    setPageControls();
    Modified = false;
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    updateActions();
}

void TfrmOrg::open()
{
    tvCustomerDblClick();
    UpdateCaption();
}

void TfrmOrg::FormDestroy()
{
    if (m_data.orgTree() == this)
        m_data.setOrgTree(nullptr);
    delete m_move; // the observer and the label go with the move
    m_move = nullptr;
    ui->grdCustomer->setDataSource(nullptr);
    ui->navCustomer->setDataSource(nullptr);
    try {
        m_data.qCustomer2->close();
        m_data.qCustomer2->setFilterText(QString());
        m_data.qOrg->close();
    } catch (const db::DataError &) {
        // Closing and clearing a filter do not fail; nothing to tell from a
        // window being destroyed.
    } catch (const db::AbortError &) {
    }
}

QWidget *TfrmOrg::hintArea(OrgHintArea area) const
{
    switch (area) {
    case OrgHintArea::Levels:
        return ui->tsLevels;
    case OrgHintArea::Deps:
        return ui->tsDeps;
    case OrgHintArea::Tree:
        break;
    }
    return ui->panCustomerTree;
}

QString TfrmOrg::DragCustomerId() const
{
    return m_move->DragCustomerId();
}

TfrmDriveCust *TfrmOrg::moveLabel() const
{
    return m_move->label();
}

// --- the tree -------------------------------------------------------------------------------

QTreeWidgetItem *TfrmOrg::selectedNode() const
{
    const QList<QTreeWidgetItem *> selected = ui->tvCustomer->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void TfrmOrg::selectNode(QTreeWidgetItem *node)
{
    ui->tvCustomer->setCurrentItem(node);
    node->setSelected(true);
}

void TfrmOrg::tvCustomerDblClick()
{
    if (!selectedNode())
        return;
    const BusyNotice busy(m_data.localization(), this);
    QTreeWidgetItem *node = selectedNode();
    if (node->childCount() == 0)
        LoadChildren(node);
    UpdateCaption();
    rebuildView();
    UpdateCaption();
}

void TfrmOrg::rebuildView()
{
    if (ui->pcOrg->currentWidget() == ui->tsLevels)
        ShowLevelView();
    else
        BuildDepartments();
}

void TfrmOrg::LoadChildren(QTreeWidgetItem *node)
{
    db::Dataset *children = m_data.qOrg;
    children->close();
    const auto closeChildren = qScopeGuard([children] { children->close(); });
    children->param(kId).setValue(m_tree->idOf(node));
    children->open();
    std::vector<TreeCustomer> rows;
    rows.reserve(size_t(children->recordCount()));
    const db::Field *id = children->field(kId);
    const db::Field *name = children->field(kName);
    for (int i = 0; i < children->recordCount(); ++i)
        rows.push_back({children->valueAt(i, id).toString(), children->valueAt(i, name).toString()});
    m_tree->addNodes(node, rows);
}

void TfrmOrg::AddCustomerNode(QTreeWidgetItem *node, const QString &id, const QString &name)
{
    m_tree->addNodes(node, {{id, name}});
}

void TfrmOrg::UpdateCaption()
{
    captionFor(selectedNode());
}

void TfrmOrg::captionFor(const QTreeWidgetItem *node)
{
    if (node)
        setWindowTitle(FormatMessage(Messages().lClients2 + u' ' + Messages().lLevel, {node->text(0)}));
}

void TfrmOrg::ShowLevelView()
{
    db::Dataset *level = m_data.qCustomer2;
    level->close();
    level->param(kId).setValue(selectedCustomerId());
    level->open();
}

void TfrmOrg::BuildDepartments()
{
    // The department page computes and shows the selected customer's
    // department here.
}

void TfrmOrg::pcOrgChange()
{
    const auto controls = qScopeGuard([this] { setPageControls(); });
    tvCustomerDblClick();
}

void TfrmOrg::setPageControls()
{
    const bool levels = ui->pcOrg->currentWidget() == ui->tsLevels;
    ui->panFilter->setVisible(levels);
    ui->navCustomer->setVisible(levels);
    // A tool button does not follow its command's visibility.
    for (QAction *command : {ui->actPrintDep, ui->actSaveOrgChanges})
        command->setVisible(!levels);
    ui->btnPrintDep->setVisible(!levels);
    ui->btnSaveOrgChanges->setVisible(!levels);
}

// --- the level view -----------------------------------------------------------------------

void TfrmOrg::FilterControlChange()
{
    // Each box matches the beginning of its column; a typed apostrophe is
    // written twice, as every typed text in a filter.
    QString text;
    const QString id = ui->edID->text().trimmed();
    if (!id.isEmpty())
        text = kId + QStringLiteral(" like ") + SqlQuoted(id + u'%');
    const QString name = ui->edSName->text().trimmed();
    if (!name.isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral(" and ");
        text += kName + QStringLiteral(" like ") + SqlQuoted(name + u'%');
    }
    guarded(this, [&] { m_data.qCustomer2->setFilterText(text); });
}

void TfrmOrg::grdCustomerDblClick()
{
    // Without a selected node a new customer would land at the top level.
    db::Dataset *level = m_data.qCustomer2;
    if (!selectedNode() || !level->isActive() || level->isEditing())
        return;
    if (level->isEmpty())
        level->insert();
    else
        level->edit();
}

void TfrmOrg::actAllCustomersPointsExecute()
{
    TfrmCustomer points(m_data, this);
    points.exec();
}

void TfrmOrg::actToExcelExecute()
{
    // The department page's grid goes out through the department page.
    if (ui->pcOrg->currentWidget() == ui->tsLevels)
        ExportDBGrid(*ui->grdCustomer);
}

// --- enabling -------------------------------------------------------------------------------

void TfrmOrg::updateActions()
{
    const bool node = selectedNode() != nullptr;
    ui->navCustomer->setEnabled(node);
    ui->actToExcel->setEnabled(node);
    ui->actPrintDep->setEnabled(node);
    ui->actSaveOrgChanges->setEnabled(node && Modified);
}

// --- the debug panel ------------------------------------------------------------------------

void TfrmOrg::refreshDebugLists()
{
    // The department page lists its members in lbDepList.
    ui->lbEmpList->clear();
    QStringList lines;
    for (const TEmp &entry : m_tree->EmpList())
        lines << entry.Id + u' ' + (entry.Alive ? QStringLiteral("True") : QStringLiteral("False"));
    ui->lbEmpList->addItems(lines);
}

// --- OrgTree -------------------------------------------------------------------------------

QString TfrmOrg::selectedCustomerId() const
{
    const QTreeWidgetItem *node = selectedNode();
    return node ? m_tree->idOf(node) : QString();
}

QString TfrmOrg::selectedNodeText() const
{
    const QTreeWidgetItem *node = selectedNode();
    return node ? node->text(0) : QString();
}

bool TfrmOrg::selectedShowsChildren() const
{
    const QTreeWidgetItem *node = selectedNode();
    return node && node->childCount() > 0;
}

void TfrmOrg::addCustomerNode(const QString &id, const QString &text)
{
    if (QTreeWidgetItem *node = selectedNode())
        AddCustomerNode(node, id, text.mid(id.size() + 1));
}

void TfrmOrg::loadChildren()
{
    if (QTreeWidgetItem *node = selectedNode())
        LoadChildren(node);
}

int TfrmOrg::findLiveIndex(const QString &id) const
{
    return m_tree->FindLiveIndex(id);
}

void TfrmOrg::removeCustomerNode(int index)
{
    m_tree->RemoveCustomerNode(index);
}

// --- moving ---------------------------------------------------------------------------------

void TfrmOrg::dropCustomer()
{
    const auto endMove = qScopeGuard([this] { m_move->end(); });
    QTreeWidgetItem *target = selectedNode();
    const QString moved = m_move->DragCustomerId();
    if (!target || moved.isEmpty())
        return;
    const QString sponsor = m_tree->idOf(target);
    if (sponsor == moved)
        return;
    UserPort &port = m_data.userPort();
    if (!port.confirm(FormatMessage(Messages().lSuburdinateCustomerConfirm, {moved, sponsor})))
        return;
    const QString subordinateMes = FormatMessage(Messages().lIsSubordinateMes,
                                                 {target->text(0), moved + u' ' + m_move->DragCustomerName()});
    if (m_tree->IsInBranch(moved, target)) {
        port.showError(subordinateMes);
        return;
    }
    // The tree may be older than the table; the table has the last word.
    if (m_data.moveCustomer(moved, sponsor) == TData::SponsorMove::IntoOwnDownline) {
        port.showError(subordinateMes);
        return;
    }
    m_tree->RemoveCustomerNode(m_tree->FindLiveIndex(moved));
    m_tree->removeChildren(target);
    LoadChildren(target);
    ShowLevelView();
}

// --- finding --------------------------------------------------------------------------------

void TfrmOrg::miFindCustomerClick()
{
    const std::optional<QString> typed = m_data.userPort().inputText(Messages().lSearch, Messages().lEnterName);
    if (!typed)
        return;
    const QString id = findCustomerId(typed->trimmed());
    bool found = false;
    if (!id.isEmpty()) {
        const TData::SponsorChain chain = m_data.sponsorChain(id);
        // A looping chain belongs to a damaged table: no way down to the customer.
        if (!chain.looped)
            found = walkToCustomer(chain.ids);
    }
    if (!found)
        m_data.userPort().showInformation(FormatMessage(Messages().lNoClientMes, {*typed}));
}

QString TfrmOrg::findCustomerId(const QString &text)
{
    if (text.isEmpty())
        return QString();
    const bool digitsOnly = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (digitsOnly)
        return text;

    db::Dataset matches(&m_data.ADOConnection, QStringLiteral("qFindCustomer"));
    matches.setSql(QStringLiteral("select id, sname from customer where sname like :prefix"));
    matches.param(QStringLiteral("prefix")).setValue(text + u'%');
    matches.addField(kId, db::FieldType::String, 6)->setDisplayLabel(QStringLiteral("Customer ID"));
    matches.addField(kName, db::FieldType::String, 50)->setDisplayLabel(QStringLiteral("Customer Name"));
    matches.setFiltered(true);
    matches.open();
    if (matches.isEmpty())
        return QString();
    if (matches.recordCount() == 1)
        return matches.field(kId)->asString();
    db::DataSource source(&matches, QStringLiteral("dsFindCustomer"));
    ChooserOptions options;
    options.caption = Messages().lChooseClient;
    QString chosen;
    m_data.userPort().chooseRecord(source, options, [&] { chosen = matches.field(kId)->asString(); });
    return chosen;
}

bool TfrmOrg::walkToCustomer(const QStringList &chain)
{
    // From the top down each step opens the next level. The right-hand view
    // is rebuilt once, at the end, for the last node the walk opened, which
    // is where a step-by-step activation would leave it.
    const BusyNotice busy(m_data.localization(), this);
    QTreeWidgetItem *lastOpened = nullptr;
    QTreeWidgetItem *customer = nullptr;
    for (qsizetype i = chain.size() - 1; i >= 0; --i) {
        const int index = m_tree->FindLiveIndex(chain[i]);
        if (index == -1) {
            if (i == chain.size() - 1)
                break;
            continue;
        }
        QTreeWidgetItem *node = m_tree->FindNodeByIndex(index);
        Q_ASSERT(node);
        customer = node;
        selectNode(node);
        if (node->childCount() == 0) {
            LoadChildren(node);
            lastOpened = node;
        }
        node->setExpanded(true);
    }
    if (lastOpened) {
        const QSignalBlocker quiet(ui->tvCustomer);
        selectNode(lastOpened);
        captionFor(lastOpened);
        rebuildView();
        selectNode(customer);
    }
    if (customer)
        ui->tvCustomer->scrollToItem(customer);
    return customer != nullptr;
}
