#include "form1_reader.h"
#include "form1.h"
#include "text_conversion.h"

#include <iterator>

namespace {

struct Search {
    DWORD process;
    const wchar_t *className;
    HWND owner;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM data)
{
    auto search = reinterpret_cast<Search *>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[64] = {};
    GetClassNameW(window, name, int(std::size(name)));
    if (IsWindowVisible(window) && std::wstring_view(name) == search->className
        && (!search->process || process == search->process)
        && (!search->owner || GetWindow(window, GW_OWNER) == search->owner)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(DWORD process, const wchar_t *className, HWND owner)
{
    Search search{process, className, owner, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

HWND Form1Reader::Find(DWORD process)
{
    return FindTopLevel(process, Form1::ClassName, nullptr);
}

Form1Reader::Form1Reader(HWND form) : form(form)
{
    thread = GetWindowThreadProcessId(form, &process);
}

HWND Form1Reader::Control(std::size_t index) const
{
    return GetDlgItem(form, Form1::FirstControlId + int(index));
}

HWND Form1Reader::Field(calc::AmountField field) const
{
    for (std::size_t i = 0; i < std::size(form1::Controls); ++i)
        if (form1::Controls[i].kind == form1::ControlKind::AmountEdit && form1::Controls[i].amount == field)
            return Control(i);
    return nullptr;
}

std::string Form1Reader::Text(HWND control)
{
    // WM_GETTEXT, not GetWindowText, which across processes gives only a window's caption.
    const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(std::size_t(length) + 1, L'\0');
    text.resize(std::size_t(SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return ToUtf8(text);
}

std::array<std::string, 3> Form1Reader::Texts() const
{
    return {Text(Field(calc::AmountField::txtBez)), Text(Field(calc::AmountField::txt5)),
            Text(Field(calc::AmountField::txt19))};
}

std::pair<DWORD, DWORD> Form1Reader::Selection(HWND edit)
{
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

int Form1Reader::Focused() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus || GetParent(info.hwndFocus) != form)
        return -1;
    const int index = GetDlgCtrlID(info.hwndFocus) - Form1::FirstControlId;
    return index >= 0 && index < int(std::size(form1::Controls)) ? index : -1;
}

HWND Form1Reader::MessageBox() const
{
    return FindTopLevel(process, L"#32770", form);
}
