#pragma once
// How the engine shows values: the locale's general number and date formats.

#include <QDateTime>
#include <QString>

namespace db {

/// The general number format: at most 15 significant digits, no thousands
/// separators, no trailing zeros, `decimalPoint` only when there is a fraction,
/// scientific ("1E-6", "1.5E20") below 0.00001 or beyond 15 integer digits.
QString formatGeneral(double value, const QString &decimalPoint);
/// The same with the default locale's decimal separator.
QString formatGeneral(double value);

/// The default locale's short date pattern, always with a four-digit year.
QString shortDateFormat();
/// The default locale's long time pattern.
QString longTimeFormat();
/// The default date-time text: the short date, then a blank and the long time
/// when the time of day is not midnight.
QString formatDateTimeDefault(const QDateTime &value);
/// Reads a date (or date and time) written in the default formats above, as
/// a wall-clock date-time; invalid when the text is not such a date.
QDateTime parseDateTimeDefault(const QString &text);

} // namespace db
