#include "RepProduct.h"

#include "ui_RepProduct.h"

#include "Reports.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "engine/WallClock.h"
#include "widgets/ErrorGuard.h"
#include "widgets/ImageList.h"
#include "widgets/Localize.h"
#include "widgets/TDBNavigator.h"
#include "widgets/qubDBGrid.h"

#include <QHeaderView>
#include <QScreen>

TfrmRepProduct::TfrmRepProduct(TData &data, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmRepProduct>()), m_data(data)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->dtpBegin->setDisplayFormat(ShortDateFormat());
    ui->dtpEnd->setDisplayFormat(ShortDateFormat());
    ui->actPrint->setIcon(ImageList::icon(ImageList::Print));
    ui->btnReports->setDefaultAction(ui->actPrint);

    TqubDBGrid *grid = ui->grdReport;
    grid->setOptions(grid->options() & ~TqubDBGrid::Options(TqubDBGrid::Option::Editing));
    grid->setReadOnly(true);
    grid->setDataSource(m_data.dsRepProduct);
    ui->navReport->setVisibleButtons({TDBNavigator::Button::First, TDBNavigator::Button::Prior,
                                      TDBNavigator::Button::Next, TDBNavigator::Button::Last});
    ui->navReport->setDataSource(m_data.dsRepProduct);

    connect(ui->btnMakeReport, &QPushButton::clicked, this, [this] { guarded(this, [this] { btnMakeReportClick(); }); });
    connect(ui->actPrint, &QAction::triggered, this, [this] { guarded(this, [this] { actPrintExecute(); }); });

    FormCreate();
}

TfrmRepProduct::~TfrmRepProduct()
{
    ui->grdReport->setDataSource(nullptr);
    ui->navReport->setDataSource(nullptr);
    m_data.qRepProduct->close();
}

std::pair<QDate, QDate> TfrmRepProduct::defaultPeriod(const QDateTime &now)
{
    // The moment rounded up to a whole day, then one day more.
    QDate end = now.date();
    if (now.time() != QTime(0, 0))
        end = end.addDays(1);
    end = end.addDays(1);
    return {end.addDays(-4), end};
}

void TfrmRepProduct::FormCreate()
{
    LocalizeWindow(this, m_data.localization());
    const auto [begin, end] = defaultPeriod(m_data.clock());
    ui->dtpEnd->setDate(end);
    ui->dtpBegin->setDate(begin);
    ui->actPrint->setEnabled(false);
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmRepProduct::btnMakeReportClick()
{
    db::Dataset *report = m_data.qRepProduct;
    report->close();
    const QDateTime begin = db::wallClock(ui->dtpBegin->date());
    const QDateTime end = db::wallClock(ui->dtpEnd->date());
    report->param(QStringLiteral("datebegin")).setValue(begin);
    report->param(QStringLiteral("dateend")).setValue(end);
    report->open();
    setWindowTitle(FormatMessage(Messages().lPeriodCaption, {FormatShortDate(begin.date()), FormatShortDate(end.date())}));
    ui->actPrint->setEnabled(report->recordCount() > 0);
}

void TfrmRepProduct::actPrintExecute()
{
    m_data.ReportCaption = windowTitle();
    RunReport(m_data, QStringLiteral("repOrdering"), this);
}

QAction *TfrmRepProduct::printCommand() const
{
    return ui->actPrint;
}

TqubDBGrid *TfrmRepProduct::grid() const
{
    return ui->grdReport;
}
