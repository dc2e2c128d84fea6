// The text form of a result: 15 significant digits, plain or in exponent notation.
#include "calc/calc.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace calc {
namespace {

constexpr int kSignificantDigits = 15;

void AppendZeros(std::string& out, int count) { out.append(static_cast<std::size_t>(std::max(count, 0)), '0'); }

}  // namespace

std::string FormatNumber(double x, std::string_view separator) {
    // A tiny negative amount rounds to -0, which is written like any zero.
    if (x == 0) return "0";
    if (std::isnan(x)) return "nan";
    if (std::isinf(x)) return x < 0 ? "-inf" : "inf";

    // to_chars rounds the exact binary value to 15 significant digits, ties to even, whatever the
    // C locale says: "-d.ddddddddddddddde-ddd". (Asking for the shortest form first and rounding
    // only longer ones was tried: faster for whole numbers, slower for the usual cents.)
    char buffer[32];
    const char* end =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific, kSignificantDigits - 1).ptr;
    // With the precision fixed the layout is too, so nothing needs searching: the first digit,
    // the point, 14 digits, then the exponent mark.
    const bool negative = buffer[0] == '-';
    const char* first = buffer + (negative ? 1 : 0);
    const char* exponentMark = first + 2 + (kSignificantDigits - 1);
    assert(first[1] == '.' && *exponentMark == 'e');
    int exponent = 0;
    std::from_chars(exponentMark + 2, end, exponent);  // after "e+" or "e-"
    if (exponentMark[1] == '-') exponent = -exponent;

    // The significant digits without the point, trailing zeros dropped.
    char digits[kSignificantDigits];
    digits[0] = first[0];
    std::copy(first + 2, exponentMark, digits + 1);
    int count = kSignificantDigits;
    while (count > 1 && digits[count - 1] == '0') --count;

    // No reserve: the usual result ("105", "10.5", "1469.13") fits in the string's own buffer and
    // needs no heap at all, while a reserve for the longest form would allocate every time.
    std::string out;
    if (negative) out += '-';
    if (exponent >= -4 && exponent < kSignificantDigits) {
        if (exponent >= 0) {
            const int wholeDigits = exponent + 1;
            out.append(digits, static_cast<std::size_t>(std::min(count, wholeDigits)));
            AppendZeros(out, wholeDigits - count);
            if (count > wholeDigits) {
                out += separator;
                out.append(digits + wholeDigits, static_cast<std::size_t>(count - wholeDigits));
            }
        } else {
            out += '0';
            out += separator;
            AppendZeros(out, -exponent - 1);
            out.append(digits, static_cast<std::size_t>(count));
        }
        return out;
    }

    out += digits[0];
    if (count > 1) {
        out += separator;
        out.append(digits + 1, static_cast<std::size_t>(count - 1));
    }
    out += exponent < 0 ? "E-" : "E+";
    const int magnitude = std::abs(exponent);
    if (magnitude < 10) out += '0';
    out += std::to_string(magnitude);
    return out;
}

}  // namespace calc
