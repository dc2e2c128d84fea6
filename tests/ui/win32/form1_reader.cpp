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
    int count;
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
        search->found = search->found ? search->found : window;
        ++search->count;
    }
    return TRUE;
}

Search FindTopLevel(DWORD process, const wchar_t *className, HWND owner)
{
    Search search{process, className, owner, nullptr, 0};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search;
}

} // namespace

HWND Form1Reader::Find(DWORD process)
{
    return FindTopLevel(process, Form1::ClassName, nullptr).found;
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
    return GetDlgItem(form, Form1::TxtBezId + int(field));
}

std::string Form1Reader::Text(HWND control)
{
    // WM_GETTEXT, not GetWindowText, which across processes gives only a window's caption. One
    // message per try: the text may change between two, so asking its length first could cut
    // it. A text that fills the buffer may have been cut, so the buffer grows until it does not.
    std::wstring text(64, L'\0');
    for (;;) {
        const auto copied = std::size_t(
            SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
        if (copied + 1 < text.size()) {
            text.resize(copied);
            return ToUtf8(text);
        }
        text.assign(text.size() * 2, L'\0');
    }
}

void Form1Reader::SetText(HWND control, const std::string &text)
{
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToUtf16(text).c_str()));
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
    return FindTopLevel(process, L"#32770", form).found;
}

int Form1Reader::MessageBoxCount() const
{
    return FindTopLevel(process, L"#32770", nullptr).count;
}

// Wine's X11 driver fetches X events when the thread next looks at its queue, and a thread
// handles messages sent to it only when it looks there: so once a second sent message returns,
// the input that was waiting when the first one was sent has been dispatched.
bool Form1Reader::Drained(UINT milliseconds) const
{
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_NORMAL, milliseconds, &answer))
            return false;
    }
    return true;
}

bool PutOnClipboard(const std::string &utf8)
{
    const std::wstring text = ToUtf16(utf8);
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool done = false;
    if (memory) {
        auto target = static_cast<wchar_t *>(GlobalLock(memory));
        text.copy(target, text.size());
        target[text.size()] = L'\0';
        GlobalUnlock(memory);
        // The clipboard owns the memory once it has taken it.
        done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!done)
            GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}
