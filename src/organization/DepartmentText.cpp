#include "DepartmentText.h"

#include "DepNumbers.h"
#include "Department.h"

#include <QIODevice>
#include <QStringEncoder>

#include <algorithm>
#include <charconv>
#include <span>
#include <vector>

namespace departmenttext {

namespace {

// A table holds hundreds of thousands of lines, so each line is written in
// place at the end of the one text, without a text of its own per piece.

/// The longest text appendEscaped writes for `text`.
qsizetype escapedSize(QStringView text)
{
    return 2 * text.size();
}

char16_t *writeEscaped(char16_t *out, QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && (u == u'\n' || u == u'\r' || u == u'\t')) {
            *out++ = u'\\';
            *out++ = u == u'\n' ? u'n' : u == u'\r' ? u'r' : u't';
        } else {
            *out++ = u;
        }
    }
    return out;
}

char16_t *writeLatin1(char16_t *out, const char *text, int length)
{
    for (int i = 0; i < length; ++i)
        *out++ = static_cast<unsigned char>(text[i]);
    return out;
}

char16_t *writeNumber(char16_t *out, double value)
{
    char digits[32];
    return writeLatin1(out, digits, depnumbers::general(value, digits));
}

/// Runs `write` at the end of `out` with room for `room` characters and
/// keeps what it wrote.
template <class Write>
void appendInPlace(QString &out, qsizetype room, Write write)
{
    const qsizetype start = out.size();
    out.resize(start + room);
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    out.truncate(write(begin + start) - begin);
}

void appendEscaped(QString &out, QStringView text)
{
    appendInPlace(out, escapedSize(text), [text](char16_t *at) { return writeEscaped(at, text); });
}

/// The longest text appendFigures writes for `m`: ten characters for the
/// level, 24 for each number (15 digits, sign, point, exponent), one for the
/// status and seven tabs besides the texts.
qsizetype figuresSize(const TDepMember &m)
{
    return escapedSize(m.Id) + escapedSize(m.Name) + 10 + 4 * 24 + 1 + 7;
}

void appendFigures(QString &out, const TDepMember &m)
{
    appendInPlace(out, figuresSize(m), [&m](char16_t *at) {
        char level[16];
        at = writeLatin1(at, level, int(std::to_chars(level, level + sizeof level, m.Level).ptr - level));
        *at++ = u'\t';
        at = writeEscaped(at, m.Id);
        *at++ = u'\t';
        at = writeEscaped(at, m.Name);
        *at++ = u'\t';
        at = writeNumber(at, m.PersonalPoints);
        *at++ = u'\t';
        at = writeNumber(at, m.GroupPoints);
        *at++ = u'\t';
        *at++ = char16_t(u'0' + int(m.Status));
        *at++ = u'\t';
        at = writeNumber(at, m.Bonus);
        *at++ = u'\t';
        return writeNumber(at, m.Reserve);
    });
}

/// The table's lines appended to `text`, handing it to `flush` after each
/// line, which may take the text away.
template <class Flush>
void appendTable(QString &text, const Department &department, bool detail, const std::vector<QString> &details,
                 Flush flush)
{
    text += header(detail);
    text += u'\n';
    const std::span<const TDepMember> members = department.DepList();
    for (std::size_t i = 0; i < members.size(); ++i) {
        appendFigures(text, members[i]);
        if (detail) {
            text += u'\t';
            appendEscaped(text, details[i]);
        }
        text += u'\n';
        flush(text);
    }
}

/// The longest text one line of the table writes in place at its end.
qsizetype lineRoom(const Department &department, const std::vector<QString> &details)
{
    qsizetype room = 0;
    for (const TDepMember &m : department.DepList())
        room = std::max(room, figuresSize(m));
    for (const QString &d : details)
        room = std::max(room, escapedSize(d));
    return room;
}

} // namespace

QString header(bool detail)
{
    QString text = QStringLiteral("Level\tId\tName\tPersonalPoints\tGroupPoints\tStatus\tBonus\tReserve");
    if (detail)
        text += QLatin1String("\tDetail");
    return text;
}

QString line(const Department &department, const TDepMember &m, bool detail)
{
    QString text;
    appendFigures(text, m);
    if (detail) {
        text += u'\t';
        appendEscaped(text, department.Detail(m));
    }
    return text;
}

QString table(const Department &department, bool detail)
{
    // Every explanation in one pass: one by one, each would go through the
    // member's whole downline again.
    const std::vector<QString> details = detail ? department.Details() : std::vector<QString>();
    // Reserved once for the likely length, with room for the longest line
    // written in place at the end.
    qsizetype size = header(detail).size() + 1;
    for (const TDepMember &m : department.DepList())
        size += m.Id.size() + m.Name.size() + 48;
    for (const QString &d : details)
        size += d.size() + 1;
    QString text;
    text.reserve(size + lineRoom(department, details));
    appendTable(text, department, detail, details, [](QString &) {});
    return text;
}

bool write(QIODevice &device, const Department &department, bool detail)
{
    const std::vector<QString> details = detail ? department.Details() : std::vector<QString>();
    // A piece at a time: the whole table held as one text, and once more
    // encoded, would take several times the memory of the department.
    constexpr qsizetype kPiece = 32 * 1024;
    QString text;
    text.reserve(kPiece + lineRoom(department, details));
    QStringEncoder encoder(QStringConverter::Utf8);
    QByteArray bytes;
    bool written = true;
    const auto send = [&](QString &piece) {
        bytes.resize(encoder.requiredSpace(piece.size()));
        const char *end = encoder.appendToBuffer(bytes.data(), piece);
        const qint64 length = end - bytes.constData();
        written = written && device.write(bytes.constData(), length) == length;
        piece.truncate(0);
    };
    appendTable(text, department, detail, details, [&](QString &piece) {
        if (piece.size() >= kPiece)
            send(piece);
    });
    send(text);
    return written;
}

} // namespace departmenttext
