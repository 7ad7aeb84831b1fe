#pragma once
// What the fuzz targets share: a failed check stops the run with its reason,
// which both libFuzzer and the corpus replay in the test suite report.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, what)                                                                        \
    do {                                                                                                   \
        if (!(condition)) {                                                                                \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", qPrintable(QString(what)), __FILE__, \
                         __LINE__);                                                                        \
            std::abort();                                                                                  \
        }                                                                                                  \
    } while (false)

/// The input cut into pieces at each "\0\xFF\0" (at most `count`; the last
/// takes the rest): a mark that even UTF-16 text seldom holds.
inline QList<QByteArray> fuzzPieces(const uint8_t *data, size_t size, int count)
{
    QList<QByteArray> pieces;
    QByteArray rest(reinterpret_cast<const char *>(data), qsizetype(size));
    while (pieces.size() + 1 < count) {
        const qsizetype mark = rest.indexOf(QByteArrayView("\0\xFF\0", 3));
        if (mark < 0)
            break;
        pieces << rest.left(mark);
        rest = rest.mid(mark + 3);
    }
    pieces << rest;
    while (pieces.size() < count)
        pieces << QByteArray();
    return pieces;
}
