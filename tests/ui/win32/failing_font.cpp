// A test build's DialogFont, linked in place of the program's: it gives the start-up font and then
// fails every time, so that each change of the text size is a failure the window must report.
#include "dialog_font.h"

#include <stdexcept>

UniqueFont DialogFont(UINT)
{
    static bool given = false;
    if (given)
        throw std::runtime_error("no font");
    given = true;
    return UniqueFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}
