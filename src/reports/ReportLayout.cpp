#include "ReportLayout_p.h"

#include "DataU.h"
#include "Messages.h"
#include "Numbers.h"
#include "RowSource.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace reports {

namespace {

// Proportions of the page, in lines of the body font.
constexpr qreal kRowPadding = 0.12;     // above and below a row's text
constexpr qreal kGapAfterHeading = 0.6;
constexpr qreal kGapAfterHeader = 0.6;
constexpr qreal kGapAboveFooter = 0.8;
constexpr qreal kHeadingGrowth = 5;     // points the heading is larger than the body
// A yes shows as a tick, a no as nothing.
const QString kYes = QStringLiteral("\u2713");
// A row never takes more lines than this, however narrow its column.
constexpr int kMostLines = 12;

bool isTextual(db::FieldType type)
{
    return db::isText(type);
}

} // namespace

ReportLayout::ReportLayout(const ReportProject &project, const ReportDef &report, TData &data, const QDateTime &printTime)
    : m_report(report), m_data(data), m_printTime(printTime)
{
    m_body = QFont(project.fontFamily());
    m_body.setPointSizeF(project.fontSize());
    m_bold = m_body;
    m_bold.setBold(true);
    m_headingFont = m_bold;
    m_headingFont.setPointSizeF(project.fontSize() + kHeadingGrowth);
    m_small = m_body;
    m_small.setPointSizeF(std::max(4.0, project.fontSize() - 1));
    m_wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    m_rows = data.rowSource(report.rows);
    Q_ASSERT(m_rows); // checked by the project
    m_rowCount = std::max(0, m_rows->open());
    const std::vector<RowColumn> sourceColumns = m_rows->columns();
    for (const ReportColumn &def : report.columns) {
        Column column;
        column.source = m_rows->columnIndex(def.field);
        column.indent = def.indentBy.isEmpty() ? -1 : m_rows->columnIndex(def.indentBy);
        column.type = sourceColumns[size_t(column.source)].type;
        column.decimals = def.decimals;
        column.title = def.title.isEmpty() ? sourceColumns[size_t(column.source)].label : def.title;
        column.total = report.totals.contains(def.field, Qt::CaseInsensitive);
        m_columns.push_back(column);
    }
    // Every source the texts read starts a reading of its own, so that they
    // show the data as it is now.
    for (const auto *texts : {&report.headings, &report.header})
        for (const ReportText &text : *texts)
            for (const Placeholder &p : text.placeholders)
                if (p.kind != Placeholder::Kind::PrintDate && p.source.compare(report.rows, Qt::CaseInsensitive) != 0)
                    data.rowSource(p.source)->open();
    for (const ReportText &text : report.headings)
        if (const QString line = resolve(text); !line.isEmpty())
            m_headings << line;
    for (const ReportText &text : report.header)
        if (const QString line = resolve(text); !line.isEmpty())
            m_header << line;
}

// --- texts ---------------------------------------------------------------------------------------

QString ReportLayout::cellText(const QVariant &value, const Column &column) const
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (column.type) {
    case db::FieldType::Boolean:
        return value.toBool() ? kYes : QString();
    case db::FieldType::DateTime:
        return FormatDateTimeDefault(value.toDateTime());
    case db::FieldType::FixedChar:
        return value.toString().trimmed();
    case db::FieldType::String:
        return value.toString();
    default:
        // Numbers in the locale's way; fixed decimals with its grouping too.
        break;
    }
    return column.decimals >= 0 ? QLocale().toString(value.toDouble(), 'f', column.decimals)
                                : FormatGeneral(value.toDouble());
}

QString ReportLayout::placeholderText(const Placeholder &placeholder) const
{
    if (placeholder.kind == Placeholder::Kind::PrintDate)
        return FormatShortDate(m_printTime.date());
    RowSource *source = m_data.rowSource(placeholder.source);
    const int column = source->columnIndex(placeholder.field);
    const RowColumn definition = source->columns()[size_t(column)];
    if (placeholder.kind == Placeholder::Kind::Label)
        return definition.label;
    const int row = source->currentRow();
    if (row < 0)
        return QString();
    const QVariant value = source->value(row, column);
    // A yes/no field in a text is a mark: its label when yes.
    if (definition.type == db::FieldType::Boolean)
        return value.toBool() ? definition.label : QString();
    Column as;
    as.type = definition.type;
    return cellText(value, as);
}

QString ReportLayout::resolve(const ReportText &text) const
{
    QString result = text.pieces.value(0);
    bool anyValue = text.placeholders.empty();
    for (size_t i = 0; i < text.placeholders.size(); ++i) {
        const QString value = placeholderText(text.placeholders[i]);
        anyValue = anyValue || !value.isEmpty();
        result += value + text.pieces.value(qsizetype(i) + 1);
    }
    return anyValue ? result.trimmed() : QString();
}

qreal ReportLayout::indentOf(int row, const Column &column)
{
    if (column.indent < 0)
        return 0;
    return std::max(0, m_rows->value(row, column.indent).toInt() - 1) * m_indentStep;
}

Qt::Alignment ReportLayout::alignment(const Column &column) const
{
    if (db::isNumeric(column.type))
        return Qt::AlignRight | Qt::AlignTop;
    if (column.type == db::FieldType::Boolean)
        return Qt::AlignHCenter | Qt::AlignTop;
    return Qt::AlignLeft | Qt::AlignTop;
}

int ReportLayout::lineCount(const QString &text, const QFont &font, qreal width) const
{
    if (text.isEmpty())
        return 1;
    QTextLayout layout(text, font, m_device);
    layout.setTextOption(m_wrap);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid() && lines < kMostLines; line = layout.createLine()) {
        line.setLineWidth(std::max<qreal>(1, width));
        ++lines;
    }
    layout.endLayout();
    return std::max(1, lines);
}

// --- layout ----------------------------------------------------------------------------------------

void ReportLayout::placeColumns(qreal available)
{
    qreal natural = 0, fixed = 0, text = 0;
    for (const Column &c : m_columns) {
        natural += c.natural;
        (isTextual(c.type) ? text : fixed) += c.natural;
    }
    if (natural <= available) {
        // The spare width goes to the text columns, so the table spans the page.
        const qreal spare = available - natural;
        for (Column &c : m_columns)
            c.width = c.natural + (text > 0 ? (isTextual(c.type) ? spare * c.natural / text : 0)
                                             : spare * c.natural / natural);
    } else if (fixed < available * 0.8 && text > 0) {
        // Numbers and dates keep their width; text columns share the rest and wrap.
        const qreal share = available - fixed;
        for (Column &c : m_columns)
            c.width = isTextual(c.type) ? share * c.natural / text : c.natural;
    } else {
        for (Column &c : m_columns)
            c.width = available * c.natural / natural;
    }
    qreal x = 0;
    m_anyWrap = false;
    for (Column &c : m_columns) {
        c.x = x;
        x += c.width;
        m_anyWrap = m_anyWrap || c.width + 0.01 < c.natural;
    }
}

qreal ReportLayout::rowHeight(int row)
{
    int lines = 1;
    if (m_anyWrap) {
        for (const Column &c : m_columns) {
            if (c.width + 0.01 >= c.natural)
                continue;
            const qreal room = c.width - 2 * m_cellPad - indentOf(row, c);
            lines = std::max(lines, lineCount(cellText(m_rows->value(row, c.source), c), m_body, room));
        }
    }
    return lines * m_line + 2 * m_pad;
}

int ReportLayout::paginate(QPaintDevice &device)
{
    m_device = &device;
    const QFontMetricsF body(m_body, &device), bold(m_bold, &device), heading(m_headingFont, &device),
        small(m_small, &device);
    m_line = body.lineSpacing();
    m_pad = m_line * kRowPadding;
    m_cellPad = body.averageCharWidth();
    m_indentStep = body.averageCharWidth() * 2;
    m_width = device.width();
    m_height = device.height();

    // The widest text of every column, titles included, and the totals.
    for (Column &c : m_columns) {
        c.natural = bold.horizontalAdvance(c.title);
        c.sum = 0;
    }
    for (int row = 0; row < m_rowCount; ++row) {
        for (Column &c : m_columns) {
            const QVariant value = m_rows->value(row, c.source);
            if (c.total)
                c.sum += value.toDouble();
            c.natural = std::max(c.natural, body.horizontalAdvance(cellText(value, c)) + indentOf(row, c));
        }
    }
    for (Column &c : m_columns) {
        if (c.total)
            c.natural = std::max(c.natural, bold.horizontalAdvance(cellText(c.sum, c)));
        c.natural += 2 * m_cellPad;
    }
    if (!m_columns.empty() && !m_report.totalsTitle.isEmpty() && !m_columns.front().total)
        m_columns.front().natural =
            std::max(m_columns.front().natural, bold.horizontalAdvance(m_report.totalsTitle) + 2 * m_cellPad);
    placeColumns(m_width);

    // Headings and header lines wrap rather than run off the page.
    m_headingHeight = m_headings.isEmpty() ? 0 : kGapAfterHeading * m_line;
    for (const QString &line : m_headings)
        m_headingHeight += lineCount(line, m_headingFont, m_width) * heading.lineSpacing();
    m_headerHeight = m_header.isEmpty() ? 0 : kGapAfterHeader * m_line;
    for (const QString &line : m_header)
        m_headerHeight += lineCount(line, m_body, m_width) * m_line;
    int titleLines = 1;
    for (const Column &c : m_columns)
        titleLines = std::max(titleLines, lineCount(c.title, m_bold, c.width - 2 * m_cellPad));
    m_titleHeight = titleLines * bold.lineSpacing() + 2 * m_pad;
    m_footerHeight = small.lineSpacing() + kGapAboveFooter * m_line;
    const qreal totalsHeight = m_report.totals.isEmpty() && m_report.totalsTitle.isEmpty() ? 0 : bold.lineSpacing() + 3 * m_pad;

    m_pages.clear();
    const qreal bottom = m_height - m_footerHeight;
    Page page;
    qreal y = m_headingHeight + m_headerHeight + m_titleHeight;
    for (int row = 0; row < m_rowCount; ++row) {
        const qreal h = rowHeight(row);
        if (y + h > bottom && row > page.first) {
            page.last = row;
            m_pages.push_back(page);
            page = Page{row, row, false};
            y = m_headingHeight + m_titleHeight;
        }
        y += h;
    }
    page.last = m_rowCount;
    if (totalsHeight > 0 && y + totalsHeight > bottom && page.last > page.first) {
        m_pages.push_back(page);
        page = Page{m_rowCount, m_rowCount, false};
    }
    page.totals = totalsHeight > 0;
    m_pages.push_back(page);
    return pageCount();
}

// --- painting --------------------------------------------------------------------------------------

void ReportLayout::paintPage(QPainter &painter, int index)
{
    Q_ASSERT(index >= 0 && index < pageCount());
    const Page &page = m_pages[size_t(index)];
    const QFontMetricsF heading(m_headingFont, m_device), bold(m_bold, m_device), small(m_small, m_device);
    const QColor rule(Qt::darkGray);
    const qreal thin = std::max<qreal>(1, m_line / 20);
    qreal y = 0;

    painter.setPen(Qt::black);
    painter.setFont(m_headingFont);
    for (const QString &line : m_headings) {
        const qreal h = lineCount(line, m_headingFont, m_width) * heading.lineSpacing();
        painter.drawText(QRectF(0, y, m_width, h), line, m_wrap);
        y += h;
    }
    if (!m_headings.isEmpty())
        y += kGapAfterHeading * m_line;
    if (index == 0 && !m_header.isEmpty()) {
        painter.setFont(m_body);
        for (const QString &line : m_header) {
            const qreal h = lineCount(line, m_body, m_width) * m_line;
            painter.drawText(QRectF(0, y, m_width, h), line, m_wrap);
            y += h;
        }
        y += kGapAfterHeader * m_line;
    }

    // Column titles, repeated on every page.
    const qreal tableWidth = m_columns.empty() ? 0 : m_columns.back().x + m_columns.back().width;
    painter.fillRect(QRectF(0, y, tableWidth, m_titleHeight), QColor(232, 232, 232));
    painter.setFont(m_bold);
    for (const Column &c : m_columns) {
        QTextOption option = m_wrap;
        option.setAlignment(alignment(c) & ~Qt::AlignTop);
        painter.drawText(QRectF(c.x + m_cellPad, y + m_pad, c.width - 2 * m_cellPad, m_titleHeight), c.title, option);
    }
    y += m_titleHeight;
    painter.fillRect(QRectF(0, y - thin, tableWidth, thin), rule);

    painter.setFont(m_body);
    for (int row = page.first; row < page.last; ++row) {
        const qreal h = rowHeight(row);
        if (row % 2 == 1)
            painter.fillRect(QRectF(0, y, tableWidth, h), QColor(246, 246, 246));
        for (const Column &c : m_columns) {
            const QString text = cellText(m_rows->value(row, c.source), c);
            if (text.isEmpty())
                continue;
            const qreal indent = indentOf(row, c);
            QTextOption option = m_wrap;
            option.setAlignment(alignment(c) & ~Qt::AlignTop);
            painter.drawText(QRectF(c.x + m_cellPad + indent, y + m_pad, c.width - 2 * m_cellPad - indent, h), text,
                             option);
        }
        y += h;
    }

    if (page.totals) {
        painter.fillRect(QRectF(0, y, tableWidth, thin), rule);
        y += m_pad;
        painter.setFont(m_bold);
        for (size_t i = 0; i < m_columns.size(); ++i) {
            const Column &c = m_columns[i];
            const QRectF cell(c.x + m_cellPad, y + m_pad, c.width - 2 * m_cellPad, bold.lineSpacing());
            if (c.total)
                painter.drawText(cell, alignment(c), cellText(c.sum, c));
            else if (i == 0)
                painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop, m_report.totalsTitle);
        }
    }

    // The footer: the print date and the page number.
    const qreal footer = m_height - small.lineSpacing();
    painter.fillRect(QRectF(0, footer - kGapAboveFooter * m_line / 2, m_width, thin), rule);
    painter.setFont(m_small);
    painter.drawText(QRectF(0, footer, m_width / 2, small.lineSpacing()), Qt::AlignLeft | Qt::AlignTop,
                     FormatShortDate(m_printTime.date()));
    painter.drawText(QRectF(m_width / 2, footer, m_width / 2, small.lineSpacing()), Qt::AlignRight | Qt::AlignTop,
                     FormatMessage(Messages().lPageNumberMes, {QString::number(index + 1), QString::number(pageCount())}));
}

ReportLayout::Painted ReportLayout::paintAll(QPagedPaintDevice &device,
                                             const std::function<bool(int page, int count)> &beforePage)
{
    const int count = paginate(device);
    QPainter painter;
    if (!painter.begin(&device))
        return Painted::Failed;
    for (int page = 0; page < count; ++page) {
        if (beforePage && !beforePage(page + 1, count)) {
            painter.end();
            return Painted::Stopped;
        }
        if (page > 0 && !device.newPage()) {
            painter.end();
            return Painted::Failed;
        }
        paintPage(painter, page);
    }
    return painter.end() ? Painted::All : Painted::Failed;
}

} // namespace reports
