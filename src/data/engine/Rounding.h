#pragma once
// The program's two roundings of money and points.

namespace db {

/// Money and points are exact to four decimals: the storage precision.
/// Rounds half away from zero, as the database's round() in the rounding
/// triggers does, so that the engine and the file agree.
double roundMoney(double value);

/// Hundredths with ties to the even neighbour: the value divided by 0.01,
/// rounded to the nearest whole number (a half to the even one), times 0.01.
/// The journal's total, the department's points and the sales report's
/// amounts all round this way.
double roundCentsEven(double value);

} // namespace db
