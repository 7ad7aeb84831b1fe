#pragma once
// Date-times as the program keeps them: a wall-clock reading (the date and
// time the user typed or the journal shows) with no zone. In memory it is a
// QDateTime labelled UTC, so that no zone rule can shift it or lose it: a
// local midnight that does not exist (a daylight-saving change at 00:00) is
// still a valid value.

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace db {

/// The wall-clock date-time of `date` at `time`.
QDateTime wallClock(const QDate &date, const QTime &time = QTime(0, 0));
/// `value` as a wall-clock date-time: its date and time as it reads them
/// (a local time keeps its reading). Invalid stays invalid.
QDateTime wallClock(const QDateTime &value);
/// The machine's local date and time now, as a wall-clock date-time.
QDateTime wallClockNow();

/// 30 December 1899, 00:00: the date-time that stands for "no date".
QDateTime zeroDateTime();

} // namespace db
