#pragma once
// How values are kept in the database file: date-times as fixed-width text
// so that text order is time order; booleans as 0/1.

#include "WallClock.h"

#include <QByteArrayView>
#include <QString>
#include <QVariant>

namespace db {

/// The storage text of a date-time: "yyyy-MM-dd HH:mm:ss.zzz" (its reading).
QString dateTimeToStorage(const QDateTime &value);

/// Reads a storage text back as a wall-clock date-time; also accepts
/// "yyyy-MM-dd HH:mm:ss" and a bare "yyyy-MM-dd" (midnight). Gives an invalid
/// QDateTime for text that is not a date-time.
QDateTime dateTimeFromStorage(const QString &text);
/// The same from the UTF-8 bytes of a column, without making a text first.
QDateTime dateTimeFromStorage(QByteArrayView utf8);

/// The value as it is bound to a statement parameter: date-times become their
/// storage text whatever the parameter's declared type, booleans 0/1.
QVariant toStorageValue(const QVariant &value);

} // namespace db
