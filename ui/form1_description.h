// What every edition of the window agrees on, in one place: the controls with their captions,
// geometry and tab order, the title, the typing limit and the failure texts. No toolkit here, so
// the Qt window and the Win32 window are both drawn from this table, and these cannot drift
// apart. How a field edits beyond the typing limit (undo, the menu, drag and drop) is not
// shared: each edition's fields behave as that platform's fields do.
#pragma once

#include "calc/calc.h"

#include <exception>
#include <string>

namespace form1 {

inline constexpr char Title[] = "Veltrix";

// The layout is drawn in twips, 1440 to an inch: 15 to a pixel at 96 dpi, 10 at 144 dpi.
inline constexpr int TwipsPerInch = 1440;
constexpr int ToPixels(int twips, int dpi) { return (twips * dpi + TwipsPerInch / 2) / TwipsPerInch; }

inline constexpr int ClientWidth = 1815;   // twips
inline constexpr int ClientHeight = 2055;

enum class ControlKind { GroupBox, AmountEdit, Label };

struct Control {
    const char *name;
    ControlKind kind;
    calc::AmountField amount;  // the amount whose group the control belongs to
    const char *text;          // caption or initial text, UTF-8
    // A group box's position is taken from the client area, that of an edit or a label from the
    // outer top-left corner of its amount's group box.
    int left, top, width, height;  // twips
};

// In tab order; only the edits take the focus. Group boxes come first, so a control's group box
// exists by the time the control is made.
inline constexpr Control Controls[] = {
    {"Frame1", ControlKind::GroupBox, calc::AmountField::txtBez, "Bez DPH", 0, 0, 1815, 615},
    {"Frame2", ControlKind::GroupBox, calc::AmountField::txt5, "s DPH 5%", 0, 720, 1815, 615},
    {"Frame3", ControlKind::GroupBox, calc::AmountField::txt19, "s DPH 19%", 0, 1440, 1815, 615},
    {"txtBez", ControlKind::AmountEdit, calc::AmountField::txtBez, "", 120, 240, 1215, 285},
    {"txt5", ControlKind::AmountEdit, calc::AmountField::txt5, "", 120, 240, 1215, 285},
    {"txt19", ControlKind::AmountEdit, calc::AmountField::txt19, "", 120, 240, 1215, 285},
    {"Label1", ControlKind::Label, calc::AmountField::txtBez, "Kč", 1440, 290, 255, 255},
    {"Label2", ControlKind::Label, calc::AmountField::txt5, "Kč", 1440, 290, 255, 255},
    {"Label3", ControlKind::Label, calc::AmountField::txt19, "Kč", 1440, 290, 255, 255},
};

// The group box of `amount`: its caption is also the accessible name of the amount's edit.
constexpr const Control &GroupOf(calc::AmountField amount)
{
    for (const Control &control : Controls)
        if (control.kind == ControlKind::GroupBox && control.amount == amount)
            return control;
    throw std::logic_error("every amount has a group box");
}

// Typing and pasting stop at this many characters; the program's own results are written whole.
inline constexpr int MaxTypedLength = 9;

// The controls' font is at most 9 points (180 twips) tall, the message font's size on Windows 10
// and 11 at 100 % text size: the 19-pixel fields and 17-pixel labels show its digits and "Kč"
// whole, where a desktop's larger font would be cut off at their bottom.
inline constexpr int LargestFontTwips = 180;

// The failure report's text, naming what went wrong.
inline std::string FailureText(const std::exception &failure)
{
    return dynamic_cast<const calc::OverflowError *>(&failure) ? "Overflow" : failure.what();
}
inline constexpr char UnknownFailureText[] = "Unknown failure";

}  // namespace form1
