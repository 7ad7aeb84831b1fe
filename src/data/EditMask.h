#pragma once
// Input masks of identifier fields, written in the classic notation the
// settings file uses: "mask;keep literals;blank", for example "AAA-AA;1;_".

#include <QChar>
#include <QList>
#include <QString>

/// One parsed mask. Mask letters: A letter or digit, a the same optional;
/// L letter, l optional; 0 digit, 9 optional; C any character, c optional;
/// # digit or sign, optional; > upper case, < lower case, <> no conversion;
/// \ makes the next character a literal; ! is accepted and ignored; every
/// other character is a literal.
class EditMask
{
public:
    /// Parses `notation`. The second field "0" strips literals from the stored
    /// value, anything else keeps them (also when absent); the third field's
    /// first character is the blank (default "_").
    explicit EditMask(const QString &notation);

    const QString &notation() const { return m_notation; }
    /// The mask proper, without the two trailing fields.
    const QString &mask() const { return m_mask; }
    bool keepsLiterals() const { return m_keepLiterals; }
    QChar blank() const { return m_blank; }

    /// The same mask in QLineEdit::inputMask syntax, with ";" and the blank;
    /// empty when the mask is empty.
    QString toQtInputMask() const;

    /// What a field stores for the text shown in a masked edit box: blanks
    /// removed, and the literals too unless the mask keeps them.
    QString storedValue(const QString &displayText) const;

private:
    enum class Kind { Literal, Input, CaseUpper, CaseLower, CaseOff };
    struct Element
    {
        Kind kind;
        QChar qtChar; // the Qt mask letter, or the literal character
    };

    QString m_notation;
    QString m_mask;
    bool m_keepLiterals = true;
    QChar m_blank = u'_';
    QList<Element> m_elements;
};
