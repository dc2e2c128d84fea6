#pragma once

#include <windows.h>

// A function of a system DLL the process has already loaded, found at run time because not every
// supported Windows, or MinGW-w64's import libraries, has it; null where it is missing.
template <typename Function>
Function LoadedSystemFunction(const wchar_t *module, const char *name)
{
    HMODULE loaded = GetModuleHandleW(module);
    return loaded ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(loaded, name)))
                  : nullptr;
}
