#pragma once

#include "owned_handles.h"

#include <windows.h>

// The program icon at `size` x `size` pixels, scaled down from the nearest larger image where the
// icon has none of that size, so that it stays sharp at any DPI. Null if it cannot be loaded.
UniqueIcon ProgramIcon(HINSTANCE instance, int size);
