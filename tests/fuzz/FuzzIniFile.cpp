// The profile-file reader and writer: any file content, any section, key and
// value. A write that is refused leaves the file's bytes as they were; one
// that is taken reads back, and every other entry keeps its value.

#include "FuzzCheck.h"

#include "IniFile.h"
#include "engine/Errors.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>

namespace {

using Entries = QHash<QString, QString>; // "section\nkey" (as listed) → raw value

Entries entries(const IniFile &ini)
{
    Entries result;
    for (const QString &section : ini.sections())
        for (const QString &key : ini.keys(section))
            result.insert(section.toCaseFolded() + u'\n' + key.toCaseFolded(), ini.readRawString(section, key));
    return result;
}

QString asciiTrimmed(const QString &text)
{
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    qsizetype from = 0, to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QList<QByteArray> pieces = fuzzPieces(data, size, 4);
    const QString path = folder.filePath(QStringLiteral("fuzz.ini"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input file");
        file.write(pieces[0]);
    }
    const QString section = QString::fromUtf8(pieces[1]), key = QString::fromUtf8(pieces[2]),
                  value = QString::fromUtf8(pieces[3]);

    IniFile ini(path);
    const Entries before = entries(ini);
    try {
        ini.writeString(section, key, value);
    } catch (const db::DataError &) {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::ReadOnly) && file.readAll() == pieces[0], "a refused write changed the file");
        return 0;
    }
    const IniFile reread(path);
    FUZZ_CHECK(reread.hasKey(section, key), "the written key is not there");
    FUZZ_CHECK(reread.readRawString(section, key) == asciiTrimmed(value),
               QStringLiteral("read back %1 for %2").arg(reread.readRawString(section, key), value));
    Entries after = entries(reread);
    const QString written = section.trimmed().toCaseFolded() + u'\n' + key.trimmed().toCaseFolded();
    Entries expected = before;
    expected.remove(written);
    after.remove(written);
    FUZZ_CHECK(after == expected, "another entry changed");
    return 0;
}
