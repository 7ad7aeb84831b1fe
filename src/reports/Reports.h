#pragma once
// Printing through the report engine: the report project "repOrder.rav" in
// the program folder defines the reports ("repOrder", "repOrders",
// "repOrdering", "repDep") over the data module's row sources; a report runs
// to the printer, to a preview or to a PDF file.

#include <QString>
#include <QStringList>

class QWidget;
class TData;

/// Runs report `name` of the data module's project: opens the project on the
/// first run (it stays open), offers the output choice (printer, preview or
/// PDF file) and produces the pages, telling its progress in a status window
/// whose Cancel stops at the next page. A name the project does not hold
/// runs nothing and tells nothing. Throws db::DataError when the project
/// file is missing (naming it) or wrong (naming file, line, report and
/// field), or when the PDF file cannot be written (naming it).
void RunReport(TData &data, const QString &name, QWidget *parent);

/// Writes report `name` to the PDF file `pdfPath` without any dialog (for
/// tools and tests), replacing a file there only when the new one is
/// complete. Returns the number of pages; 0, and no file, when the project
/// holds no such report. Throws as RunReport.
int RenderReport(TData &data, const QString &name, const QString &pdfPath);

/// The names of the reports in the data module's project, in file order,
/// after every field they name was found in its row source. Throws as
/// RunReport.
QStringList CheckReportProject(TData &data);
