#include "Identifiers.h"

#include "engine/Dataset.h"

QString IncrementIdentifier(const QString &raw, int width)
{
    // Trim as the classic text routines do: every character up to the blank.
    qsizetype begin = 0, end = raw.size();
    while (begin < end && raw[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && raw[end - 1].unicode() <= u' ')
        --end;
    QString text = raw.mid(begin, end - begin);
    if (text.isEmpty())
        return QStringLiteral("0");

    const qsizetype n = text.size();
    for (qsizetype i = n - 1; i >= 0; --i) {
        // Codes wrap within the single-byte range the identifiers were made for.
        const char16_t code = text[i].unicode() == 255 ? 0 : char16_t(text[i].unicode() + 1);
        text[i] = QChar(code);
        if (code <= u'9')
            break;
        text[i] = u'0';
        if (i == 0 && n < width)
            text.prepend(u'1');
    }
    return text;
}

QString NextIdentifier(db::Dataset &query, db::Dataset *source)
{
    query.close();
    if (source) {
        const int count = std::min(query.params().count(), source->params().count());
        for (int i = 0; i < count; ++i)
            query.params().at(i).setValue(source->params().at(i).value());
    }
    QString highest;
    try {
        query.open();
        highest = query.isEmpty() ? QString() : query.fieldAt(0)->asString();
    } catch (...) {
        query.close();
        throw;
    }
    query.close();
    return IncrementIdentifier(highest, 6);
}
