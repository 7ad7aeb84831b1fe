#include "IniFile.h"

#include "engine/Errors.h"

#include <QDateTime>
#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <tuple>

namespace {

enum class LineKind { Other, Section, Key };

/// One line of the file, as positions in the file's text: nothing is copied
/// or decoded until it is asked for, so a translator's 10 MB file costs one
/// pass over its bytes.
struct Line
{
    qint32 start = 0;  // in the text
    qint32 length = 0; // without the line end
    qint32 nameStart = 0, nameLength = 0;   // section or key name, blanks removed
    qint32 valueStart = 0, valueLength = 0; // key lines: after the first "=", blanks removed
    qint32 section = -1; // the line of the first header of the section it is in (or heads)
    LineKind kind = LineKind::Other;
};

/// How the file's text is held in bytes: by its byte-order mark.
enum class Encoding { Plain, Utf8Mark, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct Mark
{
    Encoding encoding;
    QByteArrayView bytes;
    QStringConverter::Encoding converter;
};

// UTF-32 first: its little-endian mark starts like UTF-16's.
const Mark kMarks[] = {
    {Encoding::Utf32LE, QByteArrayView("\xFF\xFE\x00\x00", 4), QStringConverter::Utf32LE},
    {Encoding::Utf32BE, QByteArrayView("\x00\x00\xFE\xFF", 4), QStringConverter::Utf32BE},
    {Encoding::Utf8Mark, QByteArrayView("\xEF\xBB\xBF", 3), QStringConverter::Utf8},
    {Encoding::Utf16LE, QByteArrayView("\xFF\xFE", 2), QStringConverter::Utf16LE},
    {Encoding::Utf16BE, QByteArrayView("\xFE\xFF", 2), QStringConverter::Utf16BE},
};

const Mark *markOf(const QByteArray &bytes)
{
    for (const Mark &mark : kMarks)
        if (bytes.startsWith(mark.bytes))
            return &mark;
    return nullptr;
}

const Mark &markFor(Encoding encoding)
{
    for (const Mark &mark : kMarks)
        if (mark.encoding == encoding)
            return mark;
    Q_UNREACHABLE();
}

/// UTF-8 as it stands: a byte-order mark inside the text (at the start of a
/// name, say) is a character of it, not something to drop.
QString fromUtf8(QByteArrayView bytes)
{
    QStringDecoder decode(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decode(bytes);
}

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

/// A name as the index holds it. Names compare without regard to letter
/// case: an ASCII name (nearly all) as it stands, compared and hashed with
/// its letters lowered; any other name case-folded first.
QByteArray folded(const QString &name)
{
    const QByteArray bytes = name.toUtf8();
    return isAscii(bytes) ? bytes : name.toCaseFolded().toUtf8();
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

/// A key of the index: a section (by the line of its first header; -1 for
/// the sections themselves) and a name as folded() gives it, with its hash
/// made once: the index compares keys at every probe.
struct NameKey
{
    NameKey(qsizetype section, QByteArrayView name) : section(qint32(section)), name(name)
    {
        std::uint64_t h = 14695981039346656037ull ^ std::uint64_t(std::uint32_t(section)); // FNV-1a
        for (const char c : name)
            h = (h ^ std::uint8_t(lowered(c))) * 1099511628211ull;
        hash = size_t(h ^ (h >> 29));
    }
    qint32 section;
    QByteArrayView name;
    size_t hash;

    friend bool operator==(const NameKey &a, const NameKey &b)
    {
        return a.hash == b.hash && a.section == b.section && a.name.size() == b.name.size()
            && std::equal(a.name.begin(), a.name.end(), b.name.begin(),
                          [](char x, char y) { return lowered(x) == lowered(y); });
    }
    friend size_t qHash(const NameKey &key, size_t seed = 0) { return key.hash ^ seed; }
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

/// [from, to) of `text` without blanks at either end.
std::pair<qsizetype, qsizetype> trimmed(QByteArrayView text, qsizetype from, qsizetype to)
{
    while (from < to && isBlank(text[from]))
        ++from;
    while (to > from && isBlank(text[to - 1]))
        --to;
    return {from, to};
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

} // namespace

/// The file as read: its text (UTF-8 without the mark; a file without a mark
/// keeps its own bytes, junk included), its lines and where each section and
/// key stands.
struct IniFile::Content
{
    bool exists = false;
    bool readable = true;    // false when the file exists but cannot be read
    QString writeProblem;    // why it cannot be written back; empty when it can
    Encoding encoding = Encoding::Plain;
    QByteArray original;     // the file's bytes as read
    QDateTime modified;      // the file's stamp when read
    qint64 size = -1;

    QByteArray text;
    std::vector<Line> lines;
    // The index holds views: ASCII names (nearly all) into the text, others
    // case-folded into `foldedNames`.
    mutable std::vector<QByteArray> foldedNames;
    mutable std::vector<qint32> indexedSections; // whose keys are in `names`
    mutable QHash<NameKey, qsizetype> names; // {-1, section} → its first header; {header, key} → its first line

    /// The line of `section`'s first header, or of `key`'s first occurrence in it; -1 when none.
    qsizetype findSection(const QString &section) const;
    qsizetype findKey(const QString &section, const QString &key) const;
    QByteArrayView foldedName(qsizetype start, qsizetype length) const;
    void indexKeys(qint32 header) const;

    static std::unique_ptr<Content> read(const QString &path);
    bool isCurrent(const QString &path) const;
    void index();

    QByteArrayView bytesOf(const Line &line) const { return QByteArrayView(text).sliced(line.start, line.length); }
    QString nameOf(const Line &line) const
    {
        return fromUtf8(QByteArrayView(text).sliced(line.nameStart, line.nameLength));
    }
    QString valueOf(const Line &line) const
    {
        return fromUtf8(QByteArrayView(text).sliced(line.valueStart, line.valueLength));
    }
    bool isBlankLine(const Line &line) const
    {
        return trimmed(text, line.start, line.start + line.length).first == line.start + line.length;
    }

    /// The file's text with `writes` made: a key already there changes in its
    /// line, a new key joins its section, a new section the end.
    QByteArray withWrites(const std::vector<Write> &writes) const;
    /// `text` in the file's own encoding, mark included.
    QByteArray encoded(const QByteArray &text) const;
};

std::unique_ptr<IniFile::Content> IniFile::Content::read(const QString &path)
{
    auto content = std::make_unique<Content>();
    QFile file(path);
    const QFileInfo info(path);
    content->exists = info.exists();
    content->modified = info.lastModified();
    content->size = info.size();
    if (!content->exists)
        return content;
    if (!file.open(QIODevice::ReadOnly)) {
        content->readable = false;
        return content;
    }
    // Lines are kept as 32-bit positions; no settings file comes near 2 GB.
    if (file.size() >= std::numeric_limits<qint32>::max() / 2) {
        content->readable = false;
        return content;
    }
    content->original = file.readAll();

    QByteArray text = content->original;
    if (const Mark *mark = markOf(text)) {
        content->encoding = mark->encoding;
        text.remove(0, mark->bytes.size());
        if (mark->encoding != Encoding::Utf8Mark) {
            QStringDecoder decoder(mark->converter,
                                   QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
            text = QString(decoder(text)).toUtf8();
            // The text is kept in UTF-8: the file is written back only if
            // that way leads to the very bytes it holds.
            QStringEncoder encoder(mark->converter);
            if (decoder.hasError()
                || QByteArray(encoder(fromUtf8(text))) != content->original.mid(mark->bytes.size()))
                content->writeProblem = QStringLiteral("The file %1 holds text its encoding cannot carry back "
                                                       "unchanged; the program leaves it as it is")
                                            .arg(path);
        }
    }
    content->text = std::move(text);
    content->index();
    return content;
}

bool IniFile::Content::isCurrent(const QString &path) const
{
    const QFileInfo info(path);
    return info.exists() == exists && (!exists || (info.lastModified() == modified && info.size() == size));
}

void IniFile::Content::index()
{
    lines.clear();
    names.clear();
    foldedNames.clear();
    indexedSections.clear();
    const qsizetype size = text.size();
    qint32 section = -1; // keys before the first header belong to no section
    for (qsizetype start = 0; start < size;) {
        const char *newline = static_cast<const char *>(std::memchr(text.constData() + start, '\n', size_t(size - start)));
        const qsizetype end = newline ? newline - text.constData() : size;
        Line line;
        line.start = start;
        line.length = end - start - (end > start && text[end - 1] == '\r' ? 1 : 0);
        const auto [first, last] = trimmed(text, start, start + line.length);
        if (first < last && text[first] == '[') {
            const qsizetype close = text.indexOf(']', first);
            if (close > first && close < last) {
                line.kind = LineKind::Section;
                std::tie(line.nameStart, line.nameLength) = trimmed(text, first + 1, close);
                line.nameLength -= line.nameStart;
                section = qint32(lines.size());
            }
        } else if (section >= 0) {
            const char *sign = static_cast<const char *>(std::memchr(text.constData() + start, '=', size_t(line.length)));
            const qsizetype equals = sign ? sign - text.constData() : -1;
            if (equals > start) {
                const auto [keyFirst, keyEnd] = trimmed(text, start, equals);
                if (keyFirst < keyEnd) {
                    line.kind = LineKind::Key;
                    line.nameStart = keyFirst;
                    line.nameLength = keyEnd - keyFirst;
                    const auto [valueFirst, valueEnd] = trimmed(text, equals + 1, start + line.length);
                    line.valueStart = valueFirst;
                    line.valueLength = valueEnd - valueFirst;
                    line.section = section;
                }
            }
        }
        lines.push_back(line);
        start = newline ? end + 1 : size;
    }
    // A section that appears twice reads as one, under its first header.
    // Backwards, so that the first header is the one inserted last.
    for (qsizetype i = qsizetype(lines.size()) - 1; i >= 0; --i)
        if (const Line &line = lines[std::size_t(i)]; line.kind == LineKind::Section)
            names.insert(NameKey(-1, foldedName(line.nameStart, line.nameLength)), i);
    // Every header and key learns the first header of its section.
    for (Line &line : lines) {
        if (line.kind == LineKind::Section)
            line.section = qint32(names.value(NameKey(-1, foldedName(line.nameStart, line.nameLength))));
        else if (line.kind == LineKind::Key)
            line.section = lines[std::size_t(line.section)].section;
    }
}

void IniFile::Content::indexKeys(qint32 header) const
{
    // Only the sections the program asks for are indexed: a translator's
    // glossary of many thousand keys costs nothing but its reading. Of a
    // key that appears twice the first occurrence wins: backwards, so that
    // it is the one inserted last.
    const auto inSection = [header](const Line &line) { return line.kind == LineKind::Key && line.section == header; };
    names.reserve(names.size() + qsizetype(std::count_if(lines.begin(), lines.end(), inSection)));
    for (qsizetype i = qsizetype(lines.size()) - 1; i >= 0; --i)
        if (const Line &line = lines[std::size_t(i)]; inSection(line))
            names.insert(NameKey(header, foldedName(line.nameStart, line.nameLength)), i);
    indexedSections.push_back(header);
}

QByteArrayView IniFile::Content::foldedName(qsizetype start, qsizetype length) const
{
    const QByteArrayView name = QByteArrayView(text).sliced(start, length);
    if (isAscii(name))
        return name;
    foldedNames.push_back(folded(fromUtf8(QByteArrayView(text).sliced(start, length))));
    return foldedNames.back();
}

qsizetype IniFile::Content::findSection(const QString &section) const
{
    const QByteArray name = folded(section);
    return names.value(NameKey(-1, name), -1);
}

qsizetype IniFile::Content::findKey(const QString &section, const QString &key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return -1;
    if (std::find(indexedSections.begin(), indexedSections.end(), header) == indexedSections.end())
        indexKeys(qint32(header));
    const QByteArray name = folded(key);
    return names.value(NameKey(qint32(header), name), -1);
}

QByteArray IniFile::Content::withWrites(const std::vector<Write> &writes) const
{
    // New keys are gathered per section and placed after the last line that
    // is not blank of the section's first occurrence (a blank line separating
    // it from the next section stays where it is); new sections go to the
    // end, each after a blank line.
    struct Added
    {
        QString name;
        QList<QByteArray> lines;
        QHash<QByteArray, qsizetype> keys; // folded, lowered key → index in lines
    };
    std::vector<Added> added; // in the order the sections first received a key
    QHash<QByteArray, std::size_t> addedIndex;
    QHash<qsizetype, QByteArray> changed; // line → its new text
    for (const Write &write : writes) {
        if (const qsizetype found = findKey(write.section, write.key); found >= 0) {
            changed.insert(found, (nameOf(lines[std::size_t(found)]) + u'=' + write.value).toUtf8());
            continue;
        }
        const QByteArray section = folded(write.section).toLower();
        auto group = addedIndex.constFind(section);
        if (group == addedIndex.constEnd()) {
            added.push_back({write.section, {}, {}});
            group = addedIndex.insert(section, added.size() - 1);
        }
        Added &target = added[*group];
        const QByteArray line = (write.key + u'=' + write.value).toUtf8();
        const QByteArray key = folded(write.key).toLower();
        if (const auto again = target.keys.constFind(key); again != target.keys.constEnd()) {
            target.lines[*again] = line;
        } else {
            target.keys.insert(key, target.lines.size());
            target.lines.append(line);
        }
    }

    QHash<qsizetype, const Added *> insertAfter; // line → the keys that follow it
    std::vector<const Added *> newSections;
    for (const Added &group : added) {
        const qsizetype header = findSection(group.name);
        if (header < 0) {
            newSections.push_back(&group);
            continue;
        }
        qsizetype end = header + 1;
        while (end < qsizetype(lines.size()) && lines[std::size_t(end)].kind != LineKind::Section)
            ++end;
        qsizetype last = end - 1;
        while (last > header && isBlankLine(lines[std::size_t(last)]))
            --last;
        insertAfter.insert(last, &group);
    }

    QByteArray result;
    result.reserve(text.size() + qsizetype(writes.size()) * 64);
    bool lastBlank = true;
    const auto append = [&](QByteArrayView line) {
        result += line;
        result += "\r\n";
        lastBlank = trimmed(line, 0, line.size()).first == line.size();
    };
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const auto change = changed.constFind(i);
        append(change != changed.constEnd() ? QByteArrayView(*change) : bytesOf(lines[std::size_t(i)]));
        if (const auto group = insertAfter.constFind(i); group != insertAfter.constEnd())
            for (const QByteArray &line : (*group)->lines)
                append(line);
    }
    for (const Added *group : newSections) {
        if (!result.isEmpty() && !lastBlank)
            append({});
        append((u'[' + group->name + u']').toUtf8());
        for (const QByteArray &line : group->lines)
            append(line);
    }
    return result;
}

QByteArray IniFile::Content::encoded(const QByteArray &text) const
{
    if (encoding == Encoding::Plain)
        return text;
    const Mark &mark = markFor(encoding);
    if (encoding == Encoding::Utf8Mark)
        return mark.bytes.toByteArray() + text;
    QStringEncoder encoder(mark.converter);
    return mark.bytes.toByteArray() + QByteArray(encoder(fromUtf8(text)));
}

namespace {

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

void writeFile(const QString &path, const QByteArray &content, const QByteArray &original)
{
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

IniFile::~IniFile() = default;

const IniFile::Content &IniFile::content() const
{
    if (!m_content || (m_batchDepth == 0 && !m_content->isCurrent(m_path)))
        m_content = Content::read(m_path);
    return *m_content;
}

const IniFile::Write *IniFile::pendingWrite(const QString &section, const QString &key) const
{
    for (auto it = m_pending.rbegin(); it != m_pending.rend(); ++it)
        if (it->section.compare(section, Qt::CaseInsensitive) == 0 && it->key.compare(key, Qt::CaseInsensitive) == 0)
            return &*it;
    return nullptr;
}

std::optional<QString> IniFile::rawValue(const QString &section, const QString &key) const
{
    if (const Write *write = pendingWrite(section.trimmed(), key.trimmed()))
        return write->value.trimmed();
    const Content &file = content();
    const qsizetype line = file.findKey(section.trimmed(), key.trimmed());
    if (line < 0)
        return std::nullopt;
    return file.valueOf(file.lines[std::size_t(line)]);
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    const auto value = rawValue(section, key);
    if (!value)
        return defaultValue;
    return unquote(*value).left(MaxValueLength);
}

QString IniFile::readRawString(const QString &section, const QString &key,
                               const QString &defaultValue) const
{
    return rawValue(section, key).value_or(defaultValue);
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const Write write{section.trimmed(), key.trimmed(), value};
    checkWritable(write.section, write.key, value);
    if (m_batchDepth > 0) {
        m_pending.push_back(write);
        return;
    }
    save({write});
}

void IniFile::save(const std::vector<Write> &writes)
{
    // Another copy of the program may be rewriting the file: its keys are
    // merged in, not overwritten. A folder that cannot take the lock cannot
    // take a new file either; the file is then rewritten in place unlocked.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    lock.setStaleLockTime(10'000);
    if (!lock.tryLock(5'000) && lock.error() == QLockFile::LockFailedError)
        cannotWrite(m_path, QStringLiteral("another copy of the program is writing it"));

    std::unique_ptr<Content> file = Content::read(m_path);
    if (!file->readable) // rewriting would lose every other entry
        throw db::DataError(QStringLiteral("Cannot read the file %1").arg(m_path));
    if (!file->writeProblem.isEmpty())
        throw db::DataError(file->writeProblem);
    writeFile(m_path, file->encoded(file->withWrites(writes)), file->original);
    m_content.reset(); // read again when next asked

}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    return rawValue(section, key).has_value();
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
    const Content &file = content();
    for (const Line &line : file.lines) {
        if (line.kind == LineKind::Section && !names.contains(file.nameOf(line), Qt::CaseInsensitive))
            names.append(file.nameOf(line));
    }
    for (const Write &write : m_pending)
        if (!names.contains(write.section, Qt::CaseInsensitive))
            names.append(write.section);
    return names;
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList names;
    const QString wanted = section.trimmed();
    const Content &file = content();
    const qsizetype header = file.findSection(wanted);
    for (const Line &line : file.lines) {
        if (line.kind != LineKind::Key || line.section != header)
            continue;
        const QString name = file.nameOf(line);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    for (const Write &write : m_pending)
        if (write.section.compare(wanted, Qt::CaseInsensitive) == 0 && !names.contains(write.key, Qt::CaseInsensitive))
            names.append(write.key);
    return names;
}

QString IniFile::writeProblem() const
{
    return content().writeProblem;
}

QString IniFile::unquote(const QString &value)
{
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == u'\'' || value.front() == u'"'))
        return value.mid(1, value.size() - 2);
    return value;
}

IniFile::Batch::Batch(IniFile &file) : m_file(file), m_outermost(file.m_batchDepth == 0)
{
    if (m_outermost)
        m_file.content(); // read once, before the batch holds it
    ++m_file.m_batchDepth;
}

IniFile::Batch::~Batch()
{
    --m_file.m_batchDepth;
    if (m_outermost && !m_done)
        m_file.m_pending.clear();
}

void IniFile::Batch::commit()
{
    if (!m_outermost || m_done)
        return;
    m_done = true;
    std::vector<Write> writes;
    writes.swap(m_file.m_pending);
    if (!writes.empty())
        m_file.save(writes);
}
