#include "IniFile.h"

#include "engine/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace {

// Lines are kept as the file's own bytes so that rewriting one key leaves every
// other line (junk and invalid UTF-8 included) exactly as it was.
struct FileLines
{
    QList<QByteArray> lines; // without their line endings
    QByteArray content;      // the file as read
    bool readable = true;    // false when the file exists but cannot be read
};

enum class LineKind { Other, Section, Key };

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    QString name;    // section or key name, blanks removed
    QString value;   // key lines: the text after the first "=", blanks removed
    QString section; // key lines: the section they belong to
};

FileLines readLines(const QString &path)
{
    FileLines result;
    QFile file(path);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.readable = false;
        return result;
    }
    result.content = file.readAll();
    const QByteArray &content = result.content;
    if (content.isEmpty())
        return result;
    result.lines = content.split('\n');
    if (content.endsWith('\n'))
        result.lines.removeLast();
    for (QByteArray &line : result.lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return result;
}

QList<ParsedLine> parse(const QList<QByteArray> &lines)
{
    QList<ParsedLine> parsed;
    parsed.reserve(lines.size());
    QString section;
    bool inSection = false; // keys before the first header belong to no section
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString text = QString::fromUtf8(lines[i]);
        if (i == 0 && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        ParsedLine line;
        const QString trimmed = text.trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            if (close > 0) {
                line.kind = LineKind::Section;
                line.name = trimmed.mid(1, close - 1).trimmed();
                section = line.name;
                inSection = true;
            }
        } else if (inSection) {
            const qsizetype equals = text.indexOf(u'=');
            const QString key = equals > 0 ? text.left(equals).trimmed() : QString();
            if (!key.isEmpty()) {
                line.kind = LineKind::Key;
                line.name = key;
                line.value = text.mid(equals + 1).trimmed();
                line.section = section;
            }
        }
        parsed.append(line);
    }
    return parsed;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index of the first line holding `key` in `section`; a section that appears
// twice reads as one, the first occurrence of a key winning.
std::optional<qsizetype> findKey(const QList<ParsedLine> &parsed, const QString &section,
                                 const QString &key)
{
    for (qsizetype i = 0; i < parsed.size(); ++i) {
        const ParsedLine &line = parsed[i];
        if (line.kind == LineKind::Key && sameName(line.section, section) && sameName(line.name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<QString> rawValue(const QString &path, const QString &section, const QString &key)
{
    const QList<ParsedLine> parsed = parse(readLines(path).lines);
    if (const auto index = findKey(parsed, section, key))
        return parsed[*index].value;
    return std::nullopt;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

void checkWritable(const QString &section, const QString &key, const QString &value)
{
    if (section.isEmpty() || key.isEmpty() || section.contains(u']') || key.contains(u'=')
        || key.startsWith(u'['))
        throw db::DataError(QStringLiteral("Invalid key \"%1\" in section \"%2\"").arg(key, section));
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        throw db::DataError(
            QStringLiteral("The value of key \"%1\" cannot hold a line break").arg(key));
}

[[noreturn]] void cannotWrite(const QString &path, const QString &why)
{
    throw db::DataError(QStringLiteral("Cannot write the file %1: %2").arg(path, why));
}

// Rewrites the file where it is, for a folder in which no new file can be made
// (a settings file the user may change in a read-only program folder). The old
// text is overwritten rather than truncated first, and put back when the new
// one cannot be written: it fitted before, so it fits again.
void writeInPlace(const QString &path, const QByteArray &content, const QByteArray &original)
{
    QFile file(path);
    // Unbuffered, so that nothing of the failed text is still waiting to be
    // written when the old one goes back.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        cannotWrite(path, file.errorString());
    if (file.write(content) == content.size() && file.flush() && file.resize(content.size()))
        return;
    const QString why = file.errorString();
    file.unsetError();
    if (file.seek(0) && file.write(original) == original.size() && file.flush())
        file.resize(original.size());
    cannotWrite(path, why);
}

void saveLines(const QString &path, const QList<QByteArray> &lines, const QByteArray &original)
{
    QByteArray content;
    for (const QByteArray &line : lines) {
        content += line;
        content += "\r\n";
    }
    // The temporary file replaces the old one only when fully written, so a
    // full disk or a lost permission never leaves a truncated file behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QFileInfo target(path);
        if (target.isFile() && target.isWritable()) {
            writeInPlace(path, content, original);
            return;
        }
        cannotWrite(path, file.errorString());
    }
    file.write(content);
    if (!file.commit())
        cannotWrite(path, file.errorString());
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path) {}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const auto value = rawValue(m_path, section, key);
    if (!value)
        return defaultValue;
    return unquote(*value).left(MaxValueLength);
}

QString IniFile::readRawString(const QString &section, const QString &key,
                               const QString &defaultValue) const
{
    return rawValue(m_path, section, key).value_or(defaultValue);
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    checkWritable(sectionName, keyName, value);

    FileLines file = readLines(m_path);
    if (!file.readable) // rewriting would lose every other entry
        throw db::DataError(QStringLiteral("Cannot read the file %1").arg(m_path));
    QList<QByteArray> &lines = file.lines;
    const QList<ParsedLine> parsed = parse(lines);

    if (const auto index = findKey(parsed, sectionName, keyName)) {
        lines[*index] = (parsed[*index].name + u'=' + value).toUtf8();
    } else {
        const QByteArray newLine = (keyName + u'=' + value).toUtf8();
        qsizetype header = -1;
        for (qsizetype i = 0; i < parsed.size() && header < 0; ++i) {
            if (parsed[i].kind == LineKind::Section && sameName(parsed[i].name, sectionName))
                header = i;
        }
        if (header >= 0) {
            // After the section's last non-blank line, so that a blank line
            // separating it from the next section stays where it is.
            qsizetype end = header + 1;
            while (end < parsed.size() && parsed[end].kind != LineKind::Section)
                ++end;
            qsizetype last = end - 1;
            while (last > header && lines[last].trimmed().isEmpty())
                --last;
            lines.insert(last + 1, newLine);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QByteArray());
            lines.append((u'[' + sectionName + u']').toUtf8());
            lines.append(newLine);
        }
    }
    saveLines(m_path, lines, file.content);
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    return rawValue(m_path, section, key).has_value();
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    const QString text = readString(section, key);
    bool ok = false;
    qlonglong number = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        number = text.mid(2).toLongLong(&ok, 16);
    else
        number = text.toLongLong(&ok, 10);
    return ok ? number != 0 : defaultValue;
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const ParsedLine &line : parse(readLines(m_path).lines)) {
        if (line.kind == LineKind::Section && !names.contains(line.name, Qt::CaseInsensitive))
            names.append(line.name);
    }
    return names;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList names;
    for (const ParsedLine &line : parse(readLines(m_path).lines)) {
        if (line.kind == LineKind::Key && sameName(line.section, section)
            && !names.contains(line.name, Qt::CaseInsensitive))
            names.append(line.name);
    }
    return names;
}

QString IniFile::unquote(const QString &value)
{
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == u'\'' || value.front() == u'"'))
        return value.mid(1, value.size() - 2);
    return value;
}
