#include "Storage.h"

#include <cmath>

namespace db {

namespace {
const QString kStorageFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

QString dateTimeToStorage(const QDateTime &value)
{
    return value.toString(kStorageFormat);
}

namespace {
// Reads `count` digits at `pos`; -1 when one is not a digit.
template <typename Text>
int digits(const Text &text, qsizetype pos, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = QChar(text[pos + i]).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The storage form read by hand: a journal of a million orders reads a
// million of them, and the general parser is far too slow for that.
template <typename Text>
QDateTime parseStorageForm(const Text &text)
{
    if (text.size() != 23 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':'
        || text[16] != ':' || text[19] != '.')
        return QDateTime();
    const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2), minute = digits(text, 14, 2), second = digits(text, 17, 2);
    const int msec = digits(text, 20, 3);
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, msec);
    if (year < 0 || !date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time);
}
} // namespace

QDateTime dateTimeFromStorage(QByteArrayView utf8)
{
    const QDateTime fast = parseStorageForm(utf8);
    return fast.isValid() ? fast : dateTimeFromStorage(QString::fromUtf8(utf8));
}

QDateTime dateTimeFromStorage(const QString &text)
{
    const QDateTime fast = parseStorageForm(text);
    if (fast.isValid())
        return fast;
    QDateTime result = QDateTime::fromString(text, kStorageFormat);
    if (!result.isValid())
        result = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!result.isValid()) {
        const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (date.isValid())
            result = QDateTime(date, QTime(0, 0));
    }
    return result;
}

QDateTime zeroDateTime()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

double roundMoney(double value)
{
    // Scale, round half away from zero, scale back; values beyond the exact
    // range of a double at four decimals are returned as they are.
    if (!std::isfinite(value) || std::fabs(value) >= 1e14)
        return value;
    const double scaled = value * 10000.0;
    double rounded = std::round(scaled);
    // A product like 1.00005 * 10000 may land a hair below .5; the nearest
    // representable decimal text decides.
    const double viaText = std::round(QString::number(scaled, 'f', 6).toDouble());
    if (viaText != rounded)
        rounded = viaText;
    return rounded / 10000.0;
}

QVariant toStorageValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return dateTimeToStorage(value.toDateTime());
    case QMetaType::QDate:
        return dateTimeToStorage(QDateTime(value.toDate(), QTime(0, 0)));
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

} // namespace db
