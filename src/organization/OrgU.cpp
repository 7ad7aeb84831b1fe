#include "OrgU.h"

#include "ui_OrgU.h"

#include "Customer.h"
#include "CustomerMove_p.h"
#include "DecBonusU.h"
#include "DecimalKeys.h"
#include "DepGridModel.h"
#include "DepNumbers.h"
#include "DriveCustU.h"
#include "PointsU.h"

#include "CustomerTable.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "UserPort.h"
#include "reports/Export.h"
#include "reports/Reports.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Localize.h"
#include "widgets/Progress2U.h"
#include "widgets/Switches.h"

#include <QAbstractEventDispatcher>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

namespace {
const QString kId = QStringLiteral("id");
const QString kName = QStringLiteral("sname");
constexpr int kDebugInterval = 4000;

// The department grid's columns as the commands name them: the title row
// and the empty first column count, so the level is column 1.
constexpr int kPersonalPointsColumn = 4;
constexpr int kBonusColumn = 6;
constexpr int kReserveColumn = 7;
constexpr int kFirstColumnWidth = 20;
constexpr int kRowHeight = 20;
constexpr int kColumnWidths[] = {69, 71, 76, 84, 83, 82, 79};

/// The reserve cell's editor takes digits and the comma; Backspace is
/// ignored there, Delete still works.
class ReserveDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->installEventFilter(new DecimalKeys(BackspaceKey::Ignored, editor));
        return editor;
    }
};
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
    // The column each department command works on.
    ui->actToReserve->setData(kPersonalPointsColumn);
    ui->actSendTo->setData(kPersonalPointsColumn);
    ui->actReceiveFrom->setData(kPersonalPointsColumn);
    ui->actFromReserve->setData(kReserveColumn);
    ui->actDetBonusCalc->setData(kBonusColumn);
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
    const TMessages &texts = Messages();
    m_depModel = new DepGridModel(m_department, this);
    m_depModel->setTitles({texts.lLevelColumn, texts.lIDColumn, texts.lSNameColumn, texts.lTotalPointsColumn,
                           texts.lGroupPointsColumn, texts.lBonusColumn, texts.lReserveColumn});
    QTableView *dep = ui->grdDep;
    dep->setModel(m_depModel);
    dep->setItemDelegateForColumn(DepGridModel::Reserve, new ReserveDelegate(dep));
    dep->verticalHeader()->setFixedWidth(kFirstColumnWidth);
    dep->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dep->verticalHeader()->setDefaultSectionSize(kRowHeight);
    for (int column = 0; column < DepGridModel::ColumnCount; ++column)
        dep->setColumnWidth(column, kColumnWidths[column]);
    dep->setMouseTracking(true);
    dep->viewport()->installEventFilter(this);
    dep->installEventFilter(this);
    connect(m_depModel, &DepGridModel::reserveEdited, this, [this] { Modified = true; });
    connect(dep->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { grdDepSelectCell(current.isValid() ? current.column() + 1 : -1); });
    m_depMenu = new QMenu(this);
    m_depMenu->setObjectName(QStringLiteral("pmDep"));
    m_depMenu->addActions({ui->actToReserve, ui->actFromReserve, ui->actSendTo, ui->actReceiveFrom, ui->actDetBonusCalc});
    connect(dep, &QWidget::customContextMenuRequested, this, &TfrmOrg::showDepMenu);
    connect(ui->actToReserve, &QAction::triggered, this,
            [this] { guarded(this, [this] { actReserveExecute(TData::ReserveMove::ToReserve); }); });
    connect(ui->actFromReserve, &QAction::triggered, this,
            [this] { guarded(this, [this] { actReserveExecute(TData::ReserveMove::FromReserve); }); });
    connect(ui->actSendTo, &QAction::triggered, this, [this] {
        guarded(this, [this] { actPassPointExecute(PassDirection::To, ui->actSendTo->text()); });
    });
    connect(ui->actReceiveFrom, &QAction::triggered, this, [this] {
        guarded(this, [this] { actPassPointExecute(PassDirection::From, ui->actReceiveFrom->text()); });
    });
    connect(ui->actDetBonusCalc, &QAction::triggered, this, [this] { guarded(this, [this] { actDetBonusCalcExecute(); }); });
    connect(ui->actSaveOrgChanges, &QAction::triggered, this,
            [this] { guarded(this, [this] { actSaveOrgChangesExecute(); }); });
    connect(ui->actPrintDep, &QAction::triggered, this, [this] { guarded(this, [this] { actPrintDepExecute(); }); });
    AskPointsText = [this] { return TfrmPoints::AskPointsText(m_data.localization(), this); };

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
    m_department = Department();
    m_depModel->ShowMembers();
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
    try {
        CustomerTable customers(m_data.ADOConnection);
        m_department.Build(customers, selectedCustomerId());
    } catch (const db::DataError &error) {
        // Nothing of the department that failed is shown, and nothing of
        // the one before it either.
        m_department = Department();
        m_depModel->ShowMembers();
        if (const auto *load = dynamic_cast<const DepLoadError *>(&error))
            for (const QString &level : load->levelMessages())
                m_data.userPort().showInformation(level);
        throw;
    }
    m_depModel->ShowMembers();
}

void TfrmOrg::Recompute()
{
    m_department.Recompute();
    m_depModel->ShowMembers();
}

void TfrmOrg::setHotCell(const QPoint &viewportPos)
{
    const QModelIndex cell = ui->grdDep->indexAt(viewportPos);
    HotRow = cell.isValid() ? cell.row() + 1 : -1;
    HotCol = cell.isValid() ? cell.column() + 1 : -1;
}

bool TfrmOrg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->grdDep->viewport() && event->type() == QEvent::MouseMove)
        setHotCell(static_cast<QMouseEvent *>(event)->position().toPoint());
    // The context menu's own popup takes the focus too; its items read HotRow.
    if (watched == ui->grdDep && event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
        HotRow = -1;
    return QDialog::eventFilter(watched, event);
}

TDepMember *TfrmOrg::hotMember()
{
    const int row = HotRow - 1;
    if (row < 0 || row >= m_department.count() || !m_depModel->memberAt(row))
        return nullptr;
    return &m_department.DepList()[std::size_t(row)];
}

void TfrmOrg::grdDepSelectCell(int column)
{
    const bool members = !m_department.isEmpty() && HotRow > 0;
    for (QAction *command : {ui->actToReserve, ui->actFromReserve, ui->actDetBonusCalc})
        command->setVisible(members && command->data().toInt() == column);
}

void TfrmOrg::showDepMenu(const QPoint &pos)
{
    setHotCell(pos);
    updateActions();
    const QList<QAction *> commands = m_depMenu->actions();
    if (std::any_of(commands.begin(), commands.end(), [](const QAction *a) { return a->isVisible(); }))
        m_depMenu->popup(ui->grdDep->viewport()->mapToGlobal(pos));
}

void TfrmOrg::actReserveExecute(TData::ReserveMove move)
{
    TDepMember *member = hotMember();
    if (!member)
        return;
    m_data.MoveReserve(member->Id, move);
    CustomerTable customers(m_data.ADOConnection);
    if (m_department.RefreshMember(customers, *member) == Department::RefreshResult::RefreshError)
        m_data.userPort().showError(Department::refreshErrorText());
    Recompute();
}

void TfrmOrg::actPassPointExecute(PassDirection direction, const QString &caption)
{
    const TDepMember *member = hotMember();
    if (!member)
        return;
    const QString shown = member->Id;
    db::Dataset *list = m_data.qCustomer;
    ChooserOptions options;
    options.caption = caption;
    QString chosen;
    if (!m_data.userPort().chooseRecord(*m_data.dsCustomer, options,
                                        [&] { chosen = list->field(kId)->asString(); }))
        return;
    const std::optional<QString> typed = AskPointsText();
    if (!typed)
        return;
    const std::optional<double> amount = ParseTypedDecimal(*typed);
    if (!amount)
        throw db::DataError(QStringLiteral("'%1' is not a valid floating point value").arg(*typed));
    if (!(*amount > 0))
        return;
    const QString from = direction == PassDirection::To ? shown : chosen;
    const QString to = direction == PassDirection::To ? chosen : shown;
    m_data.TransferPoints(from, to, *amount);
    CustomerTable customers(m_data.ADOConnection);
    for (const QString &id : {from, to})
        if (m_department.RefreshMemberById(customers, id) == Department::RefreshResult::RefreshError)
            m_data.userPort().showError(Department::refreshErrorText());
    Recompute();
}

void TfrmOrg::actDetBonusCalcExecute()
{
    const TDepMember *member = hotMember();
    if (!member)
        return;
    TfrmDecipherBonus explanation(m_data.localization(), *member, m_department.Detail(*member), this);
    explanation.exec();
}

void TfrmOrg::actSaveOrgChangesExecute()
{
    const QString point = QLocale().decimalPoint();
    std::vector<TData::ReserveChange> changes;
    QStringList refused;
    for (int row = 0; row < m_depModel->rowCount(); ++row) {
        const TDepMember *member = m_depModel->memberAt(row);
        Q_ASSERT(member);
        const QString text = m_depModel->reserveText(row);
        if (text == depnumbers::general(member->Reserve, point))
            continue;
        if (const std::optional<double> reserve = ParseTypedDecimal(text))
            changes.push_back({member->Id, *reserve});
        else
            refused << FormatMessage(Messages().lReserveNotNumber, {member->Id, member->Name, text});
    }
    // The readable rows are stored whatever the others hold.
    m_data.SaveReserves(changes);
    if (!refused.isEmpty()) {
        // Kept on screen and still to be saved, so the text can be put right.
        m_data.userPort().showError(refused.join(u'\n'));
        return;
    }
    BuildDepartments();
    Modified = false;
}

void TfrmOrg::actPrintDepExecute()
{
    const TData::DepReportScope list(m_data, std::as_const(m_department).DepList());
    RunReport(m_data, QStringLiteral("repDep"), this);
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
    if (ui->pcOrg->currentWidget() == ui->tsLevels)
        ExportDBGrid(*ui->grdCustomer);
    else
        ExportStringGrid(*m_depModel);
}

// --- enabling -------------------------------------------------------------------------------

void TfrmOrg::updateActions()
{
    const bool node = selectedNode() != nullptr;
    ui->navCustomer->setEnabled(node);
    ui->actToExcel->setEnabled(node);
    ui->actPrintDep->setEnabled(node);
    ui->actSaveOrgChanges->setEnabled(node && Modified);
    const bool members = !m_department.isEmpty() && HotRow > 0;
    for (QAction *command : m_depMenu->actions())
        command->setVisible(members && command->data().toInt() == HotCol);
}

// --- the debug panel ------------------------------------------------------------------------

void TfrmOrg::refreshDebugLists()
{
    ui->lbDepList->clear();
    QStringList members;
    for (const TDepMember &member : m_department.DepList())
        members << member.Id;
    ui->lbDepList->addItems(members);
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
