// The leading-number rule: the number standing at the start of a field's text, read leniently.
#include "calc/calc.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace calc {
namespace {

// Printable characters fail the first test, so the usual case costs one comparison.
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || c == '\t' || c == '\n' || c == '\r');
}
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Whether eight bytes are all ASCII digits, tested as one word: each byte's high half must be 3,
// and adding 6 to its low half must not carry into the high half (which it does from 10 on).
bool EightAreDigits(const char* bytes) {
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return (word & 0xF0F0'F0F0'F0F0'F0F0) == 0x3030'3030'3030'3030 &&
           ((word + 0x0606'0606'0606'0606) & 0xF0F0'F0F0'F0F0'F0F0) == 0x3030'3030'3030'3030;
}

// Walks the text as if every blank had been removed beforehand, without copying it: a field may
// hold text of any length and reading must stay linear and allocation-free.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) { SkipBlanks(); }

    bool AtEnd() const { return pos_ == text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    void Advance() { ++pos_; SkipBlanks(); }

    bool Accept(char c) {
        if (AtEnd() || Peek() != c) return false;
        Advance();
        return true;
    }

    // Consumes `word` if it stands next (blanks inside the text skipped); otherwise moves nothing.
    bool AcceptWord(std::string_view word) {
        if (word.empty()) return false;
        const Cursor start = *this;
        for (char c : word) {
            if (!Accept(c)) {
                *this = start;
                return false;
            }
        }
        return true;
    }

    // Hands each run of decimal digits standing next to `take` (blanks between digits split the
    // runs) and tells whether there was any digit. Whole runs, so that the digits of a typed
    // amount are read in one tight loop rather than one call each.
    template <class Take>
    bool TakeDigits(Take take) {
        const std::size_t start = pos_;
        while (!AtEnd() && IsDecimalDigit(Peek())) {
            std::size_t end = pos_;
            while (text_.size() - end >= 8 && EightAreDigits(text_.data() + end)) end += 8;
            while (end < text_.size() && IsDecimalDigit(text_[end])) ++end;
            take(text_.substr(pos_, end - pos_));
            pos_ = end;
            SkipBlanks();
        }
        return pos_ != start;
    }

private:
    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// "&H" hexadecimal or "&O" octal. Up to FFFF the value is a signed 16-bit number, above it a
// signed 32-bit one, so "&HFFFF" is -1 and "&H10000" is 65536. Leading zeros are harmless
// because the value, not the digit count, decides; anything past 32 bits is an overflow.
double ReadRadixNumber(Cursor& in) {
    in.Advance();  // the '&'
    const char prefix = in.Peek();
    const int base = (prefix == 'H' || prefix == 'h') ? 16 : (prefix == 'O' || prefix == 'o') ? 8 : 0;
    if (base == 0) return 0;
    in.Advance();

    std::uint64_t value = 0;
    for (int digit; (digit = DigitValue(in.Peek())) < base; in.Advance()) {
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFF'FFFFu) throw OverflowError("radix number beyond 32 bits");
    }
    const std::int64_t wrap = value <= 0xFFFF ? 0x1'0000 : 0x1'0000'0000;
    const std::int64_t signedValue =
        static_cast<std::int64_t>(value) >= wrap / 2 ? static_cast<std::int64_t>(value) - wrap
                                                     : static_cast<std::int64_t>(value);
    return static_cast<double>(signedValue);
}

// Collects the significant digits of a decimal number into a fixed buffer. A number halfway
// between two doubles has at most 767 significant digits, so keeping more than that and noting
// only whether any dropped digit was nonzero (one sticky digit) decides every rounding exactly,
// however many digits were typed.
class SignificantDigits {
public:
    void AddIntegerDigits(std::string_view run) {
        if (count_ == 0) run = SkipLeadingZeros(run);
        exponent_ += static_cast<std::int64_t>(run.size() - Keep(run));
    }

    void AddFractionDigits(std::string_view run) {
        if (count_ == 0) {
            const std::size_t before = run.size();
            run = SkipLeadingZeros(run);
            exponent_ -= static_cast<std::int64_t>(before - run.size());
        }
        exponent_ -= static_cast<std::int64_t>(Keep(run));
    }

    // The digits times ten to the power of their exponent plus `extraExponent`, rounded to the
    // nearest double; below the smallest double it is the nearest one, possibly zero.
    double ToDouble(std::int64_t extraExponent) const {
        if (count_ == 0) return 0;
        std::int64_t exponent = exponent_ + extraExponent;

        // What people type takes a shortcut: up to 15 digits make a whole number that a double holds
        // exactly, and so is every power of ten up to 10^22, so one multiplication or division
        // rounds once to the nearest double, as from_chars would, at a fraction of its cost.
        if (count_ <= kLeadingDigits && exponent >= -kExactPower && exponent <= kExactPower) {
            const double whole = static_cast<double>(leading_);
            const double power = kPowersOfTen[exponent < 0 ? -exponent : exponent];
            return exponent < 0 ? whole / power : whole * power;
        }

        // leading_ starts with a nonzero digit, so it prints as exactly its digits.
        char text[kKept + 1 + 16];
        char* end = std::to_chars(text, text + sizeof text, leading_).ptr;
        end = std::copy(rest_, rest_ + (count_ - std::min(count_, kLeadingDigits)), end);
        if (droppedNonzero_) {
            *end++ = '1';
            --exponent;
        }
        // Past these bounds the outcome is the same (overflow or zero) and from_chars needs no huge exponent.
        exponent = std::clamp<std::int64_t>(exponent, -kExponentBound, kExponentBound);
        *end++ = 'e';
        end = std::to_chars(end, text + sizeof text, exponent).ptr;

        double value = 0;
        const auto [ptr, ec] = std::from_chars(text, end, value);
        if (ec == std::errc::result_out_of_range) {
            if (exponent < 0) return 0;
            throw OverflowError("number beyond the double range");
        }
        return value;
    }

private:
    static constexpr std::size_t kKept = 780;
    static constexpr std::size_t kLeadingDigits = 15;
    static constexpr std::int64_t kExponentBound = 4000;
    static constexpr std::int64_t kExactPower = 22;
    static constexpr double kPowersOfTen[kExactPower + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

    static std::string_view SkipLeadingZeros(std::string_view run) {
        std::size_t zeros = 0;
        while (zeros < run.size() && run[zeros] == '0') ++zeros;
        return run.substr(zeros);
    }

    // The value of eight ASCII digits read as one little-endian word, the first digit in the
    // lowest byte: neighbouring digits are paired up three times (tens, hundreds, ten-thousands),
    // so a typed amount costs a few multiplications instead of one per digit.
    static std::uint64_t EightDigits(const char* digits) {
        std::uint64_t word;
        std::memcpy(&word, digits, sizeof word);
        word -= 0x3030'3030'3030'3030;
        word = (word * 10 + (word >> 8)) & 0x00FF'00FF'00FF'00FF;
        word = (word * 100 + (word >> 16)) & 0x0000'FFFF'0000'FFFF;
        return (word * 10'000 + (word >> 32)) & 0xFFFF'FFFF;
    }

    // Keeps as many digits of the run as fit and returns how many; the first 15 go into a
    // whole number, the rest are kept as text.
    std::size_t Keep(std::string_view run) {
        const std::size_t kept = std::min(run.size(), kKept - count_);
        std::size_t i = 0;
        for (; std::endian::native == std::endian::little && kept - i >= 8 && count_ + 8 <= kLeadingDigits;
             i += 8, count_ += 8) {
            leading_ = leading_ * 100'000'000 + EightDigits(run.data() + i);
        }
        for (; i < kept && count_ < kLeadingDigits; ++i, ++count_) {
            leading_ = leading_ * 10 + static_cast<std::uint64_t>(run[i] - '0');
        }
        if (i < kept) {
            std::copy(run.data() + i, run.data() + kept, rest_ + (count_ - kLeadingDigits));
            count_ += kept - i;
        }
        for (std::size_t dropped = kept; dropped < run.size() && !droppedNonzero_; ++dropped) {
            droppedNonzero_ = run[dropped] != '0';
        }
        return kept;
    }

    std::uint64_t leading_ = 0;  // the first kLeadingDigits digits as a whole number
    char rest_[kKept - kLeadingDigits];
    std::size_t count_ = 0;
    std::int64_t exponent_ = 0;
    bool droppedNonzero_ = false;
};

// Where a typed exponent stops growing. The digits shift the point by at most the text's length,
// which no text in memory comes near (64-bit address spaces stop below 2^57 bytes), so a saturated
// exponent still decides the outcome after that shift, and the sum of the two cannot overflow.
constexpr std::int64_t kExponentSaturation = std::int64_t{1} << 60;

// An exponent letter, an optional sign and digits; without digits the letter is not part of the
// number. Huge exponents saturate: past any shift the digits can make only their sign matters.
std::int64_t ReadExponent(Cursor& in) {
    const Cursor start = in;
    const char letter = in.Peek();
    if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') return 0;
    in.Advance();
    const bool negative = in.Peek() == '-';
    if (in.Peek() == '+' || negative) in.Advance();
    if (!IsDecimalDigit(in.Peek())) {
        in = start;
        return 0;
    }
    std::int64_t exponent = 0;
    for (; IsDecimalDigit(in.Peek()); in.Advance()) {
        exponent = exponent < kExponentSaturation / 10 ? exponent * 10 + (in.Peek() - '0') : kExponentSaturation;
    }
    return negative ? -exponent : exponent;
}

// Digits, an optional decimal mark (the period or the user's separator) with more digits, and an
// optional exponent; at least one digit, else there is no number.
double ReadDecimalNumber(Cursor& in, std::string_view separator) {
    SignificantDigits digits;
    bool sawDigit = in.TakeDigits([&digits](std::string_view run) { digits.AddIntegerDigits(run); });
    // The separator is tried first: one that begins with a period (Windows lets the user set
    // ".-" or "..") is then the longer mark, and the program's own output reads back.
    if (in.AcceptWord(separator) || in.Accept('.')) {
        sawDigit = in.TakeDigits([&digits](std::string_view run) { digits.AddFractionDigits(run); }) || sawDigit;
    }
    if (!sawDigit) return 0;
    return digits.ToDouble(ReadExponent(in));
}

}  // namespace

double LeadingNumber(std::string_view text, std::string_view separator) {
    Cursor in(text);
    const bool negative = in.Peek() == '-';
    if (negative || in.Peek() == '+') in.Advance();
    const double value = in.Peek() == '&' ? ReadRadixNumber(in) : ReadDecimalNumber(in, separator);
    return negative ? -value : value;
}

}  // namespace calc
