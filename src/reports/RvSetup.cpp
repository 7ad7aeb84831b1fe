#include "RvSetup_p.h"

#include "ui_RvSetup.h"

#include "Localization.h"
#include "widgets/Localize.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The report system's own window titles.
const QString kOutputOptions = QStringLiteral("Output Options");
const QString kReportStatus = QStringLiteral("Report Status");
} // namespace

TfrmRvSetup::TfrmRvSetup(LocCatalogue &catalogue, const QString &fileName, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmRvSetup>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    LocalizeWindow(this, catalogue);
    setWindowTitle(kOutputOptions);
    ui->edFileName->setText(fileName);

    // A machine without a printer is not offered one.
    const bool printer = !QPrinterInfo::availablePrinterNames().isEmpty();
    ui->rbPrinter->setEnabled(printer);
    (printer ? ui->rbPrinter : ui->rbPreview)->setChecked(true);

    for (QRadioButton *button : {ui->rbPrinter, ui->rbPreview, ui->rbFile})
        connect(button, &QRadioButton::toggled, this, &TfrmRvSetup::updateControls);
    connect(ui->btnFileName, &QToolButton::clicked, this, &TfrmRvSetup::btnFileNameClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmRvSetup::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    updateControls();
}

TfrmRvSetup::~TfrmRvSetup() = default;

TfrmRvSetup::Destination TfrmRvSetup::destination() const
{
    if (ui->rbFile->isChecked())
        return Destination::File;
    return ui->rbPrinter->isChecked() ? Destination::Printer : Destination::Preview;
}

QString TfrmRvSetup::fileName() const
{
    return ui->edFileName->text().trimmed();
}

void TfrmRvSetup::updateControls()
{
    const bool file = ui->rbFile->isChecked();
    ui->edFileName->setEnabled(file);
    ui->btnFileName->setEnabled(file);
    ui->btnOK->setEnabled(!file || !fileName().isEmpty());
}

void TfrmRvSetup::btnFileNameClick()
{
    const QString chosen = QFileDialog::getSaveFileName(this, QString(), fileName(), QStringLiteral("PDF (*.pdf)"));
    if (!chosen.isEmpty())
        ui->edFileName->setText(chosen);
    updateControls();
}

void TfrmRvSetup::btnOKClick()
{
    // A file named without an extension is a PDF file all the same.
    if (destination() == Destination::File && QFileInfo(fileName()).suffix().isEmpty())
        ui->edFileName->setText(fileName() + QStringLiteral(".pdf"));
    if (destination() != Destination::File || !fileName().isEmpty())
        accept();
}

// --- the status window -------------------------------------------------------------------------

TfrmRvStatus::TfrmRvStatus(LocCatalogue &catalogue, const QString &pattern, QWidget *parent)
    : QDialog(parent), m_pattern(pattern)
{
    setObjectName(QStringLiteral("frmRvStatus"));
    setWindowTitle(kReportStatus);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setMinimumWidth(240);
    layout->addWidget(m_status);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
    LocalizeWindow(this, catalogue);
    setWindowTitle(kReportStatus);
}

bool TfrmRvStatus::page(int page)
{
    if (!isVisible())
        show();
    m_status->setText(QString(m_pattern).replace(QStringLiteral("%p"), QString::number(page)));
    // The user's Cancel arrives here, between two pages.
    QApplication::processEvents();
    return !m_cancelled;
}
