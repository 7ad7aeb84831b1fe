#include "Export.h"

#include "Messages.h"
#include "Numbers.h"
#include "PartFile.h"
#include "engine/Dataset.h"
#include "widgets/qubDBGrid.h"

#include <QAbstractItemModel>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QUrl>

#include <xlsxwriter.h>

#include <optional>

namespace {

// What one worksheet holds.
constexpr int kMaxRows = LXW_ROW_MAX;
constexpr int kMaxColumns = LXW_COL_MAX;
constexpr qsizetype kMaxText = 32767; // characters in one cell

// Spreadsheet programs show the built-in formats 14 and 22 in the user's own
// short date (and time) format.
constexpr uint8_t kShortDateFormat = 14;
constexpr uint8_t kDateTimeFormat = 22;

db::DataError cannotStart()
{
    return db::DataError(Messages().lRunExcelError);
}

SpreadsheetFactory &factory()
{
    static SpreadsheetFactory current;
    return current;
}

std::function<bool(const QString &)> &opener()
{
    static std::function<bool(const QString &)> current;
    return current;
}

bool openWorkbook(const QString &path)
{
    if (opener())
        return opener()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

/// The program's own sink: a fresh .xlsx in the temporary folder, opened
/// for the user once written.
std::unique_ptr<SpreadsheetSink> programSink()
{
    // The name is taken here; the workbook is made beside it and renamed onto it.
    QTemporaryFile name(QDir(QDir::tempPath()).filePath(QStringLiteral("Quorvel-XXXXXX.xlsx")));
    name.setAutoRemove(false);
    if (!name.open())
        throw cannotStart();
    const QString path = name.fileName();
    name.close();
    return std::make_unique<XlsxSink>(path, [](const QString &written) {
        if (!openWorkbook(written))
            throw db::DataError(Messages().lRunExcelError + QDir::toNativeSeparators(written));
    });
}

std::unique_ptr<SpreadsheetSink> newSink()
{
    return factory() ? factory()() : programSink();
}

void checkSize(qint64 rows, qint64 columns)
{
    if (rows > kMaxRows || columns > kMaxColumns)
        throw db::DataError(FormatMessage(Messages().lSheetTooLargeMes,
                                          {QString::number(rows), QString::number(columns), QString::number(kMaxRows),
                                           QString::number(kMaxColumns)}));
}

/// Keeps a grid's dataset from telling its controls anything while the rows
/// are read, and puts the grid's scroll position back afterwards.
class QuietGrid
{
public:
    QuietGrid(TqubDBGrid &grid, db::Dataset &dataset)
        : m_grid(grid), m_dataset(dataset), m_vertical(grid.verticalScrollBar()->value()),
          m_horizontal(grid.horizontalScrollBar()->value())
    {
        m_dataset.disableControls();
    }
    ~QuietGrid()
    {
        m_dataset.enableControls();
        m_grid.verticalScrollBar()->setValue(m_vertical);
        m_grid.horizontalScrollBar()->setValue(m_horizontal);
    }
    QuietGrid(const QuietGrid &) = delete;
    QuietGrid &operator=(const QuietGrid &) = delete;

private:
    TqubDBGrid &m_grid;
    db::Dataset &m_dataset;
    int m_vertical, m_horizontal;
};

} // namespace

// --- the workbook ----------------------------------------------------------------------------------

struct XlsxSink::Workbook
{
    std::optional<PartFile> part;
    QString target;
    Opener opener;
    QByteArray tempDir;
    lxw_workbook *book = nullptr;
    lxw_worksheet *sheet = nullptr;
    lxw_format *date = nullptr;
    lxw_format *dateTime = nullptr;
    bool closed = false;

    ~Workbook()
    {
        // A workbook never shown (or never finished) is dropped with its part file.
        if (book && !closed)
            lxw_workbook_free(book);
    }
};

XlsxSink::XlsxSink(const QString &target, Opener opener) : m_book(std::make_unique<Workbook>())
{
    Workbook &w = *m_book;
    w.target = target;
    w.opener = std::move(opener);
    try {
        w.part.emplace(target, PartFile::Existing::Replace);
    } catch (const db::DataError &) {
        throw cannotStart();
    }
    w.tempDir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = 1;
    options.tmpdir = w.tempDir.data();
    options.use_zip64 = 1;
    const QByteArray path = QFile::encodeName(w.part->path());
    w.book = workbook_new_opt(path.constData(), &options);
    if (w.book)
        w.sheet = workbook_add_worksheet(w.book, nullptr);
    if (!w.sheet)
        throw cannotStart();
    w.date = workbook_add_format(w.book);
    format_set_num_format_index(w.date, kShortDateFormat);
    w.dateTime = workbook_add_format(w.book);
    format_set_num_format_index(w.dateTime, kDateTimeFormat);
}

XlsxSink::~XlsxSink() = default;

void XlsxSink::setCell(int row, int column, const QVariant &value)
{
    Workbook &w = *m_book;
    Q_ASSERT(!w.closed && row >= 1 && column >= 1);
    checkSize(row, column);
    if (!value.isValid() || value.isNull())
        return;
    const lxw_row_t r = lxw_row_t(row - 1);
    const lxw_col_t c = lxw_col_t(column - 1);
    lxw_error error = LXW_NO_ERROR;
    switch (value.typeId()) {
    case QMetaType::Bool:
        error = worksheet_write_boolean(w.sheet, r, c, value.toBool(), nullptr);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        error = worksheet_write_number(w.sheet, r, c, value.toDouble(), nullptr);
        break;
    case QMetaType::QDateTime:
    case QMetaType::QDate: {
        const QDateTime moment = value.toDateTime();
        const QDate day = moment.date();
        const QTime time = moment.time();
        // Before 1900 a worksheet has no dates: such a value stays readable as text.
        if (day.year() >= 1900 && day.year() <= 9999) {
            lxw_datetime when{day.year(), day.month(), day.day(), time.hour(), time.minute(),
                              time.second() + time.msec() / 1000.0};
            const bool midnight = time == QTime(0, 0);
            error = worksheet_write_datetime(w.sheet, r, c, &when, midnight ? w.date : w.dateTime);
            break;
        }
        [[fallthrough]];
    }
    default: {
        // Always a string, so that a text starting with "=" never becomes a formula.
        const QString text = value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate
            ? FormatDateTimeDefault(value.toDateTime())
            : value.toString();
        // An empty text leaves the cell empty, as no value does.
        if (text.isEmpty())
            return;
        if (text.size() > kMaxText)
            throw db::DataError(FormatMessage(Messages().lCellTooLongMes, {QString::number(row), QString::number(column),
                                                                           QString::number(text.size())}));
        error = worksheet_write_string(w.sheet, r, c, text.toUtf8().constData(), nullptr);
        break;
    }
    }
    if (error != LXW_NO_ERROR)
        throw db::DataError(QStringLiteral("Cell (%1, %2): %3").arg(row).arg(column).arg(QString::fromUtf8(lxw_strerror(error))));
}

void XlsxSink::show()
{
    Workbook &w = *m_book;
    Q_ASSERT(!w.closed);
    w.closed = true; // the workbook is freed by closing, whatever the result
    if (workbook_close(w.book) != LXW_NO_ERROR)
        throw cannotStart();
    try {
        w.part->commit();
    } catch (const db::DataError &) {
        throw cannotStart();
    }
    if (w.opener)
        w.opener(w.target);
}

void setSpreadsheetFactory(SpreadsheetFactory replacement)
{
    factory() = std::move(replacement);
}

void setWorkbookOpener(std::function<bool(const QString &path)> replacement)
{
    opener() = std::move(replacement);
}

// --- the exports ----------------------------------------------------------------------------------

bool IsNumberText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    for (qsizetype i = 0; i + 1 < t.size(); ++i)
        if (!digit(t[i]) && t[i] != u',')
            return false;
    return digit(t.front()) && digit(t.back());
}

void ExportDataset(db::Dataset &dataset, const std::vector<db::Field *> &fields, SpreadsheetSink &sink)
{
    const int rows = dataset.isActive() ? dataset.recordCount() : 0;
    checkSize(qint64(rows) + 1, qint64(fields.size()));
    int column = 0;
    for (const db::Field *field : fields)
        sink.setCell(1, ++column, field->displayLabel());
    for (int row = 0; row < rows; ++row) {
        column = 0;
        for (const db::Field *field : fields)
            sink.setCell(row + 2, ++column, dataset.valueAt(row, field));
    }
}

void ExportDBGrid(TqubDBGrid &grid)
{
    db::Dataset *dataset = grid.dataset();
    std::vector<db::Field *> fields;
    const QHeaderView *header = grid.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        if (db::Field *field = grid.columnField(logical))
            fields.push_back(field);
    }
    std::unique_ptr<SpreadsheetSink> sink = newSink();
    if (dataset) {
        const QuietGrid quiet(grid, *dataset);
        ExportDataset(*dataset, fields, *sink);
    } else {
        checkSize(1, qint64(fields.size()));
    }
    sink->show();
}

void ExportStringGrid(const QAbstractItemModel &model)
{
    const int rows = model.rowCount(), columns = model.columnCount();
    checkSize(qint64(rows) + 1, columns);
    std::unique_ptr<SpreadsheetSink> sink = newSink();
    const auto write = [&sink](int row, int column, const QString &cell) {
        const QString text = cell.trimmed();
        if (!IsNumberText(text)) {
            // An empty cell of the grid is no cell of the sheet.
            sink->setCell(row, column, text.isEmpty() ? QVariant() : QVariant(text));
            return;
        }
        bool ok = false;
        const double number = QLocale().toDouble(text, &ok);
        if (!ok)
            throw db::DataError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
        sink->setCell(row, column, number);
    };
    try {
        for (int c = 0; c < columns; ++c)
            write(1, c + 1, model.headerData(c, Qt::Horizontal).toString());
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                write(r + 2, c + 1, model.data(model.index(r, c)).toString());
    } catch (const db::DataError &) {
        // The user sees how far the export came.
        sink->show();
        throw;
    }
    sink->show();
}
