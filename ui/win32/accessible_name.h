#pragma once

#include "owned_handles.h"

#include <windows.h>

#include <oleacc.h>

#include <string>

// Makes names what screen readers and UI Automation announce for controls, by annotations that
// oleacc keeps with the windows. Nothing is loaded or started before the first name is set: then
// ole32, COM on the calling thread and one annotation service for every control, all ended with
// this object, which must be destroyed on that thread. Without COM or an annotation service the
// controls keep their default names and the program runs on.
class AccessibleNames
{
public:
    AccessibleNames() = default;
    ~AccessibleNames();
    AccessibleNames(const AccessibleNames &) = delete;
    AccessibleNames &operator=(const AccessibleNames &) = delete;

    void Set(HWND control, const std::wstring &name);

private:
    bool started = false, comStarted = false;
    HMODULE ole32 = nullptr;
    ComPtr<IAccPropServices> services;
};
