#pragma once

#include <windows.h>

#include <string>

// Told of every key release an amount edit has handled.
class KeyReleaseListener
{
public:
    virtual void KeyReleased(HWND edit) noexcept = 0;

protected:
    ~KeyReleaseListener() = default;
};

// Makes a standard single-line EDIT an amount field: typing and pasting stop at
// form1::MaxTypedLength characters, and `listener` hears of each key release (WM_KEYUP and
// WM_SYSKEYUP) after the edit has handled it. `listener` must outlive the edit.
void MakeAmountEdit(HWND edit, KeyReleaseListener &listener);

// The whole text, UTF-8.
std::string EditText(HWND edit);

// Replaces the whole text, however long, leaving the caret at the start with nothing selected.
// Raises no key event. Throws std::system_error if the edit refuses the text.
void ShowResult(HWND edit, const std::string &text);
