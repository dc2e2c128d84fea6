#include "dialog_font.h"
#include "ui/form1_description.h"
#include "system_error.h"

#include <cstdlib>
#include <stdexcept>

// A negative height is the character height, a positive one the cell height, which is never less
// than the character height, and 0 asks for the default size: only a height the cap already
// holds is kept.
LONG CappedFontHeight(LONG height, LONG largest)
{
    return height == 0 || std::labs(height) > largest ? -largest : height;
}

UniqueFont DialogFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        ThrowLastError("SystemParametersInfoForDpi");
    LOGFONTW font = metrics.lfMessageFont;
    const LONG capped =
        CappedFontHeight(font.lfHeight, MulDiv(form1::LargestFontTwips, int(dpi), form1::TwipsPerInch));
    if (capped != font.lfHeight) {
        font.lfHeight = capped;
        font.lfWidth = 0;  // the face's own proportions at the new height
    }
    UniqueFont made(CreateFontIndirectW(&font));
    if (!made)
        throw std::runtime_error("CreateFontIndirect failed");
    return made;
}
