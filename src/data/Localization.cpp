#include "Localization.h"

#include "Messages.h"
#include "engine/Errors.h"

#include <exception>

// Value encoding. A text is written between single quotes so that blanks at
// either end survive ('  Order '). A text holding a line break cannot stand on
// one line: it is written between double quotes instead, with CR as \r, LF as
// \n and a backslash as \\. Only double-quoted values are unescaped on reading,
// so every single-quoted text, backslashes included, reads back as written.
// A translator may type a value bare, in single or in double quotes.

namespace {

QString errorText(const std::exception &error)
{
    if (const auto *dataError = dynamic_cast<const db::DataError *>(&error))
        return dataError->text();
    return QString::fromLocal8Bit(error.what());
}

QString unescape(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            const QChar next = text[i + 1];
            if (next == u'n' || next == u'r' || next == u'\\') {
                result += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

} // namespace

LocCatalogue::LocCatalogue(const QString &path) : m_file(path) {}

QString LocCatalogue::encodeText(const QString &text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return u'\'' + text + u'\'';
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"));
    return u'"' + escaped + u'"';
}

QString LocCatalogue::decodeValue(const QString &rawValue)
{
    const QString value = rawValue.trimmed();
    const bool doubleQuoted = value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
    const QString text = IniFile::unquote(value);
    return (doubleQuoted ? unescape(text) : text).left(IniFile::MaxValueLength);
}

QString LocCatalogue::readText(const QString &section, const QString &key) const
{
    return decodeValue(m_file.readRawString(section, key));
}

void LocCatalogue::recordError(const QString &key, const QString &text) noexcept
{
    // The record is a courtesy to the translator; a file that cannot take it
    // (read-only folder) must not stop the program, which keeps its texts.
    try {
        m_file.writeString(ErrorsSection, key, encodeText(text));
    } catch (...) {
    }
}

void LocCatalogue::loadText(const QString &section, const QString &key, QString &variable)
{
    try {
        if (m_file.hasKey(section, key))
            variable = readText(section, key);
        else
            m_file.writeString(section, key, encodeText(variable));
    } catch (const std::exception &error) {
        recordError(key, errorText(error));
    }
}

LocCatalogue::Batch::~Batch()
{
    try {
        m_batch.commit();
    } catch (...) {
    }
}

void LocCatalogue::loadMessages()
{
    const Batch batch(*this);
    resetMessages();
    TMessages &messages = Messages();
    for (const auto *table : {&messageTable(), &addedMessageTable()})
        for (const MessageEntry &entry : *table)
            loadText(ConstsSection, QString::fromLatin1(entry.key), messages.*entry.member);
}

QString LocCatalogue::localizeText(const QString &owner, const QString &component,
                                   const QString &property, const QString &currentText)
{
    const QString key = owner + u'_' + component;
    try {
        if (m_file.hasKey(ControlsSection, key))
            return readText(ControlsSection, key);
        m_file.writeString(ControlsSection, key, encodeText(currentText));
    } catch (const std::exception &error) {
        recordError(property, errorText(error));
    }
    return currentText;
}
