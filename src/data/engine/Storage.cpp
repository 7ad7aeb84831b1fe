#include "Storage_p.h"

namespace db {

namespace {
const QString kStorageFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

QDateTime wallClock(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC);
}

QDateTime wallClock(const QDateTime &value)
{
    if (!value.isValid() || value.timeSpec() == Qt::UTC)
        return value;
    return QDateTime(value.date(), value.time(), Qt::UTC);
}

QDateTime wallClockNow()
{
    return wallClock(QDateTime::currentDateTime());
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
    return wallClock(date, time);
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
    // Date and time read apart: a reading is never looked up in a zone.
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return QDateTime();
    if (text.size() == 10)
        return wallClock(date);
    if (text[10] != u' ')
        return QDateTime();
    const QString rest = text.mid(11);
    QTime time = QTime::fromString(rest, QStringLiteral("HH:mm:ss.zzz"));
    if (!time.isValid())
        time = QTime::fromString(rest, QStringLiteral("HH:mm:ss"));
    return time.isValid() ? wallClock(date, time) : QDateTime();
}

QDateTime zeroDateTime()
{
    return wallClock(QDate(1899, 12, 30));
}

QVariant toStorageValue(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return dateTimeToStorage(value.toDateTime());
    case QMetaType::QDate:
        return dateTimeToStorage(wallClock(value.toDate()));
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

} // namespace db
