#pragma once

#include "calc/calc.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <utility>

// Reads Veltrix's window from another process, as a test sees it: over the Win32 API only.
// (Writing a text from outside is the one change it makes: it raises no key event.)
class Form1Reader
{
public:
    // The visible Form1 window, of `process` if that is not 0; null while there is none.
    static HWND Find(DWORD process = 0);

    explicit Form1Reader(HWND form);

    HWND Form() const { return form; }
    HWND Control(std::size_t index) const;  // by index in form1::Controls
    HWND Field(calc::AmountField field) const;

    std::array<std::string, 3> Texts() const;  // UTF-8, by calc::AmountField
    static std::string Text(HWND control);
    static void SetText(HWND control, const std::string &text);
    static std::pair<DWORD, DWORD> Selection(HWND edit);  // start, end
    // The table index of the control with the keyboard focus, or -1.
    int Focused() const;
    // A message box the window owns, or null.
    HWND MessageBox() const;
    // How many message boxes the window's process shows, whoever owns them.
    int MessageBoxCount() const;
    // True once the window's thread has handled the input queued for it before the call; false
    // if it did not answer within `milliseconds`.
    bool Drained(UINT milliseconds = 5000) const;

private:
    HWND form;
    DWORD thread = 0, process = 0;
};

// Puts `text` (UTF-8) on the clipboard as Unicode text; false if the clipboard refused it.
bool PutOnClipboard(const std::string &text);
