// Veltrix price calculation: reads an amount typed into one field and writes the two linked
// amounts (without VAT, with 5 % VAT, with 19 % VAT) into the others. Pure standard C++.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace calc {

// A fixed-point amount counting ten-thousandths: four decimal places, signed 64-bit range.
struct Amount {                                     // ten-thousandths
    std::int64_t count;
    friend bool operator==(Amount, Amount) = default;
};

enum class AmountField { txtBez, txt5, txt19 };

// A number too large for the type that must hold it (a double, an Amount, a 32-bit radix number).
struct OverflowError : std::overflow_error { using std::overflow_error::overflow_error; };

// The tax factors: the doubles nearest to 1.05 (reduced rate) and 1.19 (standard rate).
inline constexpr double RateFactor5 = 1.05;
inline constexpr double RateFactor19 = 1.19;

// How Recalculate reaches the three fields; the window implements it, tests hold texts in memory.
class FieldAccess {
public:
    virtual ~FieldAccess() = default;
    virtual std::string ReadText(AmountField field) const = 0;           // UTF-8
    virtual void WriteText(AmountField field, const std::string& text) = 0;
    virtual std::string DecimalSeparator() const = 0;
};

// The number at the start of `text`, ignoring blanks anywhere and whatever follows the number;
// 0 if there is none. The period and `separator` both mark decimals. Throws OverflowError
// beyond the double range or, for &H/&O numbers, beyond 32 bits.
double LeadingNumber(std::string_view text, std::string_view separator = ".");

// LeadingNumber cut to four decimals (ties to even). Throws OverflowError outside the Amount range.
Amount ReadAmount(std::string_view text, std::string_view separator = ".");

// The count divided by 10,000, rounded to the nearest double.
double AmountToDouble(Amount amount);

// `x` rounded to `digits` decimals (0 to 22; others are clamped), an exact half of the scaled
// double going to the even neighbour: 0.125 -> 0.12, 2.675 -> 2.68.
double RoundHalfEven(double x, int digits);

// `x` rounded to 15 significant digits and written plainly ("84.03", "-5.25", "0") or, below
// 1E-04 or from 1E+15 on, in exponent form ("1.071E+15"), with `separator` as decimal mark.
std::string FormatNumber(double x, std::string_view separator);

// Reads the source field, then writes the two other fields in table order (txtBez, txt5, txt19).
// Throws OverflowError before writing anything; a failing WriteText stops it where it stands.
void Recalculate(AmountField source, FieldAccess& fields);

}  // namespace calc
