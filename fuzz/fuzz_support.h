// Helpers shared by the fuzz targets: turning raw bytes into a separator and a text, and the
// reference facts the targets check the library against.
#pragma once

#include "calc/calc.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// Stops the run with a message; libFuzzer then saves the input that got here.
[[noreturn]] inline void Fail(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "INVARIANT BROKEN: %s [%.*s]\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

// Reads one byte off the front of the input, 0 when none is left.
inline std::uint8_t TakeByte(std::string_view& in) {
    if (in.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(in.front());
    in.remove_prefix(1);
    return b;
}

// The decimal separator for this input: the common ones most of the time, so that the fuzzer
// spends its effort on the numbers, and otherwise one to three bytes of the input itself (which
// may be empty, a digit, a sign or invalid UTF-8: the library must survive all of them).
inline std::string TakeSeparator(std::string_view& in) {
    switch (TakeByte(in) % 5) {
    case 0: return ".";
    case 1: return ",";
    case 2: return "\xD9\xAB";  // U+066B ARABIC DECIMAL SEPARATOR: several bytes, one character
    default: {
        const std::size_t length = std::min<std::size_t>(TakeByte(in) % 4, in.size());
        std::string separator(in.substr(0, length));
        in.remove_prefix(length);
        return separator;
    }
    }
}

// Whether regional settings could give this separator, so that text written with it must read
// back. A separator that contains a digit, a sign, a blank (blanks are dropped when reading), an
// exponent letter E/D or the radix mark '&' would merge with the number around it, and an empty
// one would write "10.5" as "105"; no locale has such a separator.
inline bool IsPlausibleSeparator(std::string_view separator) {
    if (separator.empty()) return false;
    for (char c : separator) {
        if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == ' ' || c == '\t' || c == '\n' || c == '\r' ||
            c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == '&') {
            return false;
        }
    }
    return true;
}

// `x` rounded to 15 significant digits, as the written form holds it (to_chars rounds the exact
// binary value, ties to even; from_chars reads the decimal back to the nearest double).
inline double RoundTo15Digits(double x) {
    if (x == 0) return 0;
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, x, std::chars_format::scientific, 14).ptr;
    double rounded = 0;
    std::from_chars(text, end, rounded);
    return rounded;
}

// The same text with its number negated: a leading sign (after any blanks) is flipped, otherwise
// a minus goes in front. Reading the result must give exactly the negated value.
inline std::string Negated(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\n\r");
    std::string out(text);
    if (first != std::string_view::npos && (text[first] == '-' || text[first] == '+')) {
        out[first] = text[first] == '-' ? '+' : '-';
    } else {
        out.insert(out.begin(), '-');
    }
    return out;
}

// The written form of a negated result: "0" stays "0", anything else gains or loses its minus.
inline std::string NegatedResult(const std::string& text) {
    if (text == "0") return text;
    return text.front() == '-' ? text.substr(1) : "-" + text;
}

}  // namespace fuzz
