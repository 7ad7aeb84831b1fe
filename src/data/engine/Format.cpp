#include "Format.h"

#include "QuotedText.h"
#include "WallClock.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace db {

namespace {

constexpr int Precision = 15;

// The general format with `decimalPoint` as separator. Digits come from
// std::to_chars, which ignores the C library's locale, and the choice between
// fixed and scientific form is made on the rounded digits, so 9.9999999999999999E-6
// that rounds to 1E-5 is shown as 0.00001.
QString generalFormat(double value, const QString &decimalPoint)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, Precision - 1);
    Q_ASSERT(result.ec == std::errc());
    const QByteArray text(buffer, result.ptr - buffer); // d.dddddddddddddde±xx
    const qsizetype ePos = text.indexOf('e');
    QByteArray digits = text.left(ePos);
    digits.remove(1, 1); // the point
    const int exponent = text.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    QString number = value < 0 ? QStringLiteral("-") : QString();
    if (exponent < -5 || exponent >= Precision) {
        number += QLatin1Char(digits[0]);
        if (digits.size() > 1)
            number += decimalPoint + QString::fromLatin1(digits.mid(1));
        number += u'E' + QString::number(exponent);
    } else if (exponent >= 0) {
        const QByteArray integer = digits.left(exponent + 1).leftJustified(exponent + 1, '0');
        number += QString::fromLatin1(integer);
        if (digits.size() > exponent + 1)
            number += decimalPoint + QString::fromLatin1(digits.mid(exponent + 1));
    } else {
        number += u'0' + decimalPoint + QString(-exponent - 1, u'0') + QString::fromLatin1(digits);
    }
    return number;
}

// Removes unquoted runs of `letter` from a locale format, with the blank
// before them; quoted literals ('h') are left alone.
QString removeField(const QString &format, QChar letter)
{
    const std::vector<bool> inLiteral = quotedCharacters(format);
    QString result;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (!inLiteral[std::size_t(i)] && format[i] == letter) {
            while (!result.isEmpty() && result.back().isSpace())
                result.chop(1);
            continue;
        }
        result += format[i];
    }
    return result.trimmed();
}

} // namespace


QString formatGeneral(double value, const QString &decimalPoint)
{
    return generalFormat(value, decimalPoint);
}

QString formatGeneral(double value)
{
    return generalFormat(value, QLocale().decimalPoint());
}

QString shortDateFormat()
{
    // Two-digit years ("dd.MM.yy") are ambiguous in a journal that spans
    // decades of catalogues; a lone "yy" becomes "yyyy".
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    const std::vector<bool> inLiteral = quotedCharacters(format);
    QString result;
    for (qsizetype i = 0; i < format.size();) {
        if (!inLiteral[std::size_t(i)] && format[i] == u'y') {
            qsizetype run = 0;
            while (i + run < format.size() && format[i + run] == u'y')
                ++run;
            result += QString(run == 2 ? 4 : run, u'y');
            i += run;
            continue;
        }
        result += format[i];
        ++i;
    }
    return result;
}

QString longTimeFormat()
{
    // A stored time of day has no zone; the locale's "t" would print the
    // machine's zone name after every time.
    return removeField(QLocale().timeFormat(QLocale::LongFormat), u't');
}

QString formatDateTimeDefault(const QDateTime &value)
{
    if (!value.isValid())
        return QString();
    QString text = QLocale().toString(value.date(), shortDateFormat());
    if (value.time() != QTime(0, 0))
        text += u' ' + QLocale().toString(value.time(), longTimeFormat());
    return text;
}

namespace {
// The text with every decimal digit of any script written as a Latin digit
// and the locale's AM/PM texts as "AM"/"PM": the form the C locale reads.
// Qt writes some locales' digits (Chakma, Adlam) and day-period texts that
// it cannot read back; dates it wrote must read back all the same.
QString forCLocale(const QString &text, const QLocale &locale)
{
    QString marked = text;
    if (!locale.pmText().isEmpty())
        marked.replace(locale.pmText(), QStringLiteral("PM"), Qt::CaseInsensitive);
    if (!locale.amText().isEmpty())
        marked.replace(locale.amText(), QStringLiteral("AM"), Qt::CaseInsensitive);
    QString result;
    result.reserve(marked.size());
    for (const char32_t c : marked.toUcs4()) {
        const int digit = QChar::digitValue(c);
        if (digit >= 0)
            result += QChar(u'0' + digit);
        else
            result += QString::fromUcs4(&c, 1);
    }
    return result;
}

QDate readDate(const QString &text, const QString &format, const QLocale &locale)
{
    const QDate date = locale.toDate(text, format);
    return date.isValid() ? date : QLocale::c().toDate(forCLocale(text, locale), format);
}

QTime readTime(const QString &text, const QString &format, const QLocale &locale)
{
    // Always in the C locale's form: Qt's own reading of some locales'
    // day-period texts (Ewe's "ŋdi") reads past the end of its buffer.
    return QLocale::c().toTime(forCLocale(text, locale), format);
}
} // namespace

QDateTime parseDateTimeDefault(const QString &raw)
{
    const QString text = raw.trimmed();
    const QLocale locale;
    const QString dateFormat = shortDateFormat();
    QDate date = readDate(text, dateFormat, locale);
    if (date.isValid())
        return wallClock(date);
    // The date and the time are written with a blank between them, but
    // either may hold blanks of its own ("d. M. yyyy", "h:mm:ss AP").
    for (qsizetype blank = text.indexOf(u' '); blank > 0; blank = text.indexOf(u' ', blank + 1)) {
        date = readDate(text.left(blank).trimmed(), dateFormat, locale);
        if (!date.isValid())
            continue;
        const QString timeText = text.mid(blank + 1).trimmed();
        QTime time = readTime(timeText, longTimeFormat(), locale);
        if (!time.isValid())
            time = readTime(timeText, locale.timeFormat(QLocale::ShortFormat), locale);
        if (time.isValid())
            return wallClock(date, time);
    }
    date = locale.toDate(text, QLocale::ShortFormat);
    if (date.isValid())
        return wallClock(date);
    return QDateTime();
}

} // namespace db
