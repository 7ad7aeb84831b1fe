#include "DepNumbers.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace depnumbers {

namespace {

QString withPoint(const char *begin, const char *end, const QString &decimalPoint)
{
    QString result = QString::fromLatin1(begin, end - begin);
    if (decimalPoint != QLatin1String("."))
        result.replace(u'.', decimalPoint);
    return result;
}

} // namespace

QString general(double value, const QString &decimalPoint)
{
    if (value == 0)
        return QStringLiteral("0");
    if (!std::isfinite(value))
        return std::isnan(value) ? QStringLiteral("NAN") : value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");

    // Round to 15 significant digits once; the exponent after rounding decides
    // the notation, so 999999999999999.9 becomes "1E15" rather than 16 digits.
    char buffer[64];
    const auto scientific = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string text(buffer, scientific.ptr);
    const bool negative = text[0] == '-';
    const std::size_t e = text.find('e');
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    const int exponent = std::atoi(text.c_str() + e + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= -5 && exponent < 15) {
        if (exponent < 0) {
            out += "0.";
            out.append(std::size_t(-exponent - 1), '0');
            out += digits;
        } else if (int(digits.size()) <= exponent + 1) {
            out += digits;
            out.append(std::size_t(exponent + 1 - int(digits.size())), '0');
        } else {
            out += digits.substr(0, std::size_t(exponent + 1));
            out += '.';
            out += digits.substr(std::size_t(exponent + 1));
        }
    } else {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return withPoint(out.data(), out.data() + out.size(), decimalPoint);
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
