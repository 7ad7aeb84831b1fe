#include "ClearBDU.h"

#include "ui_ClearBDU.h"

#include "DataU.h"
#include "engine/WallClock.h"
#include "widgets/DialogScale.h"
#include "widgets/ErrorGuard.h"
#include "widgets/Localize.h"
#include "widgets/Switches.h"

#include <QLocale>
#include <QScreen>

namespace {

const QString kCatalogueDate = QStringLiteral("dateprice");

/// A bold font of `font`'s family, at `pixels` pixels when given.
QFont bold(QFont font, int pixels = 0)
{
    font.setBold(true);
    if (pixels > 0)
        font.setPixelSize(pixels);
    return font;
}

} // namespace

TfrmClearDB::TfrmClearDB(TData &data, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmClearDB>()), m_data(data)
{
    ui->setupUi(this);
    ui->Panel2->setFont(bold(ui->Panel2->font(), 16));
    ui->chbOrders->setFont(bold(ui->chbOrders->font(), 13));
    for (QWidget *box : {ui->chbClearPoints, ui->chbProducts, ui->chbShrinkDB})
        box->setFont(bold(box->font()));
    const QString dayFormat = QLocale().dateFormat(QLocale::ShortFormat);
    for (QDateTimeEdit *picker : {ui->dtpDateBegin, ui->dtpDateEnd}) {
        picker->setDisplayFormat(dayFormat);
        picker->setMinimumDateTime(db::zeroDateTime());
    }
    ui->DBLookupComboBox1->setListSource(m_data.dsChCat);
    ui->DBLookupComboBox1->setKeyField(kCatalogueDate);
    ui->DBLookupComboBox1->setListField(kCatalogueDate);

    guarded(this, [this] {
        LocalizeWindow(this, m_data.localization());
        if (Switches().scaleDialogs)
            ScaleDialog(this);
        const auto [begin, end] = previousMonth(m_data.clock().date());
        setPeriod(begin, end);
    });
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    connect(ui->chbAllOrders, &QCheckBox::clicked, this, [this] { guarded(this, [this] { allOrdersClicked(); }); });
    for (QCheckBox *box : {ui->chbProducts, ui->chbClearPoints})
        connect(box, &QCheckBox::clicked, this, [this] { guarded(this, [this] { followCatalogueBox(); }); });
    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmClearDB::~TfrmClearDB()
{
    guarded(nullptr, [this] { m_data.qChCat->close(); });
}

std::pair<QDateTime, QDateTime> TfrmClearDB::previousMonth(const QDate &today)
{
    const QDate first = QDate(today.year(), today.month(), 1).addMonths(-1);
    const QDate last = first.addDays(first.daysInMonth() - 1);
    return {db::wallClock(first), db::wallClock(last, QTime(23, 59, 59, 999))};
}

void TfrmClearDB::setPeriod(const QDateTime &begin, const QDateTime &end)
{
    ui->dtpDateBegin->setDateTime(begin);
    ui->dtpDateEnd->setDateTime(end);
}

void TfrmClearDB::allOrdersClicked()
{
    const bool all = ui->chbAllOrders->isChecked();
    ui->dtpDateBegin->setEnabled(!all);
    ui->dtpDateEnd->setEnabled(!all);
    if (all) {
        setPeriod(db::zeroDateTime(), db::wallClock(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
    } else {
        const auto [begin, end] = previousMonth(m_data.clock().date());
        setPeriod(begin, end);
    }
}

void TfrmClearDB::followCatalogueBox()
{
    if (ui->chbProducts->isChecked()) {
        m_data.qChCat->open();
        // The list shows the catalogue that would be deleted: the current
        // row, the newest, until another is chosen.
        db::Dataset *list = m_data.qChCat;
        ui->DBLookupComboBox1->setKeyValue(list->isEmpty() ? QVariant() : list->field(kCatalogueDate)->value());
    } else
        m_data.qChCat->close();
}

ClearOptions TfrmClearDB::options() const
{
    using Task = ClearOptions::Task;
    ClearOptions result;
    const std::pair<QCheckBox *, Task> boxes[] = {{ui->chbOrders, Task::DeleteOrders},
                                                  {ui->chbClearPoints, Task::ZeroPoints},
                                                  {ui->chbProducts, Task::DeleteCatalogue},
                                                  {ui->chbShrinkDB, Task::Shrink}};
    for (const auto &[box, task] : boxes)
        result.tasks.setFlag(task, box->isChecked());
    result.periodBegin = ui->dtpDateBegin->dateTime();
    result.periodEnd = ui->dtpDateEnd->dateTime();
    const db::Dataset *list = m_data.qChCat;
    if (list->isActive() && !list->isEmpty())
        result.catalogue = list->field(kCatalogueDate)->value();
    return result;
}
