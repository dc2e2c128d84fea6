#include "program_icon.h"
#include "system_function.h"

#include <commctrl.h>

namespace {

constexpr int programIconId = 1;  // resources/veltrix.rc

using LoadIconWithScaleDownFunction = HRESULT(WINAPI *)(HINSTANCE, PCWSTR, int, int, HICON *);

} // namespace

// MinGW-w64's comctl32 import library lacks LoadIconWithScaleDown, which every Windows 10 has in
// Common Controls 6; LoadImage (which scales up) stands in without it.
UniqueIcon ProgramIcon(HINSTANCE instance, int size)
{
    static const auto scaleDown =
        LoadedSystemFunction<LoadIconWithScaleDownFunction>(L"comctl32.dll", "LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (scaleDown && SUCCEEDED(scaleDown(instance, MAKEINTRESOURCEW(programIconId), size, size, &icon)))
        return UniqueIcon(icon);
    return UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(programIconId), IMAGE_ICON, size, size, 0)));
}
