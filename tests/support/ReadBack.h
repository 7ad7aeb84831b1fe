#pragma once
// Reading back what the program wrote: PDF files through poppler's tools and
// workbooks through minizip, so that tests check the files a user receives.

#include <QHash>
#include <QString>

namespace testing_support {

/// The text of a PDF file, page after page, in reading layout (pdftotext
/// -layout); pages are separated by form feeds. Empty when it cannot be read.
QString pdfText(const QString &path);
/// The number of pages pdfinfo finds; -1 when it cannot read the file.
int pdfPageCount(const QString &path);

/// One cell of a workbook's first sheet.
struct XlsxCell
{
    /// "s" text, "n" number, "b" logical.
    QString type;
    QString value;
    /// The number format's id (14: short date, 22: date and time); 0 general.
    int numberFormat = 0;
    /// The cell holds a formula.
    bool formula = false;
};

/// The cells of the first sheet of the workbook at `path`, by reference
/// ("A1"); empty when it cannot be read.
QHash<QString, XlsxCell> xlsxCells(const QString &path);

} // namespace testing_support
