#include "EditMask.h"

namespace {

// Classic mask letter -> Qt mask letter; 0 when the character is a literal.
QChar qtLetter(QChar c)
{
    switch (c.unicode()) {
    case u'A': return u'N';
    case u'a': return u'n';
    case u'L': return u'A';
    case u'l': return u'a';
    case u'0': return u'9';
    case u'9': return u'0';
    case u'C': return u'X';
    case u'c': return u'x';
    case u'#': return u'#';
    default: return QChar();
    }
}

// Characters with a meaning in Qt's mask syntax; as literals they need "\".
bool isQtSpecial(QChar c)
{
    return QStringView(u"AaNnXx90Dd#HhBb><!\\;[]{}").contains(c);
}

// Index of the ";" that ends the mask proper and of the one before the blank,
// found from the end as a trailing field cannot hold an escaped ";".
qsizetype fieldSeparator(const QString &text, qsizetype before)
{
    for (qsizetype i = before - 1; i >= 0; --i) {
        if (text[i] != u';')
            continue;
        qsizetype backslashes = 0;
        for (qsizetype j = i - 1; j >= 0 && text[j] == u'\\'; --j)
            ++backslashes;
        if (backslashes % 2 == 0)
            return i;
    }
    return -1;
}

} // namespace

EditMask::EditMask(const QString &notation) : m_notation(notation)
{
    m_mask = notation;
    const qsizetype last = fieldSeparator(notation, notation.size());
    if (last >= 0) {
        const qsizetype middle = fieldSeparator(notation, last);
        if (middle >= 0) {
            // mask;keep;blank
            m_mask = notation.left(middle);
            m_keepLiterals = notation.mid(middle + 1, last - middle - 1).trimmed() != u"0";
            const QString blank = notation.mid(last + 1);
            if (!blank.isEmpty())
                m_blank = blank.front();
        } else {
            // mask;keep
            m_mask = notation.left(last);
            m_keepLiterals = notation.mid(last + 1).trimmed() != u"0";
        }
    }

    for (qsizetype i = 0; i < m_mask.size(); ++i) {
        const QChar c = m_mask[i];
        if (c == u'\\' && i + 1 < m_mask.size()) {
            m_elements.append({Kind::Literal, m_mask[++i]});
        } else if (c == u'<' && i + 1 < m_mask.size() && m_mask[i + 1] == u'>') {
            m_elements.append({Kind::CaseOff, u'!'});
            ++i;
        } else if (c == u'>') {
            m_elements.append({Kind::CaseUpper, u'>'});
        } else if (c == u'<') {
            m_elements.append({Kind::CaseLower, u'<'});
        } else if (c == u'!') {
            // Leading-blank trimming has no counterpart in Qt's masks.
        } else if (const QChar letter = qtLetter(c); !letter.isNull()) {
            m_elements.append({Kind::Input, letter});
        } else {
            m_elements.append({Kind::Literal, c});
        }
    }
}

QString EditMask::toQtInputMask() const
{
    if (m_elements.isEmpty()) // no mask: the box takes any text
        return QString();
    QString result;
    for (const Element &element : m_elements) {
        if (element.kind == Kind::Literal && isQtSpecial(element.qtChar))
            result += u'\\';
        result += element.qtChar;
    }
    return result + u';' + m_blank;
}

QString EditMask::storedValue(const QString &displayText) const
{
    if (m_elements.isEmpty()) // no mask, no blanks: the text is the value
        return displayText;
    QList<bool> literalAt; // one entry per character position of the edit box
    for (const Element &element : m_elements) {
        if (element.kind == Kind::Literal || element.kind == Kind::Input)
            literalAt.append(element.kind == Kind::Literal);
    }

    QString result;
    for (qsizetype i = 0; i < displayText.size(); ++i) {
        const QChar c = displayText[i];
        // Past the mask's end (a text not shaped by the mask) every character
        // counts as typed.
        const bool literal = i < literalAt.size() && literalAt[i];
        if (literal ? m_keepLiterals : c != m_blank)
            result += c;
    }
    return result;
}
