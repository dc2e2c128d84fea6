#include "system_error.h"
#include "text_conversion.h"

#include <memory>
#include <stdexcept>
#include <string_view>

namespace {

struct LocalFreer {
    void operator()(wchar_t *buffer) const { LocalFree(buffer); }
};

} // namespace

std::string SystemErrorText(DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreer> owned(buffer);
    std::wstring_view text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.remove_suffix(1);
    return text.empty() ? "error " + std::to_string(code) : ToUtf8(text);
}

void ThrowLastError(const char *what)
{
    const DWORD code = GetLastError();
    throw std::runtime_error(std::string(what) + ": " + SystemErrorText(code));
}
