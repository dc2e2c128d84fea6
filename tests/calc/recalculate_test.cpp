#include "calc/calc.h"
#include "tests/support/memory_fields.h"
#include "tests/support/table_row.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using calc::AmountField;

constexpr const char* kUnchanged = "(unchanged)";

// One row of the rate table: the source text and what each field must show afterwards.
struct RecalcCase : testsupport::Row {
    const char* separator;
    AmountField source;
    const char* text;
    std::array<const char*, 3> shown;  // by AmountField; the source's column is kUnchanged
};

class RecalculateTest : public testing::TestWithParam<RecalcCase> {};

// The other two fields are written, each once, in field order (txtBez, txt5, txt19), and the
// source never is.
TEST_P(RecalculateTest, WritesTheOtherTwoFieldsInOrder) {
    const RecalcCase& c = GetParam();
    ASSERT_STREQ(c.shown[static_cast<std::size_t>(c.source)], kUnchanged) << "the row names its source";
    std::array<std::string, 3> texts{"old", "old", "old"};
    texts[static_cast<std::size_t>(c.source)] = c.text;
    MemoryFields fields(texts, c.separator);

    calc::Recalculate(c.source, fields);

    std::vector<std::pair<AmountField, std::string>> expected;
    for (const AmountField field : {AmountField::txtBez, AmountField::txt5, AmountField::txt19}) {
        if (field != c.source) expected.emplace_back(field, c.shown[static_cast<std::size_t>(field)]);
    }
    EXPECT_EQ(fields.writes, expected);
}

INSTANTIATE_TEST_SUITE_P(PeriodSeparator, RecalculateTest, testing::Values(
    RecalcCase{{"whole amounts"}, ".", AmountField::txtBez, "100", {kUnchanged, "105", "119"}},
    RecalcCase{{"one decimal stays one"}, ".", AmountField::txtBez, "10", {kUnchanged, "10.5", "11.9"}},
    RecalcCase{{"exact halves go to the even neighbour"}, ".", AmountField::txtBez, "0.5", {kUnchanged, "0.52", "0.6"}},
    RecalcCase{{"input is cut to four decimals first"}, ".", AmountField::txtBez, "1.23456", {kUnchanged, "1.3", "1.47"}},
    RecalcCase{{"empty text gives zeros"}, ".", AmountField::txtBez, "", {kUnchanged, "0", "0"}},
    RecalcCase{{"words give zeros"}, ".", AmountField::txtBez, "abc", {kUnchanged, "0", "0"}},
    RecalcCase{{"negative amounts"}, ".", AmountField::txtBez, "-100", {kUnchanged, "-105", "-119"}},
    RecalcCase{{"a tiny negative amount gives zero, not -0"}, ".", AmountField::txtBez, "-0.001", {kUnchanged, "0", "0"}},
    RecalcCase{{"large amounts switch to exponent form"}, ".", AmountField::txtBez, "900000000000000", {kUnchanged, "945000000000000", "1.071E+15"}},
    RecalcCase{{"from the 5 % field"}, ".", AmountField::txt5, "100", {"95.24", kUnchanged, "113.33"}},
    RecalcCase{{"back from the 5 % field"}, ".", AmountField::txt5, "10.5", {"10", kUnchanged, "11.9"}},
    RecalcCase{{"the smallest amounts do not collapse"}, ".", AmountField::txt5, "0.01", {"0.01", kUnchanged, "0.01"}},
    // 84.03 x 1.05 would round to 88.23: the cross conversion goes through the unrounded amount.
    RecalcCase{{"from the 19 % field through the unrounded amount"}, ".", AmountField::txt19, "100", {"84.03", "88.24", kUnchanged}},
    RecalcCase{{"back from the 19 % field"}, ".", AmountField::txt19, "119", {"100", "105", kUnchanged}},
    RecalcCase{{"a comma ends the number under a period separator"}, ".", AmountField::txt5, "10,5", {"9.52", kUnchanged, "11.33"}}));

INSTANTIATE_TEST_SUITE_P(CommaSeparator, RecalculateTest, testing::Values(
    RecalcCase{{"results are written with the comma"}, ",", AmountField::txtBez, "10", {kUnchanged, "10,5", "11,9"}},
    RecalcCase{{"a written result reads back"}, ",", AmountField::txt5, "10,5", {"10", kUnchanged, "11,9"}},
    RecalcCase{{"the period still reads"}, ",", AmountField::txt19, "119.00", {"100", "105", kUnchanged}},
    RecalcCase{{"typed decimals with the comma"}, ",", AmountField::txtBez, "12,50", {kUnchanged, "13,12", "14,88"}}));

TEST(RecalculateFailure, OverflowLeavesEveryFieldUnchanged) {
    MemoryFields fields({"1e15", "old 5", "old 19"}, ".");
    EXPECT_THROW(calc::Recalculate(AmountField::txtBez, fields), calc::OverflowError);
    EXPECT_TRUE(fields.writes.empty());
    EXPECT_EQ(fields.texts, (std::array<std::string, 3>{"1e15", "old 5", "old 19"}));
}

TEST(RecalculateFailure, AFailingWriteStopsWithTheFirstTargetWritten) {
    MemoryFields fields({"old bez", "old 5", "119"}, ".");
    fields.failingWrite = 1;
    EXPECT_THROW(calc::Recalculate(AmountField::txt19, fields), std::runtime_error);
    EXPECT_EQ(fields.texts, (std::array<std::string, 3>{"100", "old 5", "119"}));
}

}  // namespace
