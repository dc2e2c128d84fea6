#pragma once

#include <windows.h>

#include <string>

// The system's own text for a Win32 error code, UTF-8, without the trailing line break; "error N"
// where the system has no text for it. Read as UTF-16, so that a localised Windows (a Czech one
// keeps its messages in code page 1250) gives the same characters the user would see there.
std::string SystemErrorText(DWORD code);

// Throws std::runtime_error naming `what` and the text of GetLastError().
[[noreturn]] void ThrowLastError(const char *what);
