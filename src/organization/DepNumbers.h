#pragma once
// How the department's numbers are written: the general format of the grid
// and the four-decimal amounts of the bonus explanation. Both are independent
// of the C library's locale; only the decimal separator is chosen.

#include <QString>

namespace depnumbers {

/// Up to 15 significant digits without thousands separators; fixed notation
/// for values from 0.00001 up to 15 integer digits, otherwise "1.5E-7" /
/// "1E20". Negative zero is written "0".
QString general(double value, const QString &decimalPoint = QStringLiteral("."));

/// The same into `out` (at least 32 characters) with a full stop; returns
/// the number of characters written.
int general(double value, char *out);

/// Fixed point with exactly four decimals ("%.4f"), no thousands separators.
QString fixed4(double value, const QString &decimalPoint = QStringLiteral("."));

/// The same into `out` (at least 330 characters, the longest a double gives)
/// with a full stop; returns the number of characters written. Rounds the
/// exact binary value half to even, as "%.4f" does.
int fixed4(double value, char *out);

} // namespace depnumbers
