#pragma once

#include <windows.h>

#include <string>

// Makes `name` what screen readers and UI Automation announce for `control`, by an annotation that
// oleacc keeps with the window. Needs COM on the calling thread; without an accessibility service
// the control keeps its default name and the program runs on.
void SetAccessibleName(HWND control, const std::wstring &name);
