// Helpers shared by the fuzz targets: turning raw bytes into a separator and a text, and reading a
// written number back as an exact decimal, without the library's own reading or number form.
#pragma once

#include "calc/calc.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace fuzz {

// Exact products of counts and rates: a count of ten-thousandths times 119 overflows 64 bits.
__extension__ typedef __int128 Wide;

inline Wide Magnitude(Wide x) { return x < 0 ? -x : x; }

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

// Whether a written number can be told apart from its separator: not empty, and no digit, sign or
// exponent mark E in it. Every separator that regional settings offer passes.
inline bool IsPlausibleSeparator(std::string_view separator) {
    return !separator.empty() && separator.find_first_of("0123456789+-E") == std::string_view::npos;
}

// A written number read exactly and counted in units of ten to the -`places`. Its form: an
// optional "-", digits without leading zeros, optionally `separator` and digits without trailing
// zeros, optionally "E", a sign and two or three digits, and nothing else (no blank, "+" or
// grouping). Nothing when the text has another form, more than 15 significant digits, or is not a
// whole count of such units.
inline std::optional<Wide> ReadWritten(std::string_view text, std::string_view separator, int places) {
    const auto digits = [&text] {  // the digits at the front of `text`, taken off it
        const std::string_view run = text.substr(0, std::min(text.find_first_not_of("0123456789"), text.size()));
        text.remove_prefix(run.size());
        return run;
    };
    const bool negative = text.starts_with('-');
    text.remove_prefix(negative ? 1 : 0);
    const std::string_view whole = digits();
    const bool pointed = text.starts_with(separator);
    text.remove_prefix(pointed ? separator.size() : 0);
    const std::string_view fraction = pointed ? digits() : std::string_view{};
    const int sign = text.starts_with("E+") ? 1 : text.starts_with("E-") ? -1 : 0;
    text.remove_prefix(sign != 0 ? 2 : 0);
    const std::string_view power = sign != 0 ? digits() : std::string_view{};
    if (!text.empty() || whole.empty() || (whole.size() > 1 && whole[0] == '0') ||
        (pointed && (fraction.empty() || fraction.back() == '0')) || (sign != 0 && (power.size() < 2 || power.size() > 3))) {
        return std::nullopt;
    }
    std::string all = std::string(whole).append(fraction);
    all.erase(0, std::min(all.find_first_not_of('0'), all.size()));
    int shift = places - static_cast<int>(fraction.size()) + (sign != 0 ? sign * std::stoi(std::string(power)) : 0);
    if (all.size() > 15 || shift < 0 || shift > 20) return std::nullopt;
    Wide count = 0;
    for (const char digit : all) count = count * 10 + (digit - '0');
    for (; shift > 0; --shift) count *= 10;
    return negative ? -count : count;
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
