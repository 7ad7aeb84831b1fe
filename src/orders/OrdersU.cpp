#include "OrdersU.h"

#include "ui_OrdersU.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "catalogue/RefU.h"
#include "engine/WallClock.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Localize.h"
#include "widgets/qubDBGrid.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// The journal's customer chooser has a caption of its own that no
// translation changes.
const QString kCustomersCaption = QStringLiteral("Клиенты");
// What a line edit keeps free beside its text: a margin of two pixels on
// each side and room for the cursor.
constexpr int kLineEditTextMargin = 2 * 2 + 1;
const QString kRefusal = QStringLiteral("refusal");

// A refusal row is drawn in the tooltip colours, with the field's plain
// value written at the cell's top-left corner.
void drawRefusalCell(TqubDBGrid::DrawCell &cell, db::Dataset &orders)
{
    if (orders.isEmpty() || cell.focused || !cell.field)
        return;
    const db::Field *refusal = orders.findField(kRefusal);
    if (!refusal || !orders.valueAt(cell.row, refusal).toBool())
        return;
    const QPalette palette = QApplication::palette();
    cell.brush = palette.brush(QPalette::ToolTipBase);
    cell.painter->fillRect(cell.rect, cell.brush);
    cell.painter->setPen(palette.color(QPalette::ToolTipText));
    const QVariant value = orders.valueAt(cell.row, cell.field);
    const QString text = value.typeId() == QMetaType::Double ? FormatGeneral(value.toDouble())
        : value.typeId() == QMetaType::QDateTime             ? FormatDateTimeDefault(value.toDateTime())
                                                             : value.toString();
    cell.painter->drawText(cell.rect.adjusted(2, 1, -1, -1), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

TfrmOrders::TfrmOrders(TData &data, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::TfrmOrders>()), m_data(data)
{
    ui->setupUi(this);
    for (QWidget *button : {static_cast<QWidget *>(ui->btnPrint), static_cast<QWidget *>(ui->btnAddOrder),
                            static_cast<QWidget *>(ui->btnAddRefusal)})
        button->hide(); // shown once they carry the main window's commands
    ui->dtpBegin->setDisplayFormat(ShortDateFormat());
    ui->dtpEnd->setDisplayFormat(ShortDateFormat());

    TqubDBGrid *grid = ui->grdOrders;
    grid->setOptions(grid->options() & ~TqubDBGrid::Options(TqubDBGrid::Option::Editing));
    grid->setReadOnly(true);
    grid->setDataSource(m_data.dsOrders);
    grid->setOnDrawColumnCell([this](TqubDBGrid::DrawCell &cell) { drawRefusalCell(cell, *m_data.qOrders); });

    FormCreate();
    fitTotalBoxes();

    const auto refilter = [this] { dtpFilterChange(); };
    connect(ui->dtpBegin, &QDateEdit::dateChanged, this, refilter);
    connect(ui->dtpEnd, &QDateEdit::dateChanged, this, refilter);
    connect(ui->Customer, &QLineEdit::textChanged, this, refilter);
    connect(ui->id, &QLineEdit::textChanged, this, refilter);
    connect(ui->btnCustomer, &QToolButton::clicked, this, [this] { guarded(this, [this] { btnCustomerClick(); }); });
    connect(grid, &TqubDBGrid::gridDoubleClicked, this, [this] { grdOrdersDblClick(); });
    connect(grid, &TqubDBGrid::enterPressed, this, [this] { grdOrdersDblClick(); });
}

TfrmOrders::~TfrmOrders()
{
    // The header dataset is closed while no journal exists.
    ui->grdOrders->setDataSource(nullptr);
    m_data.setJournalView(nullptr);
    m_data.clearFilterBoxes(m_data.qOrders);
    try {
        m_data.qOrders->close();
        m_data.qOrders->setFilterText(QString());
    } catch (const db::DataError &) {
        // Closing and clearing do not fail; nothing to tell from a closing window.
    }
}

void TfrmOrders::FormCreate()
{
    LocalizeWindow(this, m_data.localization());
    // The last four days, today included: the end day itself is not shown.
    const QDateTime end = m_data.clock().addDays(1);
    ui->dtpEnd->setDate(end.date());
    ui->dtpBegin->setDate(end.addDays(-4).date());
    // Each filter box stands for the header field of its name, so the
    // record filter needs no list of its own.
    for (QLineEdit *box : ui->gbFilter->findChildren<QLineEdit *>()) {
        if (box->objectName().startsWith(QLatin1String("qt_"))) // a date picker's own box
            continue;
        QPointer<QLineEdit> text(box);
        m_data.setFilterBox(m_data.qOrders, box->objectName(), [text] { return text ? text->text() : QString(); });
    }
}

bool TfrmOrders::open()
{
    Q_ASSERT(!m_open);
    try {
        m_data.qOrders->open();
    } catch (const db::DataError &) {
        m_data.userPort().showError(m_data.isConnected() ? Messages().fixedError : Messages().lConnectionError);
        return false;
    }
    m_open = true;
    m_data.setJournalView(this);
    // The totals are counted when the window is shown, over what it shows.
    const bool filtered = guarded(this, [this] { ApplyJournalFilter(); });
    m_creating = false;
    return filtered;
}

void TfrmOrders::attachCommands(QAction *print, QAction *addOrder, QAction *addRefusal)
{
    ui->btnPrint->setDefaultAction(print);
    ui->btnAddOrder->setDefaultAction(addOrder);
    ui->btnAddRefusal->setDefaultAction(addRefusal);
    for (QToolButton *button : {ui->btnPrint, ui->btnAddOrder, ui->btnAddRefusal})
        button->setVisible(button->defaultAction()->isVisible());
}

QDate TfrmOrders::beginDate() const
{
    return ui->dtpBegin->date();
}

QDate TfrmOrders::endDate() const
{
    return ui->dtpEnd->date();
}

QString TfrmOrders::periodCaption() const
{
    // The end is written as the journal shows it: the day it excludes.
    return FormatMessage(Messages().lPeriodCaption, {FormatShortDate(beginDate()), FormatShortDate(endDate())});
}

TqubDBGrid *TfrmOrders::grid() const
{
    return ui->grdOrders;
}

void TfrmOrders::ApplyJournalFilter()
{
    db::Dataset *orders = m_data.qOrders;
    const QDateTime begin = db::wallClock(ui->dtpBegin->date());
    const QDateTime end = db::wallClock(ui->dtpEnd->date());
    const QString filter = QStringLiteral("ordersdate >= ") + FormatDateTimeDefault(begin)
        + QStringLiteral(" and ordersdate < ") + FormatDateTimeDefault(end);
    orders->setFiltered(false);
    orders->setFilterText(filter);
    orders->setFiltered(true);
    // Without a connection there are no headers to count; the data module
    // has shown its totals of nothing already.
    if (!m_creating && orders->isActive())
        recountTotals();
}

void TfrmOrders::recountTotals()
{
    m_data.RecountJournalTotals(m_data.qOrders->field(QStringLiteral("totalsum")));
}

void TfrmOrders::dtpFilterChange()
{
    if (m_open)
        guarded(this, [this] { ApplyJournalFilter(); });
}

void TfrmOrders::btnCustomerClick()
{
    db::Dataset *customers = m_data.qCustomer;
    QString name;
    ChooserOptions options;
    options.caption = kCustomersCaption;
    if (TfrmRef::choose(this, *customers, options,
                        [&] { name = customers->field(QStringLiteral("sname"))->asString(); }))
        ui->Customer->setText(name); // the change refilters the journal
}

void TfrmOrders::grdOrdersDblClick()
{
    if (m_editOrder)
        m_editOrder();
}

void TfrmOrders::showTotal(const QString &box, const QString &text)
{
    if (auto *edit = findChild<QLineEdit *>(box))
        edit->setText(text);
}

void TfrmOrders::connectionRestored()
{
    if (!m_open)
        return;
    guarded(this, [this] {
        m_data.qOrders->open();
        ApplyJournalFilter();
    });
}

void TfrmOrders::fitTotalBoxes()
{
    // The widest total: a sign and the fifteen significant digits of the
    // general number format around the locale's decimal separator.
    const QLocale locale;
    for (QLineEdit *box : {ui->edSum, ui->edOrdered, ui->edRefused}) {
        const QFontMetrics metrics = box->fontMetrics();
        QChar widestDigit = u'0';
        for (char16_t digit = u'1'; digit <= u'9'; ++digit)
            if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widestDigit))
                widestDigit = QChar(digit);
        const QString widest = locale.negativeSign() + QString(14, widestDigit) + locale.decimalPoint() + widestDigit;
        // The box's own frame and text margins, as its size hint counts them.
        QStyleOptionFrame option;
        option.initFrom(box);
        option.rect = QRect();
        option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
        option.midLineWidth = 0;
        option.state |= QStyle::State_Sunken;
        option.features = QStyleOptionFrame::None;
        const QMargins margins = box->textMargins();
        const QSize text(metrics.horizontalAdvance(widest) + kLineEditTextMargin + margins.left() + margins.right(),
                         metrics.height());
        box->setMinimumWidth(box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, box).width());
    }
}

void TfrmOrders::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (!m_creating && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
        fitTotalBoxes();
}
