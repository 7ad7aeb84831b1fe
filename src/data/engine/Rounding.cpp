#include "Rounding.h"

#include <QString>

#include <cmath>

namespace db {

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

double roundCentsEven(double value)
{
    // rint follows the default rounding mode: nearest, ties to even.
    return std::rint(value / 0.01) * 0.01;
}

} // namespace db
