#include "calc/calc.h"
#include "tests/support/table_row.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct RoundCase : testsupport::Row {
    double x;
    int digits;
    double expected;
};

class RoundHalfEvenTest : public testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, RoundsTheScaledDouble) {
    const RoundCase& c = GetParam();
    EXPECT_EQ(calc::RoundHalfEven(c.x, c.digits), c.expected) << c.proves;
}

// The tie test is made on the scaled double, so the binary value, not the typed decimal, decides.
INSTANTIATE_TEST_SUITE_P(TwoDigits, RoundHalfEvenTest, testing::Values(
    RoundCase{{"an exact half goes down to even"}, 0.125, 2, 0.12},
    RoundCase{{"an exact half goes up to even"}, 0.375, 2, 0.38},
    RoundCase{{"2.675 x 100 is exactly 267.5, so it goes up (fails with fused multiply-add)"}, 2.675, 2, 2.68},
    RoundCase{{"0.525 x 100 is exactly 52.5"}, 0.525, 2, 0.52},
    RoundCase{{"0.595 x 100 is exactly 59.5"}, 0.595, 2, 0.6},
    RoundCase{{"below the half rounds down"}, 1.2344, 2, 1.23},
    RoundCase{{"above the half rounds up"}, 1.2351, 2, 1.24},
    RoundCase{{"negative half goes to even"}, -0.125, 2, -0.12},
    RoundCase{{"negative half away from odd"}, -0.375, 2, -0.38},
    RoundCase{{"negative above the half"}, -1.2351, 2, -1.24},
    RoundCase{{"whole numbers stay"}, 105, 2, 105},
    RoundCase{{"zero digits rounds to whole numbers"}, 2.5, 0, 2},
    RoundCase{{"zero digits, odd neighbour"}, 3.5, 0, 4},
    RoundCase{{"large values are already whole"}, 1e300, 2, 1e300}));

TEST(RoundHalfEvenTest, TinyNegativeRoundsToNegativeZero) {
    const double rounded = calc::RoundHalfEven(-0.00105, 2);
    EXPECT_EQ(rounded, 0);
    EXPECT_TRUE(std::signbit(rounded));
}

struct FormatCase : testsupport::Row {
    double x;
    const char* separator;
    const char* expected;
};

class FormatNumberTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatNumberTest, WritesTheNumberForm) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(calc::FormatNumber(c.x, c.separator), c.expected) << c.proves;
}

INSTANTIATE_TEST_SUITE_P(PlainNotation, FormatNumberTest, testing::Values(
    FormatCase{{"a whole number has no separator"}, 105, ".", "105"},
    FormatCase{{"a whole number with trailing zeros"}, 1050, ".", "1050"},
    FormatCase{{"one decimal stays one"}, 10.5, ".", "10.5"},
    FormatCase{{"no trailing zero after one decimal"}, 0.6, ".", "0.6"},
    FormatCase{{"a zero whole part"}, 0.5, ".", "0.5"},
    FormatCase{{"two decimals"}, 84.03, ".", "84.03"},
    FormatCase{{"the comma separator"}, 84.03, ",", "84,03"},
    FormatCase{{"a separator of several characters"}, 84.03, "\xd9\xab", "84\xd9\xab" "03"},
    FormatCase{{"negative"}, -5.25, ".", "-5.25"},
    FormatCase{{"zero"}, 0, ".", "0"},
    FormatCase{{"negative zero is written as zero"}, -0.0, ".", "0"},
    FormatCase{{"the smallest plain value"}, 0.0001, ".", "0.0001"},
    FormatCase{{"the largest plain exponent"}, 945000000000000, ".", "945000000000000"},
    FormatCase{{"more than 15 digits lose the last ones"}, 123456789012345.67, ".", "123456789012346"},
    FormatCase{{"the binary value decides, not its shortest form"}, 0.1 + 0.2, ".", "0.3"},
    // 10^14 + 0.5 and 10^14 + 1.5 are exact doubles halfway between two 15-digit decimals.
    FormatCase{{"a 15-digit tie goes down to even"}, 100000000000000.5, ".", "100000000000000"},
    FormatCase{{"a 15-digit tie goes up to even"}, 100000000000001.5, ".", "100000000000002"},
    FormatCase{{"fifteen digits with decimals"}, 1234567890123.45, ",", "1234567890123,45"}));

INSTANTIATE_TEST_SUITE_P(ExponentNotation, FormatNumberTest, testing::Values(
    FormatCase{{"from 10^15 on"}, 1e15, ".", "1E+15"},
    FormatCase{{"significant digits after the first"}, 1071000000000000, ".", "1.071E+15"},
    FormatCase{{"rounding up into the next power"}, 999999999999999.9, ".", "1E+15"},
    FormatCase{{"below 10^-4"}, 0.00001, ".", "1E-05"},
    FormatCase{{"the comma in exponent form"}, 0.000012, ",", "1,2E-05"},
    FormatCase{{"negative with three exponent digits"}, -1.5e-300, ".", "-1.5E-300"},
    FormatCase{{"the largest amount with tax"}, 922337203685477.5807 * 1.19, ".", "1.09758127238572E+15"}));

// The text is the 15-digit rounding of the double, whether the shortest text that reads back as
// it has 15 digits, 16, or (a subnormal) fewer than the rounding shows.
INSTANTIATE_TEST_SUITE_P(ShortestFormLimits, FormatNumberTest, testing::Values(
    FormatCase{{"a shortest form of 15 digits is kept"}, 123456789.012345, ".", "123456789.012345"},
    FormatCase{{"a shortest form of 16 digits is rounded"}, 1234567890.123456, ".", "1234567890.12346"},
    FormatCase{{"the smallest normal double"}, 2.2250738585072014e-308, ".", "2.2250738585072E-308"},
    FormatCase{{"a subnormal shows digits its shortest form lacks"}, 4.9406564584124654e-324, ".", "4.94065645841247E-324"}));

}  // namespace
