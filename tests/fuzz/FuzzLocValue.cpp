// The localization file's value encoding: any text the program writes reads
// back as the same text, straight and through the file.

#include "FuzzCheck.h"

#include "IniFile.h"
#include "Localization.h"

#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    static int runs = 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString expected = text.left(IniFile::MaxValueLength);
    const QString encoded = LocCatalogue::encodeText(text);
    FUZZ_CHECK(LocCatalogue::decodeValue(encoded) == expected, QStringLiteral("%1 came back as %2").arg(text, LocCatalogue::decodeValue(encoded)));

    // Through the file now and then: a rewrite per input would slow the search.
    if (++runs % 16 == 0) {
        LocCatalogue loc(folder.filePath(QStringLiteral("loc")));
        QString written = text;
        loc.loadText(LocCatalogue::ConstsSection, QStringLiteral("fuzz%1").arg(runs), written);
        LocCatalogue again(folder.filePath(QStringLiteral("loc")));
        QString read;
        again.loadText(LocCatalogue::ConstsSection, QStringLiteral("fuzz%1").arg(runs), read);
        FUZZ_CHECK(read == expected, QStringLiteral("%1 came back from the file as %2").arg(text, read));
    }
    return 0;
}
