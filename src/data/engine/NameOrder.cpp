#include "NameOrder.h"

#include <QChar>

#include <array>

namespace db {

namespace {

// The Cyrillic letters (folded) in the order of the Russian and Ukrainian
// alphabets, then the other letters of the block in code point order. They
// take the places U+0430.. in the sort keys; ё shares the place of е.
constexpr char16_t kCyrillicOrder[] = {
    u'а', u'б', u'в', u'г', u'ґ', u'д', u'е', u'є', u'ж', u'з', u'и', u'і', u'ї', u'й', u'к', u'л',
    u'м', u'н', u'о', u'п', u'р', u'с', u'т', u'у', u'ў', u'ф', u'х', u'ц', u'ч', u'ш', u'щ', u'ъ',
    u'ы', u'ь', u'э', u'ю', u'я', u'ѐ', u'ђ', u'ѓ', u'ѕ', u'ј', u'љ', u'њ', u'ћ', u'ќ', u'ѝ', u'џ',
};
static_assert(std::size(kCyrillicOrder) == 0x460 - 0x430, "the letters fill their places exactly");

struct Tables
{
    std::array<char16_t, 0x10000> fold;   // simple case folding of a unit (surrogates kept)
    std::array<char16_t, 0x10000> weight; // the unit's place in the sort key
};

const Tables &tables()
{
    static const Tables *const built = [] {
        auto *t = new Tables;
        for (char32_t u = 0; u < 0x10000; ++u)
            t->fold[u] = QChar::isSurrogate(u) ? char16_t(u) : char16_t(QChar::toCaseFolded(u));
        t->weight = t->fold;
        std::array<char16_t, 0x10000> place{};
        for (std::size_t i = 0; i < std::size(kCyrillicOrder); ++i)
            place[kCyrillicOrder[i]] = char16_t(0x430 + i);
        place[u'ё'] = place[u'е'];
        for (char32_t u = 0; u < 0x10000; ++u)
            if (place[t->fold[u]] != 0)
                t->weight[u] = place[t->fold[u]];
        return t;
    }();
    return *built;
}

// The units of a name's key (or of its folded text), one at a time. A
// surrogate pair is folded as the code point it stands for.
class Units
{
public:
    Units(QStringView text, const std::array<char16_t, 0x10000> &table)
        : m_p(text.utf16()), m_end(m_p + text.size()), m_table(table)
    {
    }

    bool next(char16_t &out)
    {
        if (m_pending) {
            out = std::exchange(m_pending, char16_t(0));
            return true;
        }
        if (m_p == m_end)
            return false;
        const char16_t u = *m_p++;
        if (QChar::isHighSurrogate(u) && m_p != m_end && QChar::isLowSurrogate(*m_p)) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(u, *m_p++));
            if (QChar::requiresSurrogates(folded)) {
                out = QChar::highSurrogate(folded);
                m_pending = QChar::lowSurrogate(folded);
            } else {
                out = m_table[folded];
            }
            return true;
        }
        out = m_table[u];
        return true;
    }

private:
    const char16_t *m_p;
    const char16_t *m_end;
    const std::array<char16_t, 0x10000> &m_table;
    char16_t m_pending = 0; // never a valid low surrogate
};

int compareUnits(QStringView a, QStringView b, const std::array<char16_t, 0x10000> &table)
{
    Units x(a, table), y(b, table);
    for (;;) {
        char16_t ux = 0, uy = 0;
        const bool hasX = x.next(ux), hasY = y.next(uy);
        if (!hasX || !hasY)
            return int(hasX) - int(hasY);
        if (ux != uy)
            return ux < uy ? -1 : 1;
    }
}

// Reads valid UTF-8 the way QString::fromUtf8 does; false for anything else
// (which is then left to QString::fromUtf8 itself).
bool decodeUtf8(std::string_view bytes, std::u16string &out)
{
    out.clear();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    if (bytes.size() >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return false; // a byte order mark
    while (p != end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            out.push_back(char16_t(c));
            ++p;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))
            || QChar::isSurrogate(cp) || QChar::isNonCharacter(cp))
            return false;
        p += extra + 1;
        if (QChar::requiresSurrogates(cp)) {
            out.push_back(QChar::highSurrogate(cp));
            out.push_back(QChar::lowSurrogate(cp));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return true;
}

void toUtf16(std::string_view bytes, std::u16string &out)
{
    if (decodeUtf8(bytes, out))
        return;
    const QString text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    out.assign(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
}

// Reads the next code point of plain UTF-8 (one to three bytes, nothing a
// decoder could read otherwise); false at the end or at anything else.
bool nextPlain(const unsigned char *&p, const unsigned char *end, char16_t &out, bool &plain)
{
    if (p == end)
        return false;
    const unsigned char c = *p;
    if (c < 0x80) {
        out = c;
        ++p;
        return true;
    }
    if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
        out = char16_t(((c & 0x1F) << 6) | (p[1] & 0x3F));
        p += 2;
        return true;
    }
    if (c >= 0xE0 && c <= 0xEF && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
        const char32_t cp = ((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        if (cp >= 0x800 && !QChar::isSurrogate(cp) && !QChar::isNonCharacter(cp) && cp != 0xFEFF) {
            out = char16_t(cp);
            p += 3;
            return true;
        }
    }
    plain = false;
    return false;
}

// Compares plain UTF-8 texts by `table` without decoding them first; false
// when a text is not plain before the comparison is decided.
bool comparePlain(std::string_view a, std::string_view b, const std::array<char16_t, 0x10000> &table, int &result)
{
    const auto *pa = reinterpret_cast<const unsigned char *>(a.data());
    const auto *pb = reinterpret_cast<const unsigned char *>(b.data());
    const auto *ea = pa + a.size(), *eb = pb + b.size();
    bool plain = true;
    for (;;) {
        char16_t x = 0, y = 0;
        const bool hasX = nextPlain(pa, ea, x, plain);
        const bool hasY = nextPlain(pb, eb, y, plain);
        if (!plain)
            return false;
        if (!hasX || !hasY) {
            result = int(hasX) - int(hasY);
            return true;
        }
        if (table[x] != table[y]) {
            result = table[x] < table[y] ? -1 : 1;
            return true;
        }
    }
}

} // namespace

int compareFoldedNames(QStringView a, QStringView b)
{
    return compareUnits(a, b, tables().fold);
}

int compareNames(QStringView a, QStringView b)
{
    const int byKey = compareUnits(a, b, tables().weight);
    return byKey != 0 ? byKey : compareFoldedNames(a, b);
}

int compareNamesUtf8(std::string_view a, std::string_view b)
{
    // Most names are plain UTF-8 of the first three planes' worth of bytes:
    // compared as they are read, with no text made. (Either text ending
    // early decides; a broken sequence after the decision changes nothing.)
    int result = 0;
    if (comparePlain(a, b, tables().weight, result)) {
        if (result != 0 || comparePlain(a, b, tables().fold, result))
            return result;
    }
    thread_local std::u16string left, right;
    toUtf16(a, left);
    toUtf16(b, right);
    return compareNames(QStringView(left), QStringView(right));
}

void appendNameKey(QStringView name, std::vector<char16_t> &key)
{
    Units units(name, tables().weight);
    char16_t u = 0;
    while (units.next(u))
        key.push_back(u);
}

} // namespace db
