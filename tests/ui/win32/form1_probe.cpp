// The end-to-end test's eyes inside Wine: a long-running Windows program that answers one command
// per line on stdin with one line on stdout (JSON or a word), reading Veltrix's window over the
// Win32 API. Starting a Wine program costs far more than a question, so one probe serves a run.
//
//   find                 wait for the window, then "ok" (or "none" after 20 s)
//   facts                window and control geometry, styles, texts, DPI
//   texts                the three field texts
//   focus                name of the control with the keyboard focus, or "-"
//   accessible NAME      "ok" once an accessibility client has the control's name from oleacc
//   msgbox               the message box the window owns, if any
//   boxes                how many message boxes the window's process shows
//   settingchange        sends the window a text-size change; "answered", or "pending" when the
//                        window has not answered within 2 s (a modal box is up)
//   settext NAME TEXT    replaces a field's text from outside (no key event)
//   clipboard TEXT       puts TEXT on the clipboard
//   activate other|form  activates a window of the probe's own, or Veltrix's window again
//   drained              "ok" once the window has handled the input that reached it before
//   maximize syscommand|show  asks the window to maximize: as the system menu or a caption
//                        double-click does, or as another program's ShowWindow does
#include "form1.h"
#include "form1_reader.h"
#include "text_conversion.h"
#include "ui/form1_description.h"

#include <oleacc.h>

#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string Quoted(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\' || c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string List(const std::vector<std::string> &items)
{
    std::string out = "[";
    for (const std::string &item : items)
        out += (out.size() > 1 ? "," : "") + Quoted(item);
    return out + "]";
}

std::string Rect(const RECT &r)
{
    std::ostringstream out;
    out << '[' << r.left << ',' << r.top << ',' << r.right - r.left << ',' << r.bottom - r.top << ']';
    return out.str();
}

std::string ClassOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, int(std::size(name)));
    return ToUtf8(name);
}

std::string Facts(const Form1Reader &reader)
{
    HWND form = reader.Form();
    const UINT dpi = GetDpiForSystem();
    RECT window, client, work;
    GetWindowRect(form, &window);
    GetClientRect(form, &client);
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    work = monitor.rcWork;

    std::ostringstream out;
    // Wine reports other processes' windows at 96 dpi whatever the setting, so the DPI given is
    // the system's; the layout shows which one the window used.
    out << "{\"title\":" << Quoted(Form1Reader::Text(form)) << ",\"dpi\":" << dpi
        << ",\"style\":" << GetWindowLongW(form, GWL_STYLE) << ",\"window\":" << Rect(window)
        << ",\"client\":" << Rect(client) << ",\"client_origin\":[" << origin.x << ',' << origin.y
        << "],\"work\":" << Rect(work) << ",\"controls\":[";
    // In z-order, which is the order IsDialogMessage walks.
    bool first = true;
    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int index = GetDlgCtrlID(child) - Form1::FirstControlId;
        const bool known = index >= 0 && index < int(std::size(form1::Controls));
        RECT place;
        GetWindowRect(child, &place);
        MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT *>(&place), 2);
        out << (first ? "" : ",") << "{\"name\":" << Quoted(known ? form1::Controls[index].name : "?")
            << ",\"class\":" << Quoted(ClassOf(child)) << ",\"text\":" << Quoted(Form1Reader::Text(child))
            << ",\"rect\":" << Rect(place) << ",\"style\":" << GetWindowLongW(child, GWL_STYLE) << '}';
        first = false;
    }
    out << "]}";
    return out.str();
}

std::string MessageBoxFacts(const Form1Reader &reader)
{
    HWND box = reader.MessageBox();
    if (!box)
        return "null";
    std::vector<std::string> texts, buttons;
    bool icon = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (!(style & WS_VISIBLE))
            continue;
        const std::string kind = ClassOf(child), text = Form1Reader::Text(child);
        if (kind == "Button")
            buttons.push_back(text);
        else if (kind == "Static" && (style & SS_TYPEMASK) == SS_ICON)
            icon = icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
        else if (kind == "Static" && !text.empty())
            texts.push_back(text);
    }
    std::ostringstream out;
    out << "{\"title\":" << Quoted(Form1Reader::Text(box)) << ",\"texts\":" << List(texts)
        << ",\"buttons\":" << List(buttons) << ",\"icon\":" << (icon ? "true" : "false") << ",\"owned\":"
        << (GetWindow(box, GW_OWNER) == reader.Form() ? "true" : "false")
        << ",\"owner_disabled\":" << (IsWindowEnabled(reader.Form()) ? "false" : "true") << '}';
    return out.str();
}

// Whether an accessibility client gets the control's name: the control's WM_GETOBJECT is answered.
bool AccessibleNameRead(HWND control)
{
    IAccessible *accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, DWORD(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void **>(&accessible))))
        return false;
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const bool answered = SUCCEEDED(accessible->get_accName(self, &name));
    SysFreeString(name);
    accessible->Release();
    return answered;
}

// Handles the probe's own window's messages until `done` or 5 s have passed: activation sends
// some from Veltrix's thread, which waits for the answers.
template <typename Condition>
bool PumpUntil(Condition done)
{
    const ULONGLONG end = GetTickCount64() + 5000;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        if (done())
            return true;
        if (GetTickCount64() > end)
            return false;
        Sleep(5);
    }
}

// Another program's window taking the foreground, and giving it back.
bool Activate(HWND form, const std::string &which, HWND &other)
{
    if (which == "other") {
        if (!other)
            other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0,
                                    80, 40, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(other);
        return PumpUntil([&] { return GetForegroundWindow() == other; });
    }
    SetForegroundWindow(form);
    const bool back = PumpUntil([&] { return GetForegroundWindow() == form; });
    if (other)
        DestroyWindow(other);
    other = nullptr;
    return back;
}

HWND ControlNamed(const Form1Reader &reader, const std::string &name)
{
    for (std::size_t i = 0; i < std::size(form1::Controls); ++i)
        if (name == form1::Controls[i].name)
            return reader.Control(i);
    return nullptr;
}

} // namespace

int main()
{
    // Aware of DPI like the program, so that Windows reports its real DPI and pixels.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND form = nullptr, other = nullptr;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        const std::size_t split = rest.find(' ');
        const std::string name = rest.substr(0, split);
        const std::string argument = split == std::string::npos ? "" : rest.substr(split + 1);
        if (command == "find") {
            form = nullptr;
            for (int i = 0; i < 1000 && !form; ++i) {
                form = Form1Reader::Find();
                if (!form)
                    Sleep(20);
            }
            std::cout << (form ? "ok" : "none") << std::endl;
            continue;
        }
        if (!form) {
            std::cout << "no window" << std::endl;
            continue;
        }
        const Form1Reader reader(form);
        if (command == "facts") {
            std::cout << Facts(reader) << std::endl;
        } else if (command == "texts") {
            const auto texts = reader.Texts();
            std::cout << List({texts.begin(), texts.end()}) << std::endl;
        } else if (command == "focus") {
            const int index = reader.Focused();
            std::cout << (index < 0 ? "-" : form1::Controls[index].name) << std::endl;
        } else if (command == "accessible") {
            std::cout << (AccessibleNameRead(ControlNamed(reader, name)) ? "ok" : "failed") << std::endl;
        } else if (command == "msgbox") {
            std::cout << MessageBoxFacts(reader) << std::endl;
        } else if (command == "boxes") {
            std::cout << reader.MessageBoxCount() << std::endl;
        } else if (command == "settingchange") {
            DWORD_PTR answer = 0;
            std::cout << (SendMessageTimeoutW(form, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0,
                                              SMTO_NORMAL, 2000, &answer) ? "answered" : "pending")
                      << std::endl;
        } else if (command == "settext") {
            Form1Reader::SetText(ControlNamed(reader, name), argument);
            std::cout << "ok" << std::endl;
        } else if (command == "clipboard") {
            std::cout << (PutOnClipboard(rest) ? "ok" : "failed") << std::endl;
        } else if (command == "drained") {
            std::cout << (reader.Drained() ? "ok" : "busy") << std::endl;
        } else if (command == "maximize") {
            if (name == "syscommand")
                SendMessageW(form, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
            else
                ShowWindow(form, SW_MAXIMIZE);
            std::cout << "ok" << std::endl;
        } else if (command == "activate") {
            std::cout << (Activate(form, name, other) ? "ok" : "failed") << std::endl;
        } else {
            std::cout << "unknown command" << std::endl;
        }
    }
    CoUninitialize();
    return 0;
}
