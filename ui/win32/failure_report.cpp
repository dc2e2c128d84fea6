#include "failure_report.h"
#include "text_conversion.h"
#include "ui/form1_description.h"

#include <array>
#include <cstddef>
#include <string>

namespace {

// The fixed texts are ASCII, so they widen without allocating: the box can still name a failure
// when memory has run out.
template <std::size_t N>
constexpr std::array<wchar_t, N> Widened(const char (&ascii)[N])
{
    std::array<wchar_t, N> wide{};
    for (std::size_t i = 0; i < N; ++i)
        wide[i] = wchar_t(ascii[i]);
    return wide;
}

constexpr auto title = Widened(form1::Title);
constexpr auto unknownFailure = Widened(form1::UnknownFailureText);

} // namespace

void ShowFailure(HWND owner, const std::exception &failure) noexcept
{
    std::wstring text;
    try {
        text = ToUtf16(form1::FailureText(failure));
    } catch (...) {
        // Left empty, so the box falls back to the fixed text below.
    }
    MessageBoxW(owner, text.empty() ? unknownFailure.data() : text.c_str(), title.data(),
                MB_ICONSTOP | MB_OK);
}
