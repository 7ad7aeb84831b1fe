#include "DepNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace depnumbers {

namespace {

QString withPoint(const char *begin, const char *end, const QString &decimalPoint)
{
    QString result = QString::fromLatin1(begin, end - begin);
    if (decimalPoint != QLatin1String("."))
        result.replace(u'.', decimalPoint);
    return result;
}

/// n / 10^decimals in fixed notation without trailing zeros (nor a point
/// when nothing follows it).
int writeDecimal(std::int64_t n, int decimals, char *out)
{
    int length = 0;
    if (n < 0) {
        out[length++] = '-';
        n = -n;
    }
    char reversed[24];
    int count = 0;
    auto units = static_cast<std::uint64_t>(n);
    do {
        reversed[count++] = char('0' + units % 10);
        units /= 10;
    } while (units != 0 || count <= decimals);
    int skip = 0;
    while (skip < decimals && reversed[skip] == '0')
        ++skip;
    for (int i = count - 1; i >= decimals; --i)
        out[length++] = reversed[i];
    if (skip < decimals) {
        out[length++] = '.';
        for (int i = decimals - 1; i >= skip; --i)
            out[length++] = reversed[i];
    }
    return length;
}

} // namespace

int general(double value, char *out)
{
    const auto copy = [out](std::string_view text) {
        text.copy(out, text.size());
        return int(text.size());
    };
    if (value == 0)
        return copy("0");
    if (!std::isfinite(value))
        return copy(std::isnan(value) ? "NAN" : value > 0 ? "INF" : "-INF");

    // Points and amounts mostly have a few decimals: when n / 10^4 (n well
    // inside 15 digits) is the decimal nearest to which the value is stored,
    // that decimal is also what rounding to 15 digits gives. The quotient of
    // the exact integer n is rounded correctly, so comparing it with the
    // value is an exact test.
    if (std::fabs(value) < 1e10) {
        const double n = std::rint(value * 1e4);
        if (n / 1e4 == value)
            return writeDecimal(static_cast<std::int64_t>(n), 4, out);
    }

    // The shortest text that reads back as the value is, when it has at most
    // 15 significant digits, also the value rounded to 15 digits (the double
    // is far closer to it than to any other 15-digit number); only longer
    // ones need the rounding conversion, which is several times slower.
    char buffer[64];
    char *end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific).ptr;
    const char *e = std::find(buffer, end, 'e');
    const bool negative = buffer[0] == '-';
    const std::ptrdiff_t mantissa = e - (buffer + negative); // its digits, and a point after the first
    if ((mantissa > 1 ? mantissa - 1 : mantissa) > 15) {
        // Round to 15 significant digits once; the exponent after rounding
        // decides the notation, so 999999999999999.9 becomes "1E15".
        end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14).ptr;
        e = std::find(buffer, end, 'e');
    }
    char digits[20];
    int count = 0;
    for (const char *c = buffer + negative; c != e; ++c)
        if (*c != '.')
            digits[count++] = *c;
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+'), end, exponent);
    while (count > 1 && digits[count - 1] == '0')
        --count;

    int length = 0;
    if (negative)
        out[length++] = '-';
    const auto put = [&](const char *from, int n) {
        std::memcpy(out + length, from, std::size_t(n));
        length += n;
    };
    const auto zeros = [&](int n) {
        std::memset(out + length, '0', std::size_t(n));
        length += n;
    };
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            put("0.", 2);
            zeros(-exponent - 1);
            put(digits, count);
        } else if (count <= exponent + 1) {
            put(digits, count);
            zeros(exponent + 1 - count);
        } else {
            put(digits, exponent + 1);
            out[length++] = '.';
            put(digits + exponent + 1, count - exponent - 1);
        }
    } else {
        out[length++] = digits[0];
        if (count > 1) {
            out[length++] = '.';
            put(digits + 1, count - 1);
        }
        out[length++] = 'E';
        length += int(std::to_chars(out + length, out + length + 8, exponent).ptr - (out + length));
    }
    return length;
}

QString general(double value, const QString &decimalPoint)
{
    char buffer[32];
    const int length = general(value, buffer);
    return withPoint(buffer, buffer + length, decimalPoint);
}

int fixed4(double value, char *out)
{
    // Explanations hold hundreds of thousands of amounts, so the usual case
    // avoids the general conversion: below a million the scaled product is
    // within 1e-6 of the exact value, so unless it lies that close to a
    // half, rounding the product rounds the exact value the same way.
    const double scaled = value * 10000;
    const double whole = std::rint(scaled); // nearest, ties to even
    if (std::fabs(value) < 1e6 && std::fabs(std::fabs(scaled - whole) - 0.5) > 1e-5) {
        auto units = static_cast<std::uint64_t>(std::fabs(whole));
        char reversed[24];
        int n = 0;
        for (int i = 0; i < 4; ++i, units /= 10)
            reversed[n++] = char('0' + units % 10);
        reversed[n++] = '.';
        do {
            reversed[n++] = char('0' + units % 10);
            units /= 10;
        } while (units != 0);
        int length = 0;
        if (std::signbit(value))
            out[length++] = '-';
        while (n > 0)
            out[length++] = reversed[--n];
        return length;
    }
    return int(std::to_chars(out, out + 330, value, std::chars_format::fixed, 4).ptr - out);
}

QString fixed4(double value, const QString &decimalPoint)
{
    char buffer[330];
    const int length = fixed4(value, buffer);
    return withPoint(buffer, buffer + length, decimalPoint);
}

} // namespace depnumbers
