#include "calc/calc.h"
#include "tests/support/table_row.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

struct NumberCase : testsupport::Row {
    std::string text;
    const char* separator;
    double expected;
};

class LeadingNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(LeadingNumberTest, ReadsTheNumberAtTheStart) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(calc::LeadingNumber(c.text, c.separator), c.expected) << c.proves << ": \"" << c.text << '"';
}

// What a person types into a field: decimal numbers, blanks anywhere, trailing words.
INSTANTIATE_TEST_SUITE_P(DecimalForm, LeadingNumberTest, testing::Values(
    NumberCase{{"empty text is zero"}, "", ".", 0},
    NumberCase{{"words are zero"}, "abc", ".", 0},
    NumberCase{{"a lone point is zero"}, ".", ".", 0},
    NumberCase{{"a lone sign is zero"}, "-", ".", 0},
    NumberCase{{"a number may end with the point"}, "5.", ".", 5},
    NumberCase{{"a number may begin with the point"}, ".5", ".", 0.5},
    NumberCase{{"a comma ends the number under a period separator"}, "12,50", ".", 12},
    NumberCase{{"a currency after the number is ignored"}, "12.50 Kč", ".", 12.5},
    NumberCase{{"blanks anywhere are dropped"}, " 1 234.5 ", ".", 1234.5},
    NumberCase{{"tabs, line feeds and carriage returns are dropped"}, "\t1\n2\r3", ".", 123},
    NumberCase{{"reading stops at the first word"}, "24 and 57", ".", 24},
    NumberCase{{"minus sign"}, "-7.5", ".", -7.5},
    NumberCase{{"plus sign"}, "+3", ".", 3},
    NumberCase{{"a second sign ends the number"}, "--3", ".", 0},
    NumberCase{{"exponent with E"}, "1e3", ".", 1000},
    NumberCase{{"exponent with D"}, "2D2", ".", 200},
    NumberCase{{"negative exponent"}, "25E-2", ".", 0.25},
    NumberCase{{"exponent after a trailing point"}, "5.e1", ".", 50},
    NumberCase{{"an exponent letter without digits ends the number"}, "1e", ".", 1},
    NumberCase{{"an exponent sign without digits ends the number"}, "1e+", ".", 1},
    NumberCase{{"a second point ends the number"}, "1.5.3", ".", 1.5},
    NumberCase{{"a point with no digit is no number"}, ".e5", ".", 0}));

// The decimal separator of the user's settings marks decimals too, so results read back.
INSTANTIATE_TEST_SUITE_P(UserSeparator, LeadingNumberTest, testing::Values(
    NumberCase{{"comma marks decimals under a comma separator"}, "12,50", ",", 12.5},
    NumberCase{{"a written result reads back"}, "10,5", ",", 10.5},
    NumberCase{{"the first mark of either kind is the only one"}, "1,5.3", ",", 1.5},
    NumberCase{{"the period still marks decimals"}, "1.5,3", ",", 1.5},
    NumberCase{{"a number may begin with the separator"}, ",5", ",", 0.5},
    NumberCase{{"an empty separator adds nothing"}, "12,50", "", 12},
    NumberCase{{"a separator of several characters"}, "3\xd9\xab" "25", "\xd9\xab", 3.25},
    NumberCase{{"a separator interrupted by blanks still matches"}, "3\xd9 \xab" "5", "\xd9\xab", 3.5},
    NumberCase{{"half a separator ends the number"}, "3\xd9" "5", "\xd9\xab", 3},
    NumberCase{{"a separator beginning with a period is the whole mark"}, "1.-5", ".-", 1.5}));

// &H and &O numbers: 16-bit up to FFFF, 32-bit above, sign in front applies to the value.
INSTANTIATE_TEST_SUITE_P(RadixForm, LeadingNumberTest, testing::Values(
    NumberCase{{"hexadecimal"}, "&H64", ".", 100},
    NumberCase{{"lower-case prefix and digits"}, "&hff", ".", 255},
    NumberCase{{"FFFF is the 16-bit minus one"}, "&HFFFF", ".", -1},
    NumberCase{{"8000 is the 16-bit minimum"}, "&H8000", ".", -32768},
    NumberCase{{"above FFFF is 32-bit"}, "&H10000", ".", 65536},
    NumberCase{{"FFFFFFFF is the 32-bit minus one"}, "&HFFFFFFFF", ".", -1},
    NumberCase{{"80000000 is the 32-bit minimum"}, "&H80000000", ".", -2147483648.0},
    NumberCase{{"leading zeros do not count"}, "&H0000000064", ".", 100},
    NumberCase{{"octal"}, "&O17", ".", 15},
    NumberCase{{"octal stops at 8"}, "&O178", ".", 15},
    NumberCase{{"the largest octal"}, "&O37777777777", ".", -1},
    NumberCase{{"a prefix without digits is zero"}, "&H", ".", 0},
    NumberCase{{"a minus sign negates the value"}, "-&H10", ".", -16},
    NumberCase{{"a minus sign negates the 16-bit value"}, "-&HFFFF", ".", 1},
    NumberCase{{"an unknown prefix is no number"}, "&X10", ".", 0},
    NumberCase{{"a lone ampersand is no number"}, "&", ".", 0},
    NumberCase{{"radix digits stop at a point"}, "&H1.5", ".", 1}));

// Correct rounding at the ends of the double range, and text too long for a naive reader.
INSTANTIATE_TEST_SUITE_P(Extremes, LeadingNumberTest, testing::Values(
    NumberCase{{"the largest double"}, "1.7976931348623157e308", ".", std::numeric_limits<double>::max()},
    NumberCase{{"the smallest subnormal"}, "4.9406564584124654e-324", ".", std::numeric_limits<double>::denorm_min()},
    NumberCase{{"a subnormal rounds to nearest"}, "3e-324", ".", std::numeric_limits<double>::denorm_min()},
    NumberCase{{"below half the smallest double is zero"}, "2e-324", ".", 0},
    NumberCase{{"far below the double range is zero"}, "1e-99999999999999999999", ".", 0},
    NumberCase{{"a million zeros after the point"}, "0." + std::string(1'000'000, '0'), ".", 0},
    NumberCase{{"a million leading zeros"}, std::string(1'000'000, '0') + "7", ".", 7},
    NumberCase{{"digits far after the point count with their exponent"}, "0." + std::string(1000, '0') + "5e1001", ".", 5},
    NumberCase{{"an exact halfway case goes to even"}, "9007199254740993", ".", 9007199254740992.0},
    // Digits are read in runs, eight at a time where they fit; blanks split the runs anywhere.
    NumberCase{{"runs split by blanks across the fifteenth digit"}, "1234 5678 9012 3456 7", ".", 1.2345678901234568e16},
    NumberCase{{"fraction runs after leading zeros"}, "0.000 000 123 456 789 012 345 678", ".", 1.2345678901234568e-07},
    NumberCase{{"eight digits and a fraction"}, "98765432.1", ".", 98765432.1},
    NumberCase{{"a run of eight after the fifteenth digit"}, "1234567890123456 78901234", ".", 1.2345678901234569e23},
    // The characters next to '0' and '9' in ASCII end an eight-byte run like any other.
    NumberCase{{"a colon inside eight bytes ends the digits"}, "1234567:89", ".", 1234567},
    NumberCase{{"a slash inside eight bytes ends the digits"}, "12/345678", ".", 12},
    NumberCase{{"a halfway case decided by a far digit"},
               "9007199254740993" + std::string(800, '0') + "1e-801", ".", 9007199254740994.0},
    // Megabyte texts whose digit count and exponent nearly cancel: the exponent may saturate only
    // after the digits' own shift of the point is counted.
    NumberCase{{"two million digits outweighed by a negative exponent"}, std::string(2'000'000, '1') + "e-1000000000", ".", 0},
    NumberCase{{"two million digits cancelled by their exponent"}, std::string(2'000'000, '1') + "e-2000000", ".", 1.0 / 9.0},
    NumberCase{{"a million zeros after the point cancelled by their exponent"},
               "0." + std::string(1'000'400, '0') + "1e1000401", ".", 1},
    NumberCase{{"the most negative exponent"}, "1e-9223372036854775808", ".", 0},
    NumberCase{{"an exponent past the 64-bit range"}, "1e-99999999999999999999999999", ".", 0},
    NumberCase{{"a million digits under an exponent past the 64-bit range"},
               std::string(1'000'000, '9') + "e-99999999999999999999999999", ".", 0}));

// Up to 15 digits and powers of ten up to 22 take a shortcut of one multiplication or division;
// on both sides of each limit the result must still be the nearest double (the literal's value).
INSTANTIATE_TEST_SUITE_P(ShortcutLimits, LeadingNumberTest, testing::Values(
    NumberCase{{"fifteen digits"}, "123456789012345", ".", 123456789012345.0},
    NumberCase{{"sixteen digits"}, "1234567890123456", ".", 1234567890123456.0},
    NumberCase{{"fifteen digits with decimals"}, "3.14159265358979", ".", 3.14159265358979},
    NumberCase{{"leading zeros are no digits"}, "000000000000000000001.5", ".", 1.5},
    NumberCase{{"times ten to the 22nd"}, "123456789012345e22", ".", 123456789012345e22},
    NumberCase{{"times ten to the 23rd"}, "123456789012345e23", ".", 123456789012345e23},
    NumberCase{{"divided by ten to the 22nd"}, "123456789012345e-22", ".", 123456789012345e-22},
    NumberCase{{"divided by ten to the 23rd"}, "123456789012345e-23", ".", 123456789012345e-23},
    NumberCase{{"decimals count into the power"}, "0.000000000000000000000123", ".", 0.000000000000000000000123}));

// The blank-skipping reader must agree with from_chars, which reads the same number without blanks,
// on random digit strings of every length, point position and exponent.
TEST(LeadingNumberTest, AgreesWithFromCharsOnRandomDecimals) {
    std::mt19937_64 random(20261208);
    for (int n = 0; n < 200'000; ++n) {
        std::string plain;
        std::string typed;
        const auto add = [&](const std::string& part) { plain += part; typed += part; };
        const int length = 1 + static_cast<int>(random() % 40);
        const int point = static_cast<int>(random() % (length + 1));
        for (int i = 0; i < length; ++i) {
            if (i == point) add(".");
            add(std::string(1, random() % 3 == 0 ? '0' : static_cast<char>('0' + random() % 10)));
            if (random() % 7 == 0) typed += ' ';
        }
        if (random() % 4 == 0) add("e" + std::to_string(static_cast<int>(random() % 61) - 30));

        double expected = 0;
        std::from_chars(plain.data(), plain.data() + plain.size(), expected);
        ASSERT_EQ(calc::LeadingNumber(typed), expected) << '"' << typed << '"';
    }
}

struct OverflowCase : testsupport::Row {
    std::string text;
};

class OverflowTest : public testing::TestWithParam<OverflowCase> {};

TEST_P(OverflowTest, ReadingThrowsOverflowError) {
    const OverflowCase& c = GetParam();
    EXPECT_THROW(calc::ReadAmount(c.text), calc::OverflowError) << c.proves;
}

INSTANTIATE_TEST_SUITE_P(Overflow, OverflowTest, testing::Values(
    OverflowCase{{"beyond the currency range"}, "1e15"},
    OverflowCase{{"beyond the double range"}, "1e400"},
    OverflowCase{{"a huge exponent"}, "1e99999999999999999999"},
    OverflowCase{{"a negative amount beyond the range"}, "-1e15"},
    OverflowCase{{"a million digits"}, std::string(1'000'000, '9')},
    OverflowCase{{"a million zeros after the point outweighed by the exponent"},
                 "0." + std::string(1'000'400, '0') + "1e1000000000"},
    OverflowCase{{"the largest exponent"}, "1e9223372036854775807"},
    OverflowCase{{"a million zeros after the point under an exponent past the 64-bit range"},
                 "0." + std::string(1'000'000, '0') + "1e99999999999999999999999999"},
    OverflowCase{{"a radix number beyond 32 bits"}, "&H100000000"},
    OverflowCase{{"an octal number beyond 32 bits"}, "&O40000000000"}));

struct AmountCase : testsupport::Row {
    const char* text;
    std::int64_t count;
};

class ReadAmountTest : public testing::TestWithParam<AmountCase> {};

TEST_P(ReadAmountTest, CutsToFourDecimals) {
    const AmountCase& c = GetParam();
    EXPECT_EQ(calc::ReadAmount(c.text), calc::Amount{c.count}) << c.proves;
}

INSTANTIATE_TEST_SUITE_P(FourDecimals, ReadAmountTest, testing::Values(
    AmountCase{{"rounds to four decimals"}, "1.23456", 12346},
    AmountCase{{"a half goes to the even neighbour, down"}, "0.00025", 2},
    AmountCase{{"a half goes to the even neighbour, up"}, "0.00035", 4},
    AmountCase{{"a negative half goes to the even neighbour"}, "-0.00035", -4},
    // 0.00015 x 10,000 is 1.4999999999999998 in double arithmetic: the product decides, not the text.
    AmountCase{{"the double product decides a typed half"}, "0.00015", 1},
    AmountCase{{"exact where the double product is exact"}, "900000000000000", 9'000'000'000'000'000'000},
    AmountCase{{"the double product decides large amounts"}, "922337203685477", 9'223'372'036'854'769'664},
    AmountCase{{"the smallest amount"}, "-922337203685477.5808", std::numeric_limits<std::int64_t>::min()},
    AmountCase{{"no number is zero"}, "Kč", 0}));

struct ToDoubleCase : testsupport::Row {
    std::int64_t count;
    double expected;
};

class AmountToDoubleTest : public testing::TestWithParam<ToDoubleCase> {};

TEST_P(AmountToDoubleTest, DividesByTenThousandRoundingOnce) {
    const ToDoubleCase& c = GetParam();
    EXPECT_EQ(calc::AmountToDouble(calc::Amount{c.count}), c.expected) << c.proves;
}

INSTANTIATE_TEST_SUITE_P(Conversion, AmountToDoubleTest, testing::Values(
    ToDoubleCase{{"ten"}, 100000, 10.0},
    ToDoubleCase{{"four decimals"}, 12346, 1.2346},
    ToDoubleCase{{"negative"}, -75000, -7.5},
    // 2^53 + 3 is no double: converting it first would round twice and give ...474.0996.
    ToDoubleCase{{"a count above 2^53 is rounded once"}, 9007199254740995, 900719925474.0995},
    ToDoubleCase{{"the largest count"}, std::numeric_limits<std::int64_t>::max(), 922337203685477.5807},
    ToDoubleCase{{"the smallest count"}, std::numeric_limits<std::int64_t>::min(), -922337203685477.5808}));

}  // namespace
