// Drives Recalculate from a source field chosen by the input, over three texts in memory, and
// checks properties a person can state without the code: which fields are written and in what
// order, nothing written on overflow, negation symmetry, and results that read back as whole
// cents consistent with the source at 5 % and 19 % tax and with each other.
#include "fuzz_support.h"
#include "tests/support/memory_fields.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using calc::AmountField;

// Untaxed, with 5 % tax, with 19 % tax: by AmountField.
constexpr std::array<double, 3> kTaxed{1.0, 1.05, 1.19};

std::array<std::string, 3> Fields(AmountField source, const std::string& text) {
    std::array<std::string, 3> texts{"old txtBez", "old txt5", "old txt19"};
    texts[static_cast<std::size_t>(source)] = text;
    return texts;
}

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

// A written result is the exact result rounded to cents, then to 15 significant digits: off by
// half a cent, a hair for the double arithmetic, and what 15 digits cannot hold.
bool WithinACent(double written, double exact) {
    return std::fabs(written - exact) <= 0.005 + std::fabs(exact) * 6e-15;
}

void CheckResults(const MemoryFields& fields, AmountField source, const std::string& separator) {
    const double amount = calc::AmountToDouble(calc::ReadAmount(fields.texts[static_cast<std::size_t>(source)], separator));
    const double untaxed = amount / kTaxed[static_cast<std::size_t>(source)];
    std::array<double, 3> shown{};
    shown[static_cast<std::size_t>(source)] = amount;
    for (const auto& [target, written] : fields.writes) {
        const double value = calc::LeadingNumber(written, separator);
        if (!WithinACent(value, untaxed * kTaxed[static_cast<std::size_t>(target)])) {
            fuzz::Fail("a result is more than a cent off its rate", written);
        }
        if (std::fabs(value) < 1e9 && std::fabs(value * 100 - std::nearbyint(value * 100)) > 1e-3) {
            fuzz::Fail("a result is not in whole cents", written);
        }
        shown[static_cast<std::size_t>(target)] = value;
    }
    // More tax, a larger amount: the three fields are in order, whichever was the source (the
    // source itself is not rounded, so it may stand up to a cent out of line).
    const double slack = 0.01 + std::fabs(untaxed) * 1e-14;
    const double sign = untaxed < 0 ? -1 : 1;
    if (sign * (shown[1] - shown[0]) < -slack || sign * (shown[2] - shown[1]) < -slack) {
        fuzz::Fail("the three amounts are out of order");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const auto source = static_cast<AmountField>(fuzz::TakeByte(in) % 3);
    const std::string separator = fuzz::TakeSeparator(in);
    const std::string text(in);

    MemoryFields fields(Fields(source, text), separator);
    MemoryFields negatedFields(Fields(source, fuzz::Negated(text)), separator);
    const bool done = Run(fields, source);
    const bool negatedDone = Run(negatedFields, source);
    if (!done) {
        // Only the one count without a positive twin, -922337203685477.5808, may read negated.
        if (negatedDone && calc::ReadAmount(fuzz::Negated(text), separator).count != INT64_MIN) {
            fuzz::Fail("only the positive text overflowed", text);
        }
        return 0;
    }

    std::vector<AmountField> written;
    for (const auto& write : fields.writes) written.push_back(write.first);
    std::vector<AmountField> others;
    for (const AmountField field : {AmountField::txtBez, AmountField::txt5, AmountField::txt19}) {
        if (field != source) others.push_back(field);
    }
    if (written != others) fuzz::Fail("not exactly the two other fields, in field order", text);

    if (fuzz::IsPlausibleSeparator(separator)) CheckResults(fields, source, separator);

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
