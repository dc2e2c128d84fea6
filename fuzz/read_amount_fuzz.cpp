// Feeds arbitrary bytes to ReadAmount as a field's text, with a decimal separator taken from the
// input, and checks what must hold for every text, not only that nothing crashes: negation,
// blanks and trailing text change nothing they should not, the amount stays within half a
// ten-thousandth of the number, and its written form is the amount, read as an exact decimal.
#include "fuzz_support.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The amount, or nothing when reading overflowed; any other exception escapes and fails the run.
std::optional<calc::Amount> Read(std::string_view text, std::string_view separator) {
    try {
        return calc::ReadAmount(text, separator);
    } catch (const calc::OverflowError&) {
        return std::nullopt;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    const std::string separator = fuzz::TakeSeparator(in);
    const std::size_t blankAt = fuzz::TakeByte(in);
    const std::string text(in);
    const std::optional<calc::Amount> amount = Read(text, separator);

    // Negating the number negates the amount. The range has one more negative count than
    // positive ones, so only -922337203685477.5808 may read while its positive twin overflows.
    const std::optional<calc::Amount> negated = Read(fuzz::Negated(text), separator);
    if (amount && negated) {
        if (amount->count == INT64_MIN || negated->count != -amount->count) fuzz::Fail("negated text, other amount", text);
    } else if (amount || negated) {
        if ((amount ? amount->count : negated->count) != INT64_MIN) fuzz::Fail("only one sign overflowed", text);
    }

    // Blanks are dropped wherever they stand, so one more blank changes nothing.
    std::string blanked = text;
    blanked.insert(blankAt % (text.size() + 1), 1, " \t\n\r"[blankAt % 4]);
    if (Read(blanked, separator) != amount) fuzz::Fail("a blank changed the amount", text);

    // Whatever follows the number is ignored: '#' cannot continue any number.
    if (separator.find('#') == std::string::npos && Read(text + "#", separator) != amount) {
        fuzz::Fail("trailing text changed the amount", text);
    }

    if (!amount) return 0;

    // The amount is the number cut to four decimals: within half a ten-thousandth of it, and what
    // a double cannot tell apart at the top of the range.
    const double number = calc::LeadingNumber(text, separator);
    const double off = std::fabs(number - static_cast<double>(amount->count) / 10'000.0);
    if (off > 0.00005 + std::fabs(number) * 0x1p-52) fuzz::Fail("amount not cut to four decimals", text);

    // The written amount has at most 15 significant digits: an amount of up to 15 digits is
    // written exactly, a longer one off by no more than its 16th digit can make.
    if (!fuzz::IsPlausibleSeparator(separator)) return 0;
    const std::string written = calc::FormatNumber(calc::AmountToDouble(*amount), separator);
    const std::optional<fuzz::Wide> count = fuzz::ReadWritten(written, separator, 4);
    if (!count) fuzz::Fail("written amount has another form or more than 15 digits", written);
    const fuzz::Wide writtenOff = fuzz::Magnitude(*count - amount->count), magnitude = fuzz::Magnitude(amount->count);
    if (magnitude < 1'000'000'000'000'000 ? writtenOff != 0 : writtenOff > magnitude / 100'000'000'000'000) {
        fuzz::Fail("written amount is not the amount", written);
    }
    return 0;
}
