// Drives Recalculate from a source field chosen by the input, over three texts in memory, and
// checks the writes it makes: which fields, in what order, and whether their texts read back.
#include "fuzz_support.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using calc::AmountField;

// Three texts in memory; every write is recorded, in order.
class MemoryFields : public calc::FieldAccess {
public:
    MemoryFields(std::string separator, AmountField source, const std::string& text)
        : separator_(std::move(separator)), texts_{"old txtBez", "old txt5", "old txt19"} {
        texts_[Index(source)] = text;
    }

    std::string ReadText(AmountField field) const override { return texts_[Index(field)]; }
    void WriteText(AmountField field, const std::string& text) override {
        writes.emplace_back(field, text);
        texts_[Index(field)] = text;
    }
    std::string DecimalSeparator() const override { return separator_; }

    std::vector<std::pair<AmountField, std::string>> writes;

private:
    static std::size_t Index(AmountField field) { return static_cast<std::size_t>(field); }

    std::string separator_;
    std::array<std::string, 3> texts_;
};

// The fields each source writes, in the fixed order, and how many untaxed amounts each holds.
constexpr std::array<std::array<AmountField, 2>, 3> kTargets{{
    {AmountField::txt5, AmountField::txt19},
    {AmountField::txtBez, AmountField::txt19},
    {AmountField::txtBez, AmountField::txt5},
}};
constexpr std::array<double, 3> kFactor{1, calc::RateFactor5, calc::RateFactor19};

// Runs one recalculation; false when it overflowed, which must leave every field untouched.
bool Run(MemoryFields& fields, AmountField source) {
    try {
        calc::Recalculate(source, fields);
        return true;
    } catch (const calc::OverflowError&) {
        if (!fields.writes.empty()) fuzz::Fail("a field changed although the amount overflowed");
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const auto source = static_cast<AmountField>(fuzz::TakeByte(in) % 3);
    const std::string separator = fuzz::TakeSeparator(in);
    const std::string text(in);

    MemoryFields fields(separator, source, text);
    MemoryFields negatedFields(separator, source, fuzz::Negated(text));
    const bool done = Run(fields, source);
    const bool negatedDone = Run(negatedFields, source);
    if (!done) {
        // Only the one count without a positive twin, -922337203685477.5808, may read negated.
        if (negatedDone && calc::ReadAmount(fuzz::Negated(text), separator).count != INT64_MIN) {
            fuzz::Fail("only the positive text overflowed", text);
        }
        return 0;
    }

    const auto& targets = kTargets[static_cast<std::size_t>(source)];
    if (fields.writes.size() != 2 || fields.writes[0].first != targets[0] || fields.writes[1].first != targets[1]) {
        fuzz::Fail("not exactly the two targets in their order", text);
    }

    // Each target's value, as the rate table gives it: through the unrounded untaxed amount,
    // rounded to cents. Its written text must read back to it, cut to 15 significant digits.
    const double amount = calc::AmountToDouble(calc::ReadAmount(text, separator));
    const double untaxed = source == AmountField::txtBez ? amount : amount / kFactor[static_cast<std::size_t>(source)];
    for (const auto& [target, written] : fields.writes) {
        const double value = target == AmountField::txtBez ? untaxed : untaxed * kFactor[static_cast<std::size_t>(target)];
        const double cents = calc::RoundHalfEven(value, 2);
        if (fuzz::IsPlausibleSeparator(separator) &&
            calc::LeadingNumber(written, separator) != fuzz::RoundTo15Digits(cents)) {
            fuzz::Fail("written result does not read back", written);
        }
    }

    // The negated text gives the negated results, "0" staying "0"; the smallest count's negation
    // overflows, as the range allows.
    if (!negatedDone) {
        if (calc::ReadAmount(text, separator).count != INT64_MIN) fuzz::Fail("only the negated text overflowed", text);
        return 0;
    }
    if (negatedFields.writes.size() != 2) fuzz::Fail("negated text, other number of writes", text);
    for (std::size_t i = 0; i < 2; ++i) {
        if (negatedFields.writes[i].second != fuzz::NegatedResult(fields.writes[i].second)) {
            fuzz::Fail("negated text, results not negated", negatedFields.writes[i].second);
        }
    }
    return 0;
}
