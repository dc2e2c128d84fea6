#pragma once

#include <string>
#include <string_view>

// Whole-text conversions between the UTF-8 of calc and the UTF-16 of the Win32 API. Invalid
// sequences become U+FFFD rather than being dropped, so a text never silently shortens.
std::wstring ToUtf16(std::string_view utf8);
std::string ToUtf8(std::wstring_view utf16);
