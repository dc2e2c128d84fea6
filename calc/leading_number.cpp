// The leading-number rule: the number standing at the start of a field's text, read leniently.
#include "calc/calc.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>

namespace calc {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

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

    // Hands each decimal digit standing next to `take`, blanks between them skipped, and tells
    // whether there was any. The loop every typed amount goes through, kept free of the
    // per-character bookkeeping of Advance.
    template <class Take>
    bool TakeDigits(Take take) {
        bool any = false;
        std::size_t pos = pos_;
        for (; pos < text_.size(); ++pos) {
            if (IsDecimalDigit(text_[pos])) {
                take(text_[pos]);
                any = true;
            } else if (!IsBlank(text_[pos])) {
                break;
            }
        }
        pos_ = pos;
        return any;
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
    void AddIntegerDigit(char d) {
        if (count_ == 0 && d == '0') return;
        if (!Keep(d)) ++exponent_;
    }

    void AddFractionDigit(char d) {
        if (count_ == 0 && d == '0') {
            --exponent_;
            return;
        }
        if (Keep(d)) --exponent_;
    }

    // The digits times ten to the power of their exponent plus `extraExponent`, rounded to the
    // nearest double; below the smallest double it is the nearest one, possibly zero.
    double ToDouble(std::int64_t extraExponent) const {
        if (count_ == 0) return 0;
        std::int64_t exponent = exponent_ + extraExponent;

        // What people type takes a shortcut: up to 15 digits make a whole number that a double holds
        // exactly, and so is every power of ten up to 10^22, so one multiplication or division
        // rounds once to the nearest double, as from_chars would, at a fraction of its cost.
        if (count_ <= kExactDigits && exponent >= -kExactPower && exponent <= kExactPower) {
            const double whole = static_cast<double>(leading_);
            const double power = kPowersOfTen[exponent < 0 ? -exponent : exponent];
            return exponent < 0 ? whole / power : whole * power;
        }

        char text[kKept + 1 + 16];
        char* end = std::copy(digits_, digits_ + count_, text);
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
    static constexpr std::int64_t kExponentBound = 4000;
    static constexpr std::size_t kExactDigits = 15;
    static constexpr std::int64_t kExactPower = 22;
    static constexpr double kPowersOfTen[kExactPower + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

    bool Keep(char d) {
        if (count_ < kKept) {
            if (count_ < kExactDigits) leading_ = leading_ * 10 + static_cast<std::uint64_t>(d - '0');
            digits_[count_++] = d;
            return true;
        }
        droppedNonzero_ = droppedNonzero_ || d != '0';
        return false;
    }

    char digits_[kKept];
    std::uint64_t leading_ = 0;  // the first kExactDigits digits as a whole number
    std::size_t count_ = 0;
    std::int64_t exponent_ = 0;
    bool droppedNonzero_ = false;
};

// An exponent letter, an optional sign and digits; without digits the letter is not part of the
// number. Huge exponents saturate: past the double range only their sign matters.
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
        if (exponent < 1'000'000) exponent = exponent * 10 + (in.Peek() - '0');
    }
    return negative ? -exponent : exponent;
}

// Digits, an optional decimal mark (the period or the user's separator) with more digits, and an
// optional exponent; at least one digit, else there is no number.
double ReadDecimalNumber(Cursor& in, std::string_view separator) {
    SignificantDigits digits;
    bool sawDigit = in.TakeDigits([&digits](char d) { digits.AddIntegerDigit(d); });
    // The separator is tried first: one that begins with a period (Windows lets the user set
    // ".-" or "..") is then the longer mark, and the program's own output reads back.
    if (in.AcceptWord(separator) || in.Accept('.')) {
        sawDigit = in.TakeDigits([&digits](char d) { digits.AddFractionDigit(d); }) || sawDigit;
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
