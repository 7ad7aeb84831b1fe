#include "OrderU.h"

#include "ui_OrderU.h"

#include "DataU.h"
#include "Messages.h"
#include "UserPort.h"
#include "catalogue/ProductU.h"
#include "catalogue/RefU.h"
#include "reports/Reports.h"
#include "engine/WallClock.h"
#include "widgets/DataAware.h"
#include "widgets/DateU.h"
#include "widgets/ErrorGuard.h"
#include "widgets/ImageList.h"
#include "widgets/Localize.h"
#include "widgets/TEntryPanel.h"

#include <QAbstractEventDispatcher>
#include <QKeyEvent>
#include <QScreen>

#include <exception>

namespace {
const QString kId = QStringLiteral("id");
const QString kCustomerId = QStringLiteral("id_customer");
const QString kRefusal = QStringLiteral("refusal");
const QString kOrdersDate = QStringLiteral("ordersdate");
const QString kProductId = QStringLiteral("id_product");
} // namespace

TfrmOrder::TfrmOrder(TData &data, const QString &caption, const QString &addOrderCaption,
                     const QString &addRefusalCaption, QWidget *owner)
    : QDialog(owner),
      ui(std::make_unique<Ui::TfrmOrder>()),
      m_data(data),
      m_caption(caption),
      m_addOrderCaption(addOrderCaption),
      m_addRefusalCaption(addRefusalCaption)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    FormCreate();
}

TfrmOrder::~TfrmOrder()
{
    // The controls let go of the datasets before the lines are closed.
    ui->grdOrder->setDataSource(nullptr);
    ui->navOrder->setDataSource(nullptr);
    ui->DBNavigator2->setDataSource(nullptr);
    for (TDBEdit *box : findChildren<TDBEdit *>())
        box->setDataSource(nullptr);
    if (m_data.EntryPanelOf(m_data.qOrder) == m_entryPanel)
        m_data.setEntryPanel(m_data.qOrder, nullptr);
    try {
        m_data.qOrder->close();
    } catch (const db::DataError &) {
        // Closing does not fail; nothing to tell from a window being destroyed.
    } catch (const db::AbortError &) {
    }
}

void TfrmOrder::FormCreate()
{
    // The entry chain: the panel replaces navOrder, whose next control takes
    // the focus, and Enter walks the two boxes round.
    m_entryPanel = new TEntryPanel(ui->panEdit, ui->navOrder, this);
    ui->navOrder->setNextControl(ui->edID);
    ui->edID->setNextControl(ui->edAmount);
    ui->edAmount->setNextControl(ui->edID);
    m_entryPanel->followEnter(ui->edAmount, [this] { storeLineAndStartNext(); });

    const struct
    {
        QToolButton *button;
        QAction *command;
        int image;
    } commands[] = {
        {ui->btnSave, ui->actSave, ImageList::Post},
        {ui->btnCancel, ui->actCancel, ImageList::Cancel},
        {ui->btnNewOrder, ui->actNewOrder, ImageList::AddOrder},
        {ui->btnNewRefusal, ui->actNewRefusal, ImageList::AddRefusal},
        {ui->btnCalc, ui->actCalc, ImageList::Refresh},
        {ui->btnReverse, ui->actReverse, ImageList::Transfer},
        {ui->btnPrint, ui->actPrint, ImageList::Print},
    };
    for (const auto &entry : commands) {
        entry.command->setIcon(ImageList::icon(entry.image));
        entry.button->setDefaultAction(entry.command);
    }
    ui->actAddProduct->setIcon(ImageList::icon(ImageList::Insert));
    // The shortcut works wherever the focus is in the editor.
    addAction(ui->actNewOrder);
    LocalizeWindow(this, m_data.localization());

    bindControls();
    ui->panEdit->hide();
    // The line rules open and close this window's panel while it exists.
    m_data.setEntryPanel(m_data.qOrder, m_entryPanel);
    ShowOrderKind(m_data.RefusalMode);

    const auto run = [this](void (TfrmOrder::*handler)()) {
        return [this, handler] { guarded(this, [this, handler] { (this->*handler)(); }); };
    };
    connect(ui->actSave, &QAction::triggered, this, run(&TfrmOrder::actSaveExecute));
    connect(ui->actCancel, &QAction::triggered, this, &QDialog::reject);
    connect(ui->actNewOrder, &QAction::triggered, this,
            [this] { guarded(this, [this] { nextDocument(DocumentKind::Order); }); });
    connect(ui->actNewRefusal, &QAction::triggered, this,
            [this] { guarded(this, [this] { nextDocument(DocumentKind::Refusal); }); });
    connect(ui->actCalc, &QAction::triggered, this, run(&TfrmOrder::actCalcExecute));
    connect(ui->actReverse, &QAction::triggered, this, run(&TfrmOrder::actReverseExecute));
    connect(ui->actPrint, &QAction::triggered, this, run(&TfrmOrder::actPrintExecute));
    connect(ui->actAddProduct, &QAction::triggered, this, run(&TfrmOrder::startLine));
    connect(ui->btnOrderDate, &QToolButton::clicked, this, run(&TfrmOrder::btnOrderDateClick));
    connect(ui->btnCustomer, &QToolButton::clicked, this, run(&TfrmOrder::btnCustomerClick));
    connect(ui->edCustomerID, &TDBEdit::enterPressed, this, run(&TfrmOrder::edCustomerIDEnter));
    connect(ui->btnAddProduct, &QToolButton::clicked, this, run(&TfrmOrder::chooseProduct));
    connect(ui->edProductName, &TDBEdit::doubleClicked, this, run(&TfrmOrder::chooseProduct));
    TqubDBGrid *grid = ui->grdOrder;
    connect(grid, &TqubDBGrid::gridDoubleClicked, this, run(&TfrmOrder::grdOrderDblClick));
    connect(grid, &TqubDBGrid::enterPressed, this, run(&TfrmOrder::grdOrderEnter));
    connect(grid, &TqubDBGrid::columnEntered, this, &TfrmOrder::grdOrderColEnter);
    connect(grid, &TqubDBGrid::columnExited, this, &TfrmOrder::grdOrderColExit);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmOrder::updateActions);

    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    updateActions();
}

void TfrmOrder::bindControls()
{
    const std::pair<TDBEdit *, QString> header[] = {
        {ui->edOrderID, kId},         {ui->edOrderDate, kOrdersDate},
        {ui->edCustomerID, kCustomerId}, {ui->edCustomerName, QStringLiteral("Customer")},
        {ui->edTotalSum, QStringLiteral("totalsum")}, {ui->edTotalPoints, QStringLiteral("totalpoints")},
    };
    for (const auto &[box, field] : header) {
        box->setDataSource(m_data.dsOrders);
        box->setDataField(field);
    }
    // Numbered by the rules, and summed from the lines: never typed.
    for (TDBEdit *box : {ui->edOrderID, ui->edTotalSum, ui->edTotalPoints})
        box->setDataReadOnly(true);
    const std::pair<TDBEdit *, QString> line[] = {
        {ui->edID, kProductId}, {ui->edProductName, QStringLiteral("ProductName")}, {ui->edAmount, QStringLiteral("amount")}};
    for (const auto &[box, field] : line) {
        box->setDataSource(m_data.dsOrder);
        box->setDataField(field);
    }

    TqubDBGrid *grid = ui->grdOrder;
    grid->setOptions(grid->options() & ~TqubDBGrid::Options(TqubDBGrid::Option::Editing));
    grid->setDataSource(m_data.dsOrder);
    grid->addAction(ui->actAddProduct);
    ui->navOrder->setVisibleButtons(
        {TDBNavigator::Button::Insert, TDBNavigator::Button::Delete, TDBNavigator::Button::Edit});
    ui->navOrder->setConfirmDelete(true);
    ui->navOrder->setDataSource(m_data.dsOrder);
    ui->DBNavigator2->setVisibleButtons(
        {TDBNavigator::Button::Insert, TDBNavigator::Button::Post, TDBNavigator::Button::Cancel});
    ui->DBNavigator2->setDataSource(m_data.dsOrder);
}

bool TfrmOrder::openLines()
{
    return guarded(this, [this] {
        m_data.qOrder->open();
        updateActions();
    });
}

QWidget *TfrmOrder::orderHintArea() const
{
    return ui->panOrderHint;
}

QWidget *TfrmOrder::editHintArea() const
{
    return ui->panEditHint;
}

void TfrmOrder::ShowOrderKind(bool refusal)
{
    setWindowTitle(m_caption);
    ui->gbOrderInfo->setTitle(refusal ? Messages().lRefusal : Messages().lOrder);
    ui->actReverse->setText(refusal ? Messages().lChangeToOrder : Messages().lChangeToRefusal);
}

void TfrmOrder::keyPressEvent(QKeyEvent *event)
{
    db::Dataset *lines = m_data.qOrder;
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && lines->isActive()
        && lines->isEditing()) {
        guarded(this, [lines] { lines->cancel(); });
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// --- enabling -------------------------------------------------------------------------------

void TfrmOrder::updateActions()
{
    const db::Dataset *orders = m_data.qOrders;
    const db::Dataset *lines = m_data.qOrder;
    // After Calculate or Reverse the header is stored and browsing: Save and
    // Cancel wait for a header box to be changed again.
    const bool headerEditing = orders->isEditing();
    ui->actSave->setEnabled(headerEditing);
    ui->actCancel->setEnabled(headerEditing);
    const bool onHeader = orders->isActive() && (headerEditing || !orders->isEmpty());
    ui->actReverse->setEnabled(onHeader && !orders->field(kCustomerId)->asString().trimmed().isEmpty());
    // A line still being entered is not part of the order yet.
    const int storedLines = lines->isActive()
        ? lines->recordCount() - (lines->state() == db::DatasetState::Insert ? 1 : 0)
        : 0;
    ui->actPrint->setEnabled(storedLines > 0);
    ui->actAddProduct->setEnabled(lines->isActive() && !lines->isEditing());
}

// --- the commands ---------------------------------------------------------------------------

void TfrmOrder::storePendingLine()
{
    db::Dataset *lines = m_data.qOrder;
    if (lines->isEditing())
        updateRecord(lines);
    m_data.PostPendingLine(lines->field(kProductId));
}

void TfrmOrder::actSaveExecute()
{
    // A store that fails keeps the editor open with what was typed.
    storePendingLine();
    updateRecord(m_data.qOrders);
    m_data.RecalculateOrder();
    accept();
}

void TfrmOrder::actCalcExecute()
{
    storePendingLine();
    updateRecord(m_data.qOrders);
    m_data.RecalculateOrder();
}

void TfrmOrder::nextDocument(DocumentKind kind)
{
    const bool refusal = kind == DocumentKind::Refusal;
    db::Dataset *orders = m_data.qOrders;
    storePendingLine();
    if (orders->state() == db::DatasetState::Edit) {
        updateRecord(orders);
        orders->post();
    }
    // A header never stored keeps its kind: only the focus moves.
    if (orders->state() != db::DatasetState::Insert) {
        // The document at hand is stored with its totals, and its points
        // reach its customer, before the next one starts.
        storePendingLine();
        m_data.RecalculateOrder();
        m_data.RefusalMode = refusal;
        m_caption = refusal ? m_addRefusalCaption : m_addOrderCaption;
        ShowOrderKind(refusal);
        orders->append();
    }
    ui->edCustomerID->setFocus();
}

void TfrmOrder::actReverseExecute()
{
    db::Dataset *orders = m_data.qOrders;
    // A line that cannot be stored is told once, and nothing is reversed.
    storePendingLine();
    // The totals are summed and stored whatever happens on the way; the
    // first failure is the one told.
    std::exception_ptr failure;
    try {
        const bool wasEditing = orders->isEditing();
        if (!wasEditing)
            orders->edit();
        m_data.RefusalMode = !m_data.RefusalMode;
        orders->field(kRefusal)->setValue(m_data.RefusalMode);
        // The lines take the new sign when they are read again.
        m_data.qOrder->requery();
        if (!wasEditing) {
            updateRecord(orders);
            orders->post();
        }
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        storePendingLine();
        m_data.RecalculateOrder();
    } catch (...) {
        ShowOrderKind(m_data.RefusalMode);
        if (!failure)
            throw;
    }
    ShowOrderKind(m_data.RefusalMode);
    if (failure)
        std::rethrow_exception(failure);
}

void TfrmOrder::actPrintExecute()
{
    RunReport(m_data, QStringLiteral("repOrder"), this);
}

void TfrmOrder::startLine()
{
    m_data.qOrder->append();
}

// --- the header boxes and their buttons -------------------------------------------------------

void TfrmOrder::editHeader()
{
    // A value chosen by a button is a change like a typed one: a header
    // being viewed goes into editing.
    db::Dataset *orders = m_data.qOrders;
    if (!orders->isEditing())
        orders->edit();
}

void TfrmOrder::btnOrderDateClick()
{
    db::Field *date = m_data.qOrders->field(kOrdersDate);
    const std::optional<QDate> day = TfrmDate::choose(m_data.localization(), this, date->asDateTime().date());
    if (!day)
        return;
    editHeader();
    m_data.qOrders->field(kOrdersDate)->setValue(db::wallClock(*day));
}

void TfrmOrder::btnCustomerClick()
{
    db::Dataset *customers = m_data.qCustomer;
    ChooserOptions options;
    options.caption = Messages().lClients;
    options.showChoose = true;
    QString chosen;
    if (!TfrmRef::choose(this, *customers, options, [&] { chosen = customers->field(kId)->asString(); }))
        return;
    editHeader();
    m_data.qOrders->field(kCustomerId)->setValue(chosen);
}

void TfrmOrder::edCustomerIDEnter()
{
    ui->grdOrder->setFocus(Qt::TabFocusReason);
    ui->grdOrder->setSelectedIndex(0);
}

// --- the lines --------------------------------------------------------------------------------

void TfrmOrder::chooseProduct()
{
    db::Dataset *lines = m_data.qOrder;
    if (!lines->isActive() || !lines->isEditing())
        return;
    QString chosen;
    if (!TfrmProduct::choose(m_data, this, [&] { chosen = m_data.qProduct->field(kId)->asString(); }))
        return;
    if (lines->isEditing())
        lines->field(kProductId)->setValue(chosen);
}

void TfrmOrder::storeLineAndStartNext()
{
    // A line that is refused stays, and no next line starts.
    db::Dataset *lines = m_data.qOrder;
    if (lines->isEditing())
        updateRecord(lines);
    lines->post();
    lines->append();
}

void TfrmOrder::grdOrderDblClick()
{
    db::Dataset *lines = m_data.qOrder;
    if (!lines->isActive())
        return;
    if (lines->isEmpty())
        lines->append();
    else
        lines->edit();
}

void TfrmOrder::grdOrderEnter()
{
    TqubDBGrid *grid = ui->grdOrder;
    // Through the product's identifier and name, Enter by Enter, and on to
    // the next line.
    switch (grid->selectedIndex()) {
    case 0:
        grid->setSelectedIndex(1);
        break;
    case 1:
        storeLineAndStartNext();
        grid->setSelectedIndex(0);
        break;
    default:
        break;
    }
}

bool TfrmOrder::showsLookup(int column) const
{
    const db::Field *field = ui->grdOrder->columnField(column);
    return field && field->isLookup();
}

void TfrmOrder::grdOrderColEnter(int column)
{
    // A looked-up value cannot be typed: no cell editor opens over it.
    TqubDBGrid *grid = ui->grdOrder;
    if (showsLookup(column))
        grid->setOptions(grid->options() & ~TqubDBGrid::Options(TqubDBGrid::Option::Editing));
}

void TfrmOrder::grdOrderColExit(int column)
{
    TqubDBGrid *grid = ui->grdOrder;
    if (showsLookup(column))
        grid->setOptions(grid->options() | TqubDBGrid::Option::Editing);
}
