#pragma once

#include "calc/calc.h"

#include <windows.h>

#include <string>

// Told what happens in an amount edit that its owner answers for.
class AmountEditListener
{
public:
    // A key was released in the edit holding `field`.
    virtual void KeyReleased(calc::AmountField field) noexcept = 0;
    // An accessibility client asks an edit for its object (WM_GETOBJECT), before the edit answers.
    virtual void AccessibleObjectAsked() noexcept = 0;

protected:
    ~AmountEditListener() = default;
};

// Makes a standard single-line EDIT the field of `field`: typing and pasting stop at
// form1::MaxTypedLength characters, and `listener` hears of each key release (WM_KEYUP and
// WM_SYSKEYUP) and each WM_GETOBJECT before the edit's own handling of it. `listener` must outlive
// the edit; the edit lets go of it when it is destroyed. Throws std::runtime_error if the edit
// cannot be subclassed.
void MakeAmountEdit(HWND edit, calc::AmountField field, AmountEditListener &listener);

// The whole text, UTF-8.
std::string EditText(HWND edit);

// Replaces the whole text, however long, leaving the caret at the start with nothing selected.
// Raises no key event. Throws std::runtime_error if the edit refuses the text.
void ShowResult(HWND edit, const std::string &text);
