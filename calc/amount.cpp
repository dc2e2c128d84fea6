// The four-decimal fixed-point amount from which every recalculation starts.
#include "calc/calc.h"

#include <charconv>
#include <cstdlib>

namespace calc {

Amount ReadAmount(std::string_view text, std::string_view separator) {
    // The scaling is a double product (rounded like every step), so amounts above 2^53 / 10,000
    // are not always held exactly; rounding the product to a whole number uses the same
    // half-to-even rule as the results.
    const double count = RoundHalfEven(LeadingNumber(text, separator) * 10'000.0, 0);
    // -2^63 is the smallest count; 2^63 is one past the largest. NaN and infinities fail both tests.
    if (!(count >= -0x1p63 && count < 0x1p63)) throw OverflowError("amount beyond the currency range");
    return Amount{static_cast<std::int64_t>(count)};
}

double AmountToDouble(Amount amount) {
    // Up to 2^53 the count converts exactly and one division rounds once. Larger counts would be
    // rounded twice that way, so their exact decimal text is rounded once by from_chars instead.
    constexpr std::int64_t kExactLimit = std::int64_t{1} << 53;
    if (amount.count >= -kExactLimit && amount.count <= kExactLimit) {
        return static_cast<double>(amount.count) / 10'000.0;
    }
    const std::lldiv_t parts = std::lldiv(amount.count, 10'000);
    char text[32];
    char* end = text;
    if (amount.count < 0) *end++ = '-';
    end = std::to_chars(end, text + sizeof text, std::llabs(parts.quot)).ptr;
    *end++ = '.';
    const long long fraction = std::llabs(parts.rem);
    for (long long unit = 1000; unit > 0; unit /= 10) *end++ = static_cast<char>('0' + fraction / unit % 10);
    double value = 0;
    std::from_chars(text, end, value);
    return value;
}

}  // namespace calc
