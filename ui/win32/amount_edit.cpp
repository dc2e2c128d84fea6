#include "amount_edit.h"
#include "system_error.h"
#include "text_conversion.h"
#include "ui/form1_description.h"

#include <commctrl.h>

#include <stdexcept>

namespace {

// The subclass is told apart by its listener, and carries its field as the reference data, so a
// release needs no look-up of which amount the edit holds.
LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR listener,
                          DWORD_PTR field)
{
    // Windows sends one release per physical release, however long the key was held. Releases
    // with Alt down, and of Alt or F10 themselves, come as WM_SYSKEYUP; they are key releases in
    // the field all the same, as they are to the Linux window. The recalculation runs first: the
    // edit's handling of the Apps key's release opens the context menu and runs it to its end,
    // and a paste chosen there must wait for the next release, as any change without one does.
    auto owner = reinterpret_cast<AmountEditListener *>(listener);
    if (message == WM_KEYUP || message == WM_SYSKEYUP)
        owner->KeyReleased(calc::AmountField(field));
    else if (message == WM_GETOBJECT)
        owner->AccessibleObjectAsked();
    else if (message == WM_NCDESTROY)
        RemoveWindowSubclass(edit, EditProc, listener);
    return DefSubclassProc(edit, message, wParam, lParam);
}

} // namespace

void MakeAmountEdit(HWND edit, calc::AmountField field, AmountEditListener &listener)
{
    // The control's own limit binds typing and pasting only; WM_SETTEXT still writes whole.
    SendMessageW(edit, EM_SETLIMITTEXT, form1::MaxTypedLength, 0);
    if (!SetWindowSubclass(edit, EditProc, reinterpret_cast<UINT_PTR>(&listener), DWORD_PTR(field)))
        // SetWindowSubclass sets no last error, so there is no system text to add.
        throw std::runtime_error("SetWindowSubclass failed");
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
        ThrowLastError("SetWindowText");
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}
