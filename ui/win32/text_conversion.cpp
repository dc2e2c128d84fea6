#include "text_conversion.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace {

int Length(std::size_t size)
{
    if (size > INT_MAX)
        throw std::length_error("text too long for the Win32 API");
    return int(size);
}

} // namespace

std::wstring ToUtf16(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = Length(utf8.size());
    std::wstring utf16(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, utf16.data(), int(utf16.size()));
    return utf16;
}

std::string ToUtf8(std::wstring_view utf16)
{
    if (utf16.empty())
        return {};
    const int size = Length(utf16.size());
    std::string utf8(WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, utf8.data(), int(utf8.size()), nullptr, nullptr);
    return utf8;
}
