// Drives Recalculate from a source field chosen by the input, over three texts in memory, and
// checks properties a person can state without the code: which fields are written and in what
// order, nothing written on overflow, negation symmetry, and results in whole cents within a cent
// of the source amount at 5 % and 19 % tax, computed exactly in integers.
#include "fuzz_support.h"
#include "tests/support/memory_fields.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

using calc::AmountField;

// Each field's amount in percent of the untaxed amount, by AmountField.
constexpr std::array<int, 3> kPercent{100, 105, 119};

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

// Each result, read as an exact decimal, is in whole cents and within a cent of the source count
// (ten-thousandths) times target % / source %, or, beyond 15 significant digits, within what they
// cannot hold. Both sides are scaled by source % x 100, in which one cent is source % x 100.
void CheckResults(const MemoryFields& fields, AmountField source, const std::string& separator) {
    const fuzz::Wide count = calc::ReadAmount(fields.texts[static_cast<std::size_t>(source)], separator).count;
    const int from = kPercent[static_cast<std::size_t>(source)];
    for (const auto& [target, written] : fields.writes) {
        const std::optional<fuzz::Wide> cents = fuzz::ReadWritten(written, separator, 2);
        if (!cents) fuzz::Fail("a result is not whole cents in the written form of 15 digits", written);
        const fuzz::Wide exact = count * kPercent[static_cast<std::size_t>(target)];
        if (fuzz::Magnitude(*cents * from * 100 - exact) > from * 100 + fuzz::Magnitude(exact) / 100'000'000'000'000) {
            fuzz::Fail("a result is more than a cent off its rate", written);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const auto source = static_cast<AmountField>(fuzz::TakeByte(in) % 3);
    const std::string separator = fuzz::TakeSeparator(in);
    const std::string text(in);

    std::array<std::string, 3> texts{"old txtBez", "old txt5", "old txt19"}, negatedTexts = texts;
    texts[static_cast<std::size_t>(source)] = text;
    negatedTexts[static_cast<std::size_t>(source)] = fuzz::Negated(text);
    MemoryFields fields(texts, separator), negatedFields(negatedTexts, separator);
    const bool done = Run(fields, source);
    const bool negatedDone = Run(negatedFields, source);
    // Only the one count without a positive twin, -922337203685477.5808, overflows with one sign.
    if (done != negatedDone && calc::ReadAmount(done ? text : fuzz::Negated(text), separator).count != INT64_MIN) {
        fuzz::Fail("only one sign overflowed", text);
    }
    if (!done) return 0;

    const auto& writes = fields.writes;
    if (writes.size() != 2 || writes[0].first >= writes[1].first || writes[0].first == source || writes[1].first == source) {
        fuzz::Fail("not exactly the two other fields, in field order", text);
    }

    if (fuzz::IsPlausibleSeparator(separator)) CheckResults(fields, source, separator);

    // The negated text gives the negated results, "0" staying "0".
    if (!negatedDone) return 0;
    if (negatedFields.writes.size() != 2) fuzz::Fail("negated text, other number of writes", text);
    for (std::size_t i = 0; i < 2; ++i) {
        if (negatedFields.writes[i].second != fuzz::NegatedResult(fields.writes[i].second)) {
            fuzz::Fail("negated text, results not negated", negatedFields.writes[i].second);
        }
    }
    return 0;
}
