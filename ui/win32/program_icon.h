#pragma once

#include <windows.h>

// The program icon at `size` x `size` pixels, scaled down from the nearest larger image where the
// icon has none of that size, so that it stays sharp at any DPI. The caller destroys it
// (DestroyIcon). Null if it cannot be loaded.
HICON ProgramIcon(HINSTANCE instance, int size);
