#pragma once
// "To Excel": what a grid shows, copied into a new workbook that is handed to
// the desktop's spreadsheet program. The cells go to a SpreadsheetSink; the
// program's sink writes an .xlsx file, tests capture the cells instead.

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QAbstractItemModel;
class TqubDBGrid;

namespace db {
class Dataset;
class Field;
} // namespace db

/// Where an export's cells go. Rows and columns count from 1; rows arrive in
/// ascending order.
class SpreadsheetSink
{
public:
    virtual ~SpreadsheetSink() = default;
    /// Sets cell (`row`, `column`) to `value`: a text (always a text, never a
    /// formula), a number, a date-time, a yes/no, or null for no cell.
    /// Throws db::DataError for what a worksheet cannot hold.
    virtual void setCell(int row, int column, const QVariant &value) = 0;
    /// Hands the workbook to the user. Throws db::DataError.
    virtual void show() = 0;
};

/// A workbook written with libxlsxwriter, one row in memory at a time: texts
/// as strings, numbers as numbers, date-times as date cells (with the time
/// when it is not midnight), yes/no as logical values. The file appears at
/// `target` only when complete.
class XlsxSink : public SpreadsheetSink
{
public:
    /// What show() does with the finished file (open it for the user); none:
    /// the file is only written.
    using Opener = std::function<void(const QString &path)>;

    /// Starts the workbook for `target`. Throws db::DataError (lRunExcelError)
    /// when it cannot be made.
    explicit XlsxSink(const QString &target, Opener opener = {});
    ~XlsxSink() override;

    void setCell(int row, int column, const QVariant &value) override;
    /// Writes the file and hands it to the opener. Throws db::DataError
    /// (lRunExcelError) when the file cannot be written.
    void show() override;

private:
    struct Workbook;
    std::unique_ptr<Workbook> m_book;
};

/// The sink every export starts with (a new instance per export).
using SpreadsheetFactory = std::function<std::unique_ptr<SpreadsheetSink>()>;
/// Replaces it; an empty factory gives back the program's own: a uniquely
/// named .xlsx in the temporary folder, opened through the workbook opener.
void setSpreadsheetFactory(SpreadsheetFactory factory);
/// Hands a written workbook to the desktop; false when nothing could open
/// it. The program's own asks the desktop's default application; tests
/// replace it so that no program starts. An empty opener gives it back.
void setWorkbookOpener(std::function<bool(const QString &path)> opener);

/// The visible columns of `grid` in the order its header shows them, titled
/// by their fields' display labels, and every row of its dataset (as
/// filtered) with the values as stored, into a new workbook that is then
/// shown. The grid's controls are disabled while the rows are read; the
/// dataset's current row and the grid's scroll position stay. Throws
/// db::DataError; after a failure no workbook is shown.
void ExportDBGrid(TqubDBGrid &grid);

/// The horizontal header's titles as the first sheet row, then every row of
/// `model`, all its columns, into a new workbook that is then shown. Each
/// text is trimmed; one that IsNumberText accepts is written as a number in
/// the program's locale. Throws db::DataError; after a failure the workbook
/// is shown with the cells written so far.
void ExportStringGrid(const QAbstractItemModel &model);

/// Whether ExportStringGrid writes `text` as a number: trimmed, it is made of
/// digits and commas and starts and ends with a digit (12, 1,5 and 1,2,3; not
/// 12.5, -3, ,5 or 5,).
bool IsNumberText(const QString &text);

/// The export behind ExportDBGrid: a title row of the fields' display labels,
/// then every visible row of `dataset`, read without moving its cursor, into
/// `sink` (not shown). Throws db::DataError, before writing anything when the
/// rows or columns do not fit on a worksheet.
void ExportDataset(db::Dataset &dataset, const std::vector<db::Field *> &fields, SpreadsheetSink &sink);
