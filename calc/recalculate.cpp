// One recalculation: the source field's amount becomes the texts of the two other fields.
#include "calc/calc.h"

namespace calc {
namespace {

// How many times the untaxed amount each field holds; the untaxed field's 1 keeps the
// arithmetic exact, since dividing or multiplying by 1 rounds nothing.
double RateFactor(AmountField field) {
    switch (field) {
    case AmountField::txtBez: return 1;
    case AmountField::txt5: return RateFactor5;
    case AmountField::txt19: return RateFactor19;
    }
    return 1;
}

constexpr AmountField kWriteOrder[] = {AmountField::txtBez, AmountField::txt5, AmountField::txt19};

}  // namespace

void Recalculate(AmountField source, FieldAccess& fields) {
    const std::string text = fields.ReadText(source);
    const std::string separator = fields.DecimalSeparator();
    const double amount = AmountToDouble(ReadAmount(text, separator));

    // Both targets start from the same unrounded untaxed double (A / 1.05 x 1.19, not a combined
    // factor), never from the other target's rounded value or text.
    const double untaxed = amount / RateFactor(source);
    for (AmountField target : kWriteOrder) {
        if (target == source) continue;
        fields.WriteText(target, FormatNumber(RoundHalfEven(untaxed * RateFactor(target), 2), separator));
    }
}

}  // namespace calc
