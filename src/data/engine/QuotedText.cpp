#include "QuotedText.h"

namespace db {

QString quoted(QStringView text)
{
    QString result;
    result.reserve(text.size() + 2);
    result += u'\'';
    for (const QChar c : text) {
        if (c == u'\'')
            result += u'\'';
        result += c;
    }
    result += u'\'';
    return result;
}

std::optional<QString> unquoted(QStringView literal)
{
    if (!literal.startsWith(u'\''))
        return std::nullopt;
    QString value;
    for (qsizetype i = 1; i < literal.size(); ++i) {
        if (literal[i] != u'\'') {
            value += literal[i];
        } else if (i + 1 < literal.size() && literal[i + 1] == u'\'') {
            value += u'\'';
            ++i;
        } else {
            return i + 1 == literal.size() ? std::optional<QString>(value) : std::nullopt;
        }
    }
    return std::nullopt; // never closed
}

std::vector<bool> quotedCharacters(QStringView text)
{
    // Each apostrophe opens or closes a literal; a doubled one inside closes
    // and at once reopens it, so it stays inside.
    std::vector<bool> inside(std::size_t(text.size()));
    bool open = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool apostrophe = text[i] == u'\'';
        if (apostrophe)
            open = !open;
        inside[std::size_t(i)] = open || apostrophe;
    }
    return inside;
}

} // namespace db
