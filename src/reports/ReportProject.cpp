#include "ReportProject_p.h"

#include "DataU.h"
#include "RowSource.h"
#include "engine/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <map>

namespace reports {

namespace {

const QString kProjectSection = QStringLiteral("Project");

/// A failure at a line of the file, in the engine's own words.
[[noreturn]] void fail(const QString &path, int line, const QString &what)
{
    throw db::DataError(QStringLiteral("%1, line %2: %3").arg(path).arg(line).arg(what));
}

QString inReport(const QString &report, const QString &what)
{
    return QStringLiteral("report \"%1\": %2").arg(report, what);
}

/// Splits "Column12" into ("column", 12); a key without a number gives -1.
std::pair<QString, int> splitKey(const QString &key)
{
    qsizetype digits = key.size();
    while (digits > 0 && key[digits - 1].isDigit())
        --digits;
    if (digits == key.size())
        return {key.toLower(), -1};
    bool ok = false;
    const int number = key.mid(digits).toInt(&ok);
    return {key.left(digits).toLower(), ok && number > 0 ? number : 0};
}

class Parser
{
public:
    explicit Parser(const QString &path) : m_path(path) {}

    /// A text with `{source.field}`, `{source.field:label}` and `{printdate}`;
    /// `{{` and `}}` stand for the braces themselves.
    ReportText text(const QString &value, int line, const QString &report) const
    {
        ReportText result;
        result.line = line;
        QString piece;
        for (qsizetype i = 0; i < value.size(); ++i) {
            const QChar c = value[i];
            if ((c == u'{' || c == u'}') && i + 1 < value.size() && value[i + 1] == c) {
                piece += c;
                ++i;
                continue;
            }
            if (c == u'}')
                fail(m_path, line, inReport(report, QStringLiteral("a \"}\" without its \"{\"")));
            if (c != u'{') {
                piece += c;
                continue;
            }
            const qsizetype close = value.indexOf(u'}', i + 1);
            if (close < 0)
                fail(m_path, line, inReport(report, QStringLiteral("a \"{\" without its \"}\"")));
            result.pieces << piece;
            piece.clear();
            result.placeholders.push_back(placeholder(value.mid(i + 1, close - i - 1).trimmed(), line, report));
            i = close;
        }
        result.pieces << piece;
        return result;
    }

    ReportColumn column(const QString &value, int line, const QString &report) const
    {
        ReportColumn column;
        column.line = line;
        const QStringList parts = value.split(u';');
        column.field = parts[0].trimmed();
        if (!isName(column.field))
            fail(m_path, line, inReport(report, QStringLiteral("\"%1\" is not a field name").arg(column.field)));
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QString part = parts[i].trimmed();
            const qsizetype equals = part.indexOf(u'=');
            const QString key = part.left(equals).trimmed().toLower();
            const QString setting = equals < 0 ? QString() : part.mid(equals + 1).trimmed();
            bool ok = equals > 0;
            if (ok && key == u"title") {
                column.title = setting;
            } else if (ok && key == u"decimals") {
                column.decimals = setting.toInt(&ok);
                ok = ok && column.decimals >= 0 && column.decimals <= 6;
            } else if (ok && key == u"indent") {
                column.indentBy = setting;
                ok = isName(setting);
            } else {
                ok = false;
            }
            if (!ok)
                fail(m_path, line,
                     inReport(report, QStringLiteral("\"%1\" is not a column setting (title=, decimals=0..6, "
                                                     "indent=<level field>)")
                                          .arg(part)));
        }
        return column;
    }

private:
    static bool isName(const QString &name)
    {
        static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
        return pattern.match(name).hasMatch();
    }

    Placeholder placeholder(const QString &inside, int line, const QString &report) const
    {
        Placeholder result;
        if (inside.compare(QStringLiteral("printdate"), Qt::CaseInsensitive) == 0) {
            result.kind = Placeholder::Kind::PrintDate;
            return result;
        }
        QString reference = inside;
        const qsizetype colon = inside.indexOf(u':');
        if (colon >= 0) {
            if (inside.mid(colon + 1).trimmed().compare(QStringLiteral("label"), Qt::CaseInsensitive) != 0)
                fail(m_path, line, inReport(report, QStringLiteral("\"{%1}\": only \":label\" may follow a field").arg(inside)));
            result.kind = Placeholder::Kind::Label;
            reference = inside.left(colon).trimmed();
        }
        const qsizetype dot = reference.indexOf(u'.');
        result.source = reference.left(dot);
        result.field = reference.mid(dot + 1);
        if (dot < 0 || !isName(result.source) || !isName(result.field))
            fail(m_path, line,
                 inReport(report, QStringLiteral("\"{%1}\" is not {source.field}, {source.field:label} or {printdate}")
                                      .arg(inside)));
        return result;
    }

    QString m_path;
};

} // namespace

ReportProject ReportProject::load(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        throw db::DataError(QStringLiteral("The report project file %1 cannot be found.").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw db::DataError(QStringLiteral("The report project file %1 cannot be read: %2").arg(path, file.errorString()));
    QString content = QString::fromUtf8(file.readAll());
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);

    ReportProject project;
    project.m_path = path;
    const Parser parser(path);

    // Numbered entries of the report being read, put in number order at its end.
    struct Numbered
    {
        std::map<int, ReportText> headings, header;
        std::map<int, ReportColumn> columns;
    } numbered;
    ReportDef *report = nullptr;
    bool inProject = false;
    int sectionLine = 0;
    QStringList keysSeen;

    const auto finishReport = [&] {
        if (!report)
            return;
        for (auto &[n, text] : numbered.headings)
            report->headings.push_back(std::move(text));
        for (auto &[n, text] : numbered.header)
            report->header.push_back(std::move(text));
        for (auto &[n, column] : numbered.columns)
            report->columns.push_back(std::move(column));
        numbered = {};
        if (report->rows.isEmpty() || report->columns.empty())
            fail(path, sectionLine, inReport(report->name, QStringLiteral("a report needs Rows= and at least one Column1=")));
        report = nullptr;
    };

    const QStringList lines = content.split(u'\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const int line = int(index + 1);
        const QString text = lines[index].trimmed();
        if (text.isEmpty() || text.startsWith(u';') || text.startsWith(u'#'))
            continue;
        if (text.startsWith(u'[')) {
            if (!text.endsWith(u']') || text.size() < 3)
                fail(path, line, QStringLiteral("\"%1\" is not a section heading [name]").arg(text));
            finishReport();
            const QString name = text.mid(1, text.size() - 2).trimmed();
            sectionLine = line;
            keysSeen.clear();
            inProject = name.compare(kProjectSection, Qt::CaseInsensitive) == 0;
            if (!inProject) {
                if (project.find(name))
                    fail(path, line, QStringLiteral("the report \"%1\" is defined twice").arg(name));
                project.m_reports.push_back(ReportDef{});
                report = &project.m_reports.back();
                report->name = name;
            }
            continue;
        }
        const qsizetype equals = text.indexOf(u'=');
        if (equals <= 0)
            fail(path, line, QStringLiteral("\"%1\" is neither a section heading nor key=value").arg(text));
        if (!inProject && !report)
            fail(path, line, QStringLiteral("\"%1\" comes before any section").arg(text));
        const QString key = text.left(equals).trimmed();
        const QString value = text.mid(equals + 1).trimmed();
        if (keysSeen.contains(key, Qt::CaseInsensitive))
            fail(path, line, QStringLiteral("the key \"%1\" is given twice in its section").arg(key));
        keysSeen << key;

        const auto [word, number] = splitKey(key);
        if (inProject) {
            bool ok = number < 0;
            if (ok && word == u"font") {
                ok = !value.isEmpty();
                project.m_fontFamily = value;
            } else if (ok && word == u"fontsize") {
                project.m_fontSize = value.toDouble(&ok);
                ok = ok && project.m_fontSize >= 4 && project.m_fontSize <= 72;
            } else {
                ok = false;
            }
            if (!ok)
                fail(path, line, QStringLiteral("\"%1\" is not a project setting (Font=<family>, FontSize=4..72)").arg(text));
            continue;
        }

        const QString &name = report->name;
        const auto needsNumber = [&] {
            if (number <= 0)
                fail(path, line, inReport(name, QStringLiteral("\"%1\" needs a number from 1, as in %2%3").arg(key, key, QStringLiteral("1"))));
        };
        if (word == u"heading") {
            needsNumber();
            numbered.headings[number] = parser.text(value, line, name);
        } else if (word == u"header") {
            needsNumber();
            numbered.header[number] = parser.text(value, line, name);
        } else if (word == u"column") {
            needsNumber();
            numbered.columns[number] = parser.column(value, line, name);
        } else if (number < 0 && word == u"rows") {
            report->rows = value;
            report->rowsLine = line;
        } else if (number < 0 && word == u"totals") {
            for (const QString &field : value.split(u',', Qt::SkipEmptyParts))
                report->totals << field.trimmed();
            report->totalsLine = line;
        } else if (number < 0 && word == u"totalstitle") {
            report->totalsTitle = value;
        } else if (number < 0 && word == u"orientation") {
            if (value.compare(QStringLiteral("landscape"), Qt::CaseInsensitive) == 0)
                report->landscape = true;
            else if (value.compare(QStringLiteral("portrait"), Qt::CaseInsensitive) != 0)
                fail(path, line, inReport(name, QStringLiteral("Orientation is Portrait or Landscape, not \"%1\"").arg(value)));
        } else {
            fail(path, line, inReport(name, QStringLiteral("unknown key \"%1\"").arg(key)));
        }
    }
    finishReport();
    return project;
}

const ReportDef *ReportProject::find(const QString &name) const
{
    for (const ReportDef &report : m_reports)
        if (report.name.compare(name, Qt::CaseInsensitive) == 0)
            return &report;
    return nullptr;
}

void ReportProject::check(const ReportDef &report, TData &data) const
{
    const auto source = [&](const QString &name, int line) -> RowSource & {
        RowSource *found = data.rowSource(name);
        if (!found)
            fail(m_path, line, inReport(report.name, QStringLiteral("there is no row source \"%1\"").arg(name)));
        return *found;
    };
    const auto field = [&](RowSource &from, const QString &name, int line) {
        const int index = from.columnIndex(name);
        if (index < 0)
            fail(m_path, line,
                 inReport(report.name, QStringLiteral("the row source %1 has no field \"%2\"").arg(from.name(), name)));
        return from.columns()[size_t(index)];
    };
    for (const auto *texts : {&report.headings, &report.header})
        for (const ReportText &text : *texts)
            for (const Placeholder &p : text.placeholders)
                if (p.kind != Placeholder::Kind::PrintDate)
                    field(source(p.source, text.line), p.field, text.line);

    RowSource &rows = source(report.rows, report.rowsLine);
    QStringList shown;
    for (const ReportColumn &column : report.columns) {
        field(rows, column.field, column.line);
        if (!column.indentBy.isEmpty())
            field(rows, column.indentBy, column.line);
        shown << column.field;
    }
    for (const QString &total : report.totals) {
        if (!shown.contains(total, Qt::CaseInsensitive))
            fail(m_path, report.totalsLine,
                 inReport(report.name, QStringLiteral("the total \"%1\" is not one of the report's columns").arg(total)));
        if (!db::isNumeric(field(rows, total, report.totalsLine).type))
            fail(m_path, report.totalsLine,
                 inReport(report.name, QStringLiteral("the total \"%1\" is not a number column").arg(total)));
    }
}

} // namespace reports
