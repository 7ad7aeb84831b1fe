#include "Reports.h"

#include "ReportLayout_p.h"
#include "RvProject_p.h"
#include "RvSetup_p.h"

#include "DataU.h"
#include "Messages.h"
#include "PartFile.h"
#include "widgets/ErrorGuard.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStandardPaths>
#include <QTimer>

#include <optional>

namespace reports {

TRvProject::TRvProject(ReportProject project, TData &data) : QObject(&data), m_project(std::move(project))
{
    setObjectName(QStringLiteral("rvProj"));
}

TRvProject &TRvProject::of(TData &data)
{
    if (auto *open = data.findChild<TRvProject *>(QStringLiteral("rvProj"), Qt::FindDirectChildrenOnly))
        return *open;
    return *new TRvProject(ReportProject::load(data.reportProjectFile()), data);
}

namespace {

// The report system's settings.
const QString kJobName = QStringLiteral("Rave Report");
const QString kPreviewTitle = QStringLiteral("Report Preview");
const QString kGeneratingPage = QStringLiteral("Generating page %p");
const QString kPrintingPage = QStringLiteral("Printing page %p");

/// A4 with margins, upright or across as the report asks; the paper a
/// printer's dialog chose stays.
void setPage(QPagedPaintDevice &device, const ReportDef &report, bool keepPaper)
{
    const QPageSize paper = keepPaper ? device.pageLayout().pageSize() : QPageSize(QPageSize::A4);
    device.setPageLayout(QPageLayout(paper, report.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter));
}

db::DataError fileError(const QString &path, const QString &why)
{
    return db::DataError(FormatMessage(Messages().lReportFileErrorMes, {QDir::toNativeSeparators(path), why}));
}

/// The report the project names `name`, checked against the row sources;
/// null when the project holds none.
const ReportDef *checkedReport(TRvProject &project, TData &data, const QString &name)
{
    const ReportDef *report = project.project().find(name);
    if (report)
        project.project().check(*report, data);
    return report;
}

/// Writes the PDF file; the page count, or nullopt when `beforePage` stopped
/// it (no file is left then).
std::optional<int> writePdf(TData &data, const ReportProject &project, const ReportDef &report, const QString &path,
                            const std::function<bool(int, int)> &beforePage)
{
    std::optional<PartFile> part;
    try {
        part.emplace(path, PartFile::Existing::Replace);
    } catch (const db::DataError &error) {
        throw fileError(path, error.text());
    }
    QFile file(part->path());
    if (!file.open(QIODevice::WriteOnly))
        throw fileError(path, file.errorString());
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setTitle(report.name);
        writer.setCreator(applicationTitle());
        setPage(writer, report, false);
        ReportLayout layout(project, report, data, data.clock());
        switch (layout.paintAll(writer, beforePage)) {
        case ReportLayout::Painted::Stopped:
            return std::nullopt;
        case ReportLayout::Painted::Failed:
            throw fileError(path, file.errorString());
        case ReportLayout::Painted::All:
            break;
        }
        pages = layout.pageCount();
    }
    // A full disk shows only when the last bytes go out.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        throw fileError(path, file.errorString());
    file.close();
    try {
        part->commit();
    } catch (const db::DataError &error) {
        throw fileError(path, error.text());
    }
    return pages;
}

void toPrinter(TData &data, const ReportProject &project, const ReportDef &report, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kJobName);
    printer.setFontEmbeddingEnabled(true);
    setPage(printer, report, false);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    setPage(printer, report, true);
    TfrmRvStatus status(data.localization(), kPrintingPage, parent);
    ReportLayout layout(project, report, data, data.clock());
    switch (layout.paintAll(printer, [&status](int page, int) { return status.page(page); })) {
    case ReportLayout::Painted::Stopped:
        printer.abort();
        break;
    case ReportLayout::Painted::Failed:
        throw db::DataError(QStringLiteral("The printer %1 cannot print.").arg(printer.printerName()));
    case ReportLayout::Painted::All:
        break;
    }
}

void toPreview(TData &data, const ReportProject &project, const ReportDef &report, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(kJobName);
    setPage(printer, report, false);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(kPreviewTitle);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter *target) {
        guarded(&preview, [&] {
            TfrmRvStatus status(data.localization(), kGeneratingPage, &preview);
            ReportLayout layout(project, report, data, data.clock());
            layout.paintAll(*target, [&status](int page, int) { return status.page(page); });
        });
    });
    // At its own size: the dialog fits the page to the window when it opens.
    if (auto *widget = preview.findChild<QPrintPreviewWidget *>()) {
        QPointer<QPrintPreviewWidget> zoomed(widget);
        QTimer::singleShot(0, widget, [zoomed] {
            if (zoomed) {
                zoomed->setZoomMode(QPrintPreviewWidget::CustomZoom);
                zoomed->setZoomFactor(1.0);
            }
        });
    }
    preview.exec();
}

} // namespace

} // namespace reports

using namespace reports;

void RunReport(TData &data, const QString &name, QWidget *parent)
{
    TRvProject &project = TRvProject::of(data);
    const ReportDef *report = checkedReport(project, data, name);
    if (!report)
        return;
    QString fileName = project.lastFileName;
    if (fileName.isEmpty())
        fileName = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                       .filePath(report->name + QStringLiteral(".pdf"));
    TfrmRvSetup setup(data.localization(), QDir::toNativeSeparators(fileName), parent);
    if (setup.exec() != QDialog::Accepted)
        return;
    switch (setup.destination()) {
    case TfrmRvSetup::Destination::Printer:
        toPrinter(data, project.project(), *report, parent);
        break;
    case TfrmRvSetup::Destination::Preview:
        toPreview(data, project.project(), *report, parent);
        break;
    case TfrmRvSetup::Destination::File: {
        const QString path = QDir::fromNativeSeparators(setup.fileName());
        project.lastFileName = path;
        TfrmRvStatus status(data.localization(), kGeneratingPage, parent);
        writePdf(data, project.project(), *report, path, [&status](int page, int) { return status.page(page); });
        break;
    }
    }
}

int RenderReport(TData &data, const QString &name, const QString &pdfPath)
{
    TRvProject &project = TRvProject::of(data);
    const ReportDef *report = checkedReport(project, data, name);
    if (!report)
        return 0;
    return writePdf(data, project.project(), *report, pdfPath, {}).value_or(0);
}

QStringList CheckReportProject(TData &data)
{
    TRvProject &project = TRvProject::of(data);
    QStringList names;
    for (const ReportDef &report : project.project().reports()) {
        project.project().check(report, data);
        names << report.name;
    }
    return names;
}
