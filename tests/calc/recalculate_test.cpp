#include "calc/calc.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using calc::AmountField;

// Three texts in memory, recording every write in order.
class MemoryFields : public calc::FieldAccess {
public:
    MemoryFields(std::string separator, std::array<std::string, 3> texts)
        : separator_(std::move(separator)), texts_(std::move(texts)) {}

    std::string ReadText(AmountField field) const override { return texts_[Index(field)]; }
    void WriteText(AmountField field, const std::string& text) override {
        if (failWrites_ == writes.size()) throw std::runtime_error("write failed");
        writes.push_back(field);
        texts_[Index(field)] = text;
    }
    std::string DecimalSeparator() const override { return separator_; }

    const std::string& Text(AmountField field) const { return texts_[Index(field)]; }
    void FailWriteNumber(std::size_t n) { failWrites_ = n; }

    std::vector<AmountField> writes;

private:
    static std::size_t Index(AmountField field) { return static_cast<std::size_t>(field); }

    std::string separator_;
    std::array<std::string, 3> texts_;
    std::size_t failWrites_ = 99;
};

constexpr const char* kUnchanged = "(unchanged)";

struct RecalcCase {
    const char* proves;
    const char* separator;
    AmountField source;
    const char* text;
    const char* bez;
    const char* vat5;
    const char* vat19;
};
void PrintTo(const RecalcCase& c, std::ostream* os) { *os << c.proves; }  // failures name the case

class RecalculateTest : public testing::TestWithParam<RecalcCase> {};

TEST_P(RecalculateTest, WritesTheOtherTwoFields) {
    const RecalcCase& c = GetParam();
    std::array<std::string, 3> texts{kUnchanged, kUnchanged, kUnchanged};
    texts[static_cast<std::size_t>(c.source)] = c.text;
    MemoryFields fields(c.separator, texts);

    calc::Recalculate(c.source, fields);

    EXPECT_EQ(fields.Text(AmountField::txtBez), c.bez) << c.proves;
    EXPECT_EQ(fields.Text(AmountField::txt5), c.vat5) << c.proves;
    EXPECT_EQ(fields.Text(AmountField::txt19), c.vat19) << c.proves;
}

INSTANTIATE_TEST_SUITE_P(PeriodSeparator, RecalculateTest, testing::Values(
    RecalcCase{"whole amounts", ".", AmountField::txtBez, "100", "100", "105", "119"},
    RecalcCase{"one decimal stays one", ".", AmountField::txtBez, "10", "10", "10.5", "11.9"},
    RecalcCase{"exact halves go to the even neighbour", ".", AmountField::txtBez, "0.5", "0.5", "0.52", "0.6"},
    RecalcCase{"input is cut to four decimals first", ".", AmountField::txtBez, "1.23456", "1.23456", "1.3", "1.47"},
    RecalcCase{"empty text gives zeros", ".", AmountField::txtBez, "", "", "0", "0"},
    RecalcCase{"words give zeros", ".", AmountField::txtBez, "abc", "abc", "0", "0"},
    RecalcCase{"negative amounts", ".", AmountField::txtBez, "-100", "-100", "-105", "-119"},
    RecalcCase{"a tiny negative amount gives zero, not -0", ".", AmountField::txtBez, "-0.001", "-0.001", "0", "0"},
    RecalcCase{"large amounts switch to exponent form", ".", AmountField::txtBez, "900000000000000", "900000000000000", "945000000000000", "1.071E+15"},
    RecalcCase{"from the 5 % field", ".", AmountField::txt5, "100", "95.24", "100", "113.33"},
    RecalcCase{"back from the 5 % field", ".", AmountField::txt5, "10.5", "10", "10.5", "11.9"},
    RecalcCase{"the smallest amounts do not collapse", ".", AmountField::txt5, "0.01", "0.01", "0.01", "0.01"},
    // 84.03 x 1.05 would round to 88.23: the cross conversion goes through the unrounded amount.
    RecalcCase{"from the 19 % field through the unrounded amount", ".", AmountField::txt19, "100", "84.03", "88.24", "100"},
    RecalcCase{"back from the 19 % field", ".", AmountField::txt19, "119", "100", "105", "119"},
    RecalcCase{"a comma ends the number under a period separator", ".", AmountField::txt5, "10,5", "9.52", "10,5", "11.33"}));

INSTANTIATE_TEST_SUITE_P(CommaSeparator, RecalculateTest, testing::Values(
    RecalcCase{"results are written with the comma", ",", AmountField::txtBez, "10", "10", "10,5", "11,9"},
    RecalcCase{"a written result reads back", ",", AmountField::txt5, "10,5", "10", "10,5", "11,9"},
    RecalcCase{"the period still reads", ",", AmountField::txt19, "119.00", "100", "105", "119.00"},
    RecalcCase{"typed decimals with the comma", ",", AmountField::txtBez, "12,50", "12,50", "13,12", "14,88"}));

TEST(RecalculateOrder, WritesTheTargetsInTableOrderAndNeverTheSource) {
    const std::array<std::pair<AmountField, std::vector<AmountField>>, 3> expectedOrder{{
        {AmountField::txtBez, {AmountField::txt5, AmountField::txt19}},
        {AmountField::txt5, {AmountField::txtBez, AmountField::txt19}},
        {AmountField::txt19, {AmountField::txtBez, AmountField::txt5}},
    }};
    for (const auto& [source, order] : expectedOrder) {
        MemoryFields fields(".", {"1", "1", "1"});
        calc::Recalculate(source, fields);
        EXPECT_EQ(fields.writes, order) << "source " << static_cast<int>(source);
    }
}

TEST(RecalculateFailure, OverflowLeavesEveryFieldUnchanged) {
    MemoryFields fields(".", {"1e15", "old 5", "old 19"});
    EXPECT_THROW(calc::Recalculate(AmountField::txtBez, fields), calc::OverflowError);
    EXPECT_TRUE(fields.writes.empty());
    EXPECT_EQ(fields.Text(AmountField::txt5), "old 5");
    EXPECT_EQ(fields.Text(AmountField::txt19), "old 19");
}

TEST(RecalculateFailure, AFailingWriteStopsWithTheFirstTargetWritten) {
    MemoryFields fields(".", {"old bez", "old 5", "119"});
    fields.FailWriteNumber(1);
    EXPECT_THROW(calc::Recalculate(AmountField::txt19, fields), std::runtime_error);
    EXPECT_EQ(fields.Text(AmountField::txtBez), "100");
    EXPECT_EQ(fields.Text(AmountField::txt5), "old 5");
}

}  // namespace
