#pragma once
// How values are kept in the database file: date-times as fixed-width text so
// that text order is time order, money rounded to four decimals.
//
// A date-time is a wall-clock reading (the date and time the user typed or
// the journal shows) with no zone. In memory it is a QDateTime labelled UTC,
// so that no zone rule can shift it or lose it: a local midnight that does
// not exist (a daylight-saving change at 00:00) is still a valid value.

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace db {

/// The wall-clock date-time of `date` at `time`.
QDateTime wallClock(const QDate &date, const QTime &time = QTime(0, 0));
/// `value` as a wall-clock date-time: its date and time as it reads them
/// (a local time keeps its reading). Invalid stays invalid.
QDateTime wallClock(const QDateTime &value);
/// The machine's local date and time now, as a wall-clock date-time.
QDateTime wallClockNow();

/// The storage text of a date-time: "yyyy-MM-dd HH:mm:ss.zzz" (its reading).
QString dateTimeToStorage(const QDateTime &value);

/// Reads a storage text back as a wall-clock date-time; also accepts
/// "yyyy-MM-dd HH:mm:ss" and a bare "yyyy-MM-dd" (midnight). Gives an invalid
/// QDateTime for text that is not a date-time.
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
