#include "amount_edit.h"
#include "text_conversion.h"
#include "ui/form1_description.h"

#include <commctrl.h>

#include <system_error>

namespace {

LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR listener)
{
    const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
    // Windows sends one release per physical release, however long the key was held. Releases
    // with Alt down, and of Alt or F10 themselves, come as WM_SYSKEYUP; they are key releases in
    // the field all the same, as they are to the Linux window.
    if (message == WM_KEYUP || message == WM_SYSKEYUP)
        reinterpret_cast<KeyReleaseListener *>(listener)->KeyReleased(edit);
    return result;
}

} // namespace

void MakeAmountEdit(HWND edit, KeyReleaseListener &listener)
{
    // The control's own limit binds typing and pasting only; WM_SETTEXT still writes whole.
    SendMessageW(edit, EM_SETLIMITTEXT, form1::MaxTypedLength, 0);
    SetWindowSubclass(edit, EditProc, 0, reinterpret_cast<DWORD_PTR>(&listener));
}

std::string EditText(HWND edit)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(edit, text.data(), int(text.size()))));
    return ToUtf8(text);
}

void ShowResult(HWND edit, const std::string &text)
{
    if (!SetWindowTextW(edit, ToUtf16(text).c_str()))
        throw std::system_error(int(GetLastError()), std::system_category(), "SetWindowText");
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}
