#pragma once
// One run of a report: its row sources read, its pages laid out on a paint
// device (a PDF writer or a printer) and painted one by one. Every page
// repeats the heading and the column titles and ends with the print date and
// "Page n of N"; the first page carries the header lines, the last the totals.

#include "ReportProject_p.h"
#include "engine/FieldType.h"

#include <QDateTime>
#include <QFont>
#include <QString>
#include <QTextOption>

#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QPaintDevice;
class RowSource;
class TData;

namespace reports {

class ReportLayout
{
public:
    /// Opens the report's row sources; `printTime` is the print date shown.
    /// The project must have checked the report (ReportProject::check).
    ReportLayout(const ReportProject &project, const ReportDef &report, TData &data, const QDateTime &printTime);

    /// Lays the pages out for `device`'s paper and resolution; at least one
    /// page, even for a source without rows.
    int paginate(QPaintDevice &device);
    int pageCount() const { return int(m_pages.size()); }
    /// Paints page `page` (from 0) with `painter`, begun on the device laid out for.
    void paintPage(QPainter &painter, int page);

    enum class Painted { All, Stopped, Failed };
    /// Lays out and paints every page on `device`, beginning and ending its
    /// painter. `beforePage(page, count)` runs before each page (from 1) and
    /// returns false to stop there. Failed: the device could not be painted on.
    Painted paintAll(QPagedPaintDevice &device, const std::function<bool(int page, int count)> &beforePage);

private:
    struct Column
    {
        int source = -1;  ///< the column of the row source
        int indent = -1;  ///< the level column indenting it; -1 for none
        db::FieldType type = db::FieldType::String;
        int decimals = -1;
        QString title;
        bool total = false;
        double sum = 0;
        qreal x = 0;
        qreal width = 0;
        qreal natural = 0;
    };
    struct Page
    {
        int first = 0;
        int last = 0; ///< one past the page's last row
        bool totals = false;
    };

    QString cellText(const QVariant &value, const Column &column) const;
    QString placeholderText(const Placeholder &placeholder) const;
    /// The text, or empty when every placeholder of a text that has some came out empty.
    QString resolve(const ReportText &text) const;
    qreal indentOf(int row, const Column &column);
    Qt::Alignment alignment(const Column &column) const;
    int lineCount(const QString &text, const QFont &font, qreal width) const;
    void placeColumns(qreal available);
    qreal rowHeight(int row);

    const ReportDef &m_report;
    TData &m_data;
    QDateTime m_printTime;
    RowSource *m_rows = nullptr;
    int m_rowCount = 0;
    std::vector<Column> m_columns;
    QStringList m_headings;
    QStringList m_header;

    QPaintDevice *m_device = nullptr;
    QFont m_body, m_bold, m_headingFont, m_small;
    QTextOption m_wrap;
    qreal m_line = 0, m_pad = 0, m_cellPad = 0, m_indentStep = 0;
    qreal m_width = 0, m_height = 0;
    qreal m_headingHeight = 0, m_headerHeight = 0, m_titleHeight = 0, m_footerHeight = 0;
    bool m_anyWrap = false;
    std::vector<Page> m_pages;
};

} // namespace reports
