#pragma once
// How values are kept in the database file: date-times as fixed-width text so
// that text order is time order, money rounded to four decimals.

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace db {

/// The storage text of a date-time: "yyyy-MM-dd HH:mm:ss.zzz".
QString dateTimeToStorage(const QDateTime &value);

/// Reads a storage text back; also accepts a bare "yyyy-MM-dd" (midnight).
/// Gives an invalid QDateTime for text that is not a date-time.
QDateTime dateTimeFromStorage(const QString &text);
/// The same from the UTF-8 bytes of a column, without making a text first.
QDateTime dateTimeFromStorage(QByteArrayView utf8);

/// 30 December 1899, 00:00: the date-time that stands for "no date".
QDateTime zeroDateTime();

/// Money and points are exact to four decimals; rounding half away from zero,
/// as the database's round() does, so that the engine and triggers agree.
double roundMoney(double value);

/// The value as it is bound to a statement parameter: date-times become their
/// storage text whatever the parameter's declared type, booleans 0/1.
QVariant toStorageValue(const QVariant &value);

} // namespace db
