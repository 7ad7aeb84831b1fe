#include "Customer.h"

#include "ui_Customer.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "engine/WallClock.h"
#include "reports/Export.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Localize.h"
#include "widgets/Switches.h"

#include <QAbstractEventDispatcher>
#include <QScreen>

namespace {
const QString kId = QStringLiteral("id");
const QString kName = QStringLiteral("sname");
} // namespace

TfrmCustomer::TfrmCustomer(TData &data, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmCustomer>()), m_data(data)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->btnResetPoints->setDefaultAction(ui->actResetPoints);
    ui->btnRefresh->setDefaultAction(ui->actRefresh);
    ui->btnToExcel->setDefaultAction(ui->actToExcel);
    LocalizeWindow(this, m_data.localization());

    const QDate today = m_data.clock().date();
    ui->dtpDateBegin->setDate(QDate(today.year(), today.month(), 1));
    ui->dtpDateEnd->setDate(today.addDays(1));

    TqubDBGrid *grid = ui->grdCustomer;
    grid->setOptions(grid->options() & ~TqubDBGrid::Options(TqubDBGrid::Option::Editing));
    grid->setReadOnly(true);
    grid->setDataSource(m_data.dsAllCustomers);
    ui->navAllCustomers->setVisibleButtons({TDBNavigator::Button::First, TDBNavigator::Button::Prior,
                                            TDBNavigator::Button::Next, TDBNavigator::Button::Last});
    ui->navAllCustomers->setDataSource(m_data.dsAllCustomers);

    connect(ui->edId, &QLineEdit::textChanged, this, &TfrmCustomer::FilterControlChange);
    connect(ui->edName, &QLineEdit::textChanged, this, &TfrmCustomer::FilterControlChange);
    connect(ui->actRefresh, &QAction::triggered, this, [this] { guarded(this, [this] { actRefreshExecute(); }); });
    connect(ui->actResetPoints, &QAction::triggered, this,
            [this] { guarded(this, [this] { actResetPointsExecute(); }); });
    connect(ui->actToExcel, &QAction::triggered, this, [this] { guarded(this, [this] { ExportDBGrid(*ui->grdCustomer); }); });
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &TfrmCustomer::updateActions);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    updateActions();
}

TfrmCustomer::~TfrmCustomer()
{
    ui->grdCustomer->setDataSource(nullptr);
    ui->navAllCustomers->setDataSource(nullptr);
    try {
        m_data.qAllCustomers->close();
        m_data.qAllCustomers->setFilterText(QString());
    } catch (const db::DataError &) {
        // Closing and clearing a filter do not fail; nothing to tell from a
        // window being destroyed.
    } catch (const db::AbortError &) {
    }
}

void TfrmCustomer::actRefreshExecute()
{
    db::Dataset *list = m_data.qAllCustomers;
    list->close();
    const QDateTime begin = db::wallClock(ui->dtpDateBegin->date());
    const QDateTime end = db::wallClock(ui->dtpDateEnd->date());
    list->param(QStringLiteral("datebegin")).setValue(begin);
    list->param(QStringLiteral("dateend")).setValue(end);
    list->open();
    setWindowTitle(FormatMessage(Messages().lPeriodCaption, {FormatShortDate(begin.date()), FormatShortDate(end.date())}));
    updateActions();
}

void TfrmCustomer::FilterControlChange()
{
    // The name matches its beginning, the identifier exactly; a typed
    // apostrophe is written twice, as every typed text in a filter.
    QString text;
    const QString name = ui->edName->text().trimmed();
    if (!ui->edName->text().isEmpty())
        text = kName + QStringLiteral(" like ") + SqlQuoted(name + u'%');
    if (!ui->edId->text().isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral(" and ");
        text += kId + QStringLiteral(" = ") + SqlQuoted(ui->edId->text().trimmed());
    }
    guarded(this, [&] { m_data.qAllCustomers->setFilterText(text); });
    updateActions();
}

void TfrmCustomer::actResetPointsExecute()
{
    db::Dataset *list = m_data.qAllCustomers;
    if (!list->isActive())
        return;
    const db::Field *id = list->field(kId);
    const db::Field *points = list->field(QStringLiteral("totalpoints"));
    for (int i = 0; i < list->recordCount(); ++i)
        m_data.setCustomerPoints(list->valueAt(i, id).toString(), list->valueAt(i, points).toDouble());
}

void TfrmCustomer::updateActions()
{
    const db::Dataset *list = m_data.qAllCustomers;
    const bool resettable = Switches().resetPoints && list->isActive() && !list->isEmpty();
    // A tool button does not follow its command's visibility.
    ui->actResetPoints->setVisible(resettable);
    ui->btnResetPoints->setVisible(resettable);
}
