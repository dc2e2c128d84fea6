// The Win32 window's own rules that need no window, run under Wine with a Czech locale.
#include "dialog_font.h"
#include "system_error.h"
#include "tests/support/table_row.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct HeightCase : testsupport::Row {
    LONG height, largest, expected;
};

class CappedFontHeightTest : public testing::TestWithParam<HeightCase> {};

TEST_P(CappedFontHeightTest, HoldsTheCharacterHeightToTheCap)
{
    const HeightCase &row = GetParam();
    EXPECT_EQ(CappedFontHeight(row.height, row.largest), row.expected) << row.proves;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CappedFontHeightTest,
    testing::Values(
        HeightCase{{"Wine's 8-point font at 96 dpi stays"}, -11, 12, -11},
        HeightCase{{"125 % text size comes down to 9 points"}, -15, 12, -12},
        HeightCase{{"150 % text size at 144 dpi comes down to 9 points"}, -27, 18, -18},
        HeightCase{{"the default size becomes 9 points, not the font mapper's choice"}, 0, 12, -12},
        HeightCase{{"a cell height within the cap stays"}, 10, 12, 10},
        HeightCase{{"a cell height beyond the cap becomes 9 points of character height"}, 16, 12, -12}));

struct ErrorCase : testsupport::Row {
    DWORD code;
    const char *expected;  // Wine's Czech texts; Windows words some differently
};

class SystemErrorTextTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(SystemErrorTextTest, GivesTheSystemsTextInUtf8)
{
    const ErrorCase &row = GetParam();
    EXPECT_EQ(SystemErrorText(row.code), row.expected) << row.proves;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SystemErrorTextTest,
    testing::Values(
        ErrorCase{{"the user's language, without the trailing line break"}, ERROR_FILE_NOT_FOUND,
                  "Soubor nebyl nalezen."},
        ErrorCase{{"letters of code page 1250 arrive whole"}, ERROR_ACCESS_DENIED,
                  "P\u0159\u00edstup odep\u0159en."},
        ErrorCase{{"a code with no text is named by its number"}, 0xDEADBEEF, "error 3735928559"}));

TEST(ThrowLastErrorTest, NamesTheStepAndTheSystemsText)
{
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        ThrowLastError("SetWindowText");
        FAIL() << "nothing thrown";
    } catch (const std::runtime_error &failure) {
        EXPECT_STREQ(failure.what(), "SetWindowText: P\u0159\u00edstup odep\u0159en.");
    }
}

} // namespace
