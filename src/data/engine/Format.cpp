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

QDateTime parseDateTimeDefault(const QString &raw)
{
    const QString text = raw.trimmed();
    const QLocale locale;
    QDate date = locale.toDate(text, shortDateFormat());
    if (date.isValid())
        return wallClock(date);
    const qsizetype blank = text.indexOf(u' ');
    if (blank > 0) {
        date = locale.toDate(text.left(blank), shortDateFormat());
        QTime time = locale.toTime(text.mid(blank + 1).trimmed(), longTimeFormat());
        if (!time.isValid())
            time = locale.toTime(text.mid(blank + 1).trimmed(), QLocale::ShortFormat);
        if (date.isValid() && time.isValid())
            return wallClock(date, time);
    }
    date = locale.toDate(text, QLocale::ShortFormat);
    if (date.isValid())
        return wallClock(date);
    return QDateTime();
}

} // namespace db
