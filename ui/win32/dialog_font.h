#pragma once

#include "owned_handles.h"

#include <windows.h>

// The font of the window's controls at `dpi`: the face and style of the system's message font, at
// most form1::LargestFontTwips high, whatever text size the user chose. Throws std::runtime_error
// if the system gives no message font.
UniqueFont DialogFont(UINT dpi);

// `height` (a LOGFONT lfHeight) held to at most `largest` pixels of character height.
LONG CappedFontHeight(LONG height, LONG largest);
