#pragma once
// Number and date texts: numbers put into statement text, and numbers and
// dates shown to the user in the default locale's conventions.

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

/// `value` in the general number format (up to 15 significant digits, no
/// thousands separators, no trailing zeros, scientific "1E-6" form only below
/// 0.00001 or beyond 15 integer digits) with a full stop as decimal separator
/// and Latin digits, whatever the locale: the form numbers take inside
/// statement text. Throws db::DataError (lNotAFiniteNumber) for a NaN, an
/// infinity or a number so near the largest that its text would read as one.
QString SqlNumber(double value);

/// A number typed as an optional leading minus, digits and at most one
/// decimal separator, a comma or a full stop in every locale (",5" is 0.5,
/// "5," is 5, "007" is 7); nullopt for anything else, an empty text or a
/// separator alone included.
std::optional<double> ParseTypedDecimal(QStringView text);

/// A copy of `text` with every "," replaced by ".".
QString CommaToPoint(const QString &text);

/// `text` between apostrophes with every apostrophe inside written twice
/// ('O''Brien'): the one way a typed text goes into statement or filter text.
QString SqlQuoted(const QString &text);

/// The general number format of SqlNumber with the default locale's decimal
/// separator: how numbers are shown to the user.
QString FormatGeneral(double value);

/// The default locale's short date, with a blank and the long time appended
/// when the time of day is not midnight.
QString FormatDateTimeDefault(const QDateTime &value);

/// The default locale's short date.
QString FormatShortDate(const QDate &value);

/// The default locale's short date format with the year always in four digits.
QString ShortDateFormat();

/// The default locale's long time format without the time-zone name.
QString LongTimeFormat();
