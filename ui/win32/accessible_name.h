#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

// Makes names what screen readers and UI Automation announce for controls, by annotations that
// oleacc keeps with the windows. One annotation service serves every control: creating it is
// the costly part. Needs COM on the calling thread; without an accessibility service the
// controls keep their default names and the program runs on.
class AccessibleNames
{
public:
    AccessibleNames();
    ~AccessibleNames();
    AccessibleNames(const AccessibleNames &) = delete;
    AccessibleNames &operator=(const AccessibleNames &) = delete;

    void Set(HWND control, const std::wstring &name);

private:
    IAccPropServices *services = nullptr;
};
