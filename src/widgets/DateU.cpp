#include "DateU.h"

#include "Localize.h"
#include "ui_DateU.h"

TfrmDate::TfrmDate(LocCatalogue &catalogue, QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmDate>())
{
    ui->setupUi(this);
    ui->btnSave->setKind(TqubBitBtn::Kind::OK);
    ui->btnCancel->setKind(TqubBitBtn::Kind::Cancel);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    // The window's own caption is not part of the walk; the buttons are.
    LocalizeWindow(this, catalogue);
    // Single-letter day names let the month fit the design width; a desktop
    // font too large even for them widens the dialog rather than clip it.
    setFixedSize(std::max(207, ui->MonthCalendar->sizeHint().width()), 200);
    ui->MonthCalendar->setSelectedDate(QDate::currentDate());
}

TfrmDate::~TfrmDate() = default;

QDate TfrmDate::date() const
{
    return ui->MonthCalendar->selectedDate();
}

void TfrmDate::setDate(const QDate &day)
{
    ui->MonthCalendar->setSelectedDate(day);
}

std::optional<QDate> TfrmDate::choose(LocCatalogue &catalogue, QWidget *parent, const QDate &preset)
{
    TfrmDate dialog(catalogue, parent);
    if (preset.isValid())
        dialog.setDate(preset);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.date();
}
