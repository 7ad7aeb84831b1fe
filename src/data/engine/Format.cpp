#include "Format.h"

#include <QLocale>
#include <cmath>

namespace db {

QString formatGeneral(double value, const QString &decimalPoint)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    // 15 significant digits and the decimal exponent, from the C library's
    // correctly rounded conversion.
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype ePos = scientific.indexOf(u'e');
    QString digits = scientific.left(ePos).remove(u'.');
    const int exponent = scientific.mid(ePos + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(u'0'))
        digits.chop(1);

    QString text;
    if (exponent < -5 || exponent >= 15) {
        text = digits.left(1);
        if (digits.size() > 1)
            text += decimalPoint + digits.mid(1);
        text += u'E' + QString::number(exponent);
    } else if (exponent >= 0) {
        const int integerDigits = exponent + 1;
        if (digits.size() <= integerDigits) {
            text = digits + QString(integerDigits - digits.size(), u'0');
        } else {
            text = digits.left(integerDigits) + decimalPoint + digits.mid(integerDigits);
        }
    } else {
        text = u'0' + decimalPoint + QString(-exponent - 1, u'0') + digits;
    }
    return value < 0 ? u'-' + text : text;
}

QString formatGeneral(double value)
{
    return formatGeneral(value, QLocale().decimalPoint());
}

QString shortDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    // Two-digit years are ambiguous for a bookkeeping record spanning decades
    // (and the zero date 1899 must read as such).
    if (!format.contains(QStringLiteral("yyyy")))
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    return format;
}

QString longTimeFormat()
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    // The long format may carry a time-zone name; a bookkeeping time is local.
    format.remove(QStringLiteral(" t")).remove(u't');
    return format.trimmed();
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
        return QDateTime(date, QTime(0, 0));
    const qsizetype blank = text.indexOf(u' ');
    if (blank > 0) {
        date = locale.toDate(text.left(blank), shortDateFormat());
        QTime time = locale.toTime(text.mid(blank + 1).trimmed(), longTimeFormat());
        if (!time.isValid())
            time = locale.toTime(text.mid(blank + 1).trimmed(), QLocale::ShortFormat);
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
    }
    date = locale.toDate(text, QLocale::ShortFormat);
    if (date.isValid())
        return QDateTime(date, QTime(0, 0));
    return QDateTime();
}

} // namespace db
