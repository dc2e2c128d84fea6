#pragma once

#include "calc/calc.h"

#include <windows.h>

#include <string>

// Told of every key release in an amount edit, with the amount the edit holds.
class KeyReleaseListener
{
public:
    virtual void KeyReleased(calc::AmountField field) noexcept = 0;

protected:
    ~KeyReleaseListener() = default;
};

// Makes a standard single-line EDIT the field of `field`: typing and pasting stop at
// form1::MaxTypedLength characters, and `listener` hears of each key release (WM_KEYUP and
// WM_SYSKEYUP) before the edit's own handling of it. `listener` must outlive the edit; the edit
// lets go of it when it is destroyed.
void MakeAmountEdit(HWND edit, calc::AmountField field, KeyReleaseListener &listener);

// The whole text, UTF-8.
std::string EditText(HWND edit);

// Replaces the whole text, however long, leaving the caret at the start with nothing selected.
// Raises no key event. Throws std::runtime_error if the edit refuses the text.
void ShowResult(HWND edit, const std::string &text);
