#include "program_icon.h"

#include <commctrl.h>

namespace {

constexpr int programIconId = 1;  // resources/veltrix.rc

using LoadIconWithScaleDownFunction = HRESULT(WINAPI *)(HINSTANCE, PCWSTR, int, int, HICON *);

// MinGW-w64's comctl32 import library lacks LoadIconWithScaleDown, which every Windows 10 has in
// Common Controls 6; it is found at run time, and LoadImage (which scales up) stands in without it.
LoadIconWithScaleDownFunction FindLoadIconWithScaleDown()
{
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    return controls ? reinterpret_cast<LoadIconWithScaleDownFunction>(
                          reinterpret_cast<void (*)()>(GetProcAddress(controls, "LoadIconWithScaleDown")))
                    : nullptr;
}

} // namespace

HICON ProgramIcon(HINSTANCE instance, int size)
{
    static const LoadIconWithScaleDownFunction scaleDown = FindLoadIconWithScaleDown();
    HICON icon = nullptr;
    if (scaleDown && SUCCEEDED(scaleDown(instance, MAKEINTRESOURCEW(programIconId), size, size, &icon)))
        return icon;
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(programIconId), IMAGE_ICON, size, size, 0));
}
