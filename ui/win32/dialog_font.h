#pragma once

#include <windows.h>

// The font of the window's controls at `dpi`: the face and style of the system's message font, at
// most 9 points high, the message font's size on Windows 10 and 11 at 100 % text size. The table's
// 19-pixel fields and 17-pixel labels hold 9-point text whole; the larger message font that a
// bigger text size brings would be cut off at their bottom. The caller owns the font.
// Throws std::runtime_error if the system gives no message font.
HFONT DialogFont(UINT dpi);

// `height` (a LOGFONT lfHeight) held to at most `largest` pixels of character height.
LONG CappedFontHeight(LONG height, LONG largest);
