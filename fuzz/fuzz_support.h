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
#include <regex>
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
inline std::optional<Wide> ReadWritten(std::string text, std::string_view separator, int places) {
    if (const std::size_t at = text.find(separator); at != std::string::npos) text.replace(at, separator.size(), ".");
    static const std::regex form(R"((-?)(0|[1-9]\d*)(?:\.(\d*[1-9]))?(?:E([+-]\d{2,3}))?)");
    std::smatch parts;
    if (!std::regex_match(text, parts, form)) return std::nullopt;
    std::string digits = parts[2].str() + parts[3].str();
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    int shift = places - static_cast<int>(parts[3].length()) + (parts[4].matched ? std::stoi(parts[4].str()) : 0);
    if (digits.size() > 15 || shift < 0 || shift > 20) return std::nullopt;
    Wide count = 0;
    for (const char digit : digits) count = count * 10 + (digit - '0');
    for (; shift > 0; --shift) count *= 10;
    return parts[1].length() > 0 ? -count : count;
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
