#pragma once
// The report project file read into report definitions. The format is
// described at the top of the shipped file (resources/repOrder.rav).

#include <QString>
#include <QStringList>

#include <vector>

class TData;

namespace reports {

/// A `{source.field}` in a text: the value of that column in the source's
/// current row, or with `:label` the column's localized label.
struct Placeholder
{
    enum class Kind { Value, Label, PrintDate };
    Kind kind = Kind::Value;
    QString source;
    QString field;
};

/// A text with placeholders, split into literal pieces and placeholders:
/// pieces[i] comes before placeholders[i]; one piece more than placeholders.
struct ReportText
{
    QStringList pieces;
    std::vector<Placeholder> placeholders;
    int line = 0;
};

struct ReportColumn
{
    QString field;
    QString title;      ///< empty: the column's localized label
    int decimals = -1;  ///< fixed decimals with the locale's grouping; -1: the general format
    QString indentBy;   ///< a level column: the text is indented one step per level below the first
    int line = 0;
};

struct ReportDef
{
    QString name;
    std::vector<ReportText> headings; ///< large lines at the top of every page
    std::vector<ReportText> header;   ///< lines under the heading, first page only
    QString rows;                     ///< the table's row source
    int rowsLine = 0;
    std::vector<ReportColumn> columns;
    QStringList totals;               ///< columns summed under the table
    QString totalsTitle;
    int totalsLine = 0;
    bool landscape = false;
};

class ReportProject
{
public:
    /// Reads the project file at `path`. Throws db::DataError naming the path
    /// when it is missing or unreadable, and naming file and line for a line
    /// the format does not allow.
    static ReportProject load(const QString &path);

    const QString &path() const { return m_path; }
    const QString &fontFamily() const { return m_fontFamily; }
    double fontSize() const { return m_fontSize; }
    const std::vector<ReportDef> &reports() const { return m_reports; }
    /// The report named `name` (letter case aside); null when none.
    const ReportDef *find(const QString &name) const;

    /// Checks that every source and field `report` names exists in the data
    /// module's row sources, and that totals are numeric columns of the
    /// table. Throws db::DataError naming file, line, report and field.
    void check(const ReportDef &report, TData &data) const;

private:
    QString m_path;
    QString m_fontFamily = QStringLiteral("DejaVu Sans");
    double m_fontSize = 9;
    std::vector<ReportDef> m_reports;
};

} // namespace reports
