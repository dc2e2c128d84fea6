#include "form1.h"
#include "accessible_name.h"
#include "dialog_font.h"
#include "failure_report.h"
#include "program_icon.h"
#include "system_error.h"
#include "text_conversion.h"

#include <cstdlib>
#include <stdexcept>
#include <tuple>

namespace {

// A fixed, thin border with caption, system menu and close button: no sizing border, no
// minimize or maximize box.
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD windowExStyle = 0;

struct ControlClass {
    const wchar_t *name;
    DWORD style, exStyle;
};

ControlClass ClassOf(form1::ControlKind kind)
{
    switch (kind) {
    case form1::ControlKind::GroupBox:
        return {L"BUTTON", BS_GROUPBOX, 0};
    case form1::ControlKind::AmountEdit:
        return {L"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case form1::ControlKind::Label:
        return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    }
    throw std::logic_error("unknown control kind");
}

// Edges are scaled rather than sizes, so that neighbours stay flush at any DPI. An edit's or a
// label's twips count from its group box's outer corner; the control itself is a sibling of the
// group box in the client area, where IsDialogMessage finds it for the tab cycle.
RECT PixelRect(const form1::Control &control, UINT dpi)
{
    int left = control.left, top = control.top;
    if (control.kind != form1::ControlKind::GroupBox) {
        const form1::Control &group = form1::GroupOf(control.amount);
        left += group.left;
        top += group.top;
    }
    const int scale = int(dpi);
    return {form1::ToPixels(left, scale), form1::ToPixels(top, scale),
            form1::ToPixels(left + control.width, scale), form1::ToPixels(top + control.height, scale)};
}

// The whole window, frame and caption included, around the table's client area at `dpi`.
SIZE FrameSize(UINT dpi)
{
    const int scale = int(dpi);
    RECT frame{0, 0, form1::ToPixels(form1::ClientWidth, scale),
               form1::ToPixels(form1::ClientHeight, scale)};
    AdjustWindowRectExForDpi(&frame, windowStyle, FALSE, windowExStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The window has one size, so a maximized start (a shortcut set to "Maximized", start /max)
// shows it normally instead.
int NormalShowCommand(int show)
{
    return show == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : show;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = Form1::ClassName;
    if (!RegisterClassExW(&windowClass))
        ThrowLastError("RegisterClassEx");
}

RECT PrimaryWorkArea()
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    return monitor.rcWork;
}

} // namespace

Form1::Form1(HINSTANCE instance, int show)
{
    RegisterWindowClass(instance, WindowProc);
    const RECT workArea = PrimaryWorkArea();
    // Made on the primary monitor, so that the layout starts from that monitor's DPI.
    const std::wstring title = ToUtf16(form1::Title);
    if (!CreateWindowExW(windowExStyle, ClassName, title.c_str(), windowStyle, workArea.left,
                         workArea.top, 0, 0, nullptr, nullptr, instance, this))
        ThrowLastError("CreateWindowEx");
    try {
        CreateControls();
        const UINT dpi = GetDpiForWindow(window);
        LayOut(dpi);
        ApplyFont(dpi);
        ApplyIcons(dpi);
        // The whole window, frame included, is centred.
        const SIZE frame = FrameSize(dpi);
        SetWindowPos(window, nullptr, (workArea.left + workArea.right - frame.cx) / 2,
                     (workArea.top + workArea.bottom - frame.cy) / 2, frame.cx, frame.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } catch (...) {
        DestroyWindow(window);
        // Its WM_DESTROY has posted the quit, which would close the failure report's box at once.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        throw;
    }
    lastFocus = Field(calc::AmountField::txtBez);
    // The first ShowWindow of a process may take its command from the STARTUPINFO of the program
    // that started it instead; OnSize undoes a maximize that comes that way.
    ShowWindow(window, NormalShowCommand(show));
}

Form1::~Form1()
{
    if (window)
        DestroyWindow(window);
    if (font)
        DeleteObject(font);
    for (HICON icon : {bigIcon, smallIcon})
        if (icon)
            DestroyIcon(icon);
}

int Form1::Run()
{
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        // Tab and Shift+Tab move between the tab stops, the three edits.
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return got == 0 ? int(message.wParam) : EXIT_FAILURE;
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto form = static_cast<Form1 *>(reinterpret_cast<const CREATESTRUCTW *>(lParam)->lpCreateParams);
        form->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto form = reinterpret_cast<Form1 *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    form->Guarded([&] { result = form->Handle(message, wParam, lParam); });
    return result;
}

LRESULT Form1::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        OnActivate(wParam);
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO *>(lParam));
        return 0;
    case WM_GETDPISCALEDSIZE:
        // Edges are rounded one by one, so the frame at the new DPI is not the old one scaled.
        *reinterpret_cast<SIZE *>(lParam) = FrameSize(UINT(wParam));
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_SETTINGCHANGE:
        // A new text size or message font applies at once.
        if (wParam == SPI_SETNONCLIENTMETRICS)
            ApplyFont(GetDpiForWindow(window));
        break;
    case WM_SIZE:
        OnSize(wParam);
        return 0;
    case WM_CLOSE:
        // Close button, system menu and Alt+F4: end at once, asking nothing. Once the window is
        // gone, no key release still queued for a field can start a recalculation.
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    // Enter and Escape come here from IsDialogMessage as WM_COMMAND IDOK and IDCANCEL;
    // DefWindowProc ignores both, so neither closes the window.
    return DefWindowProcW(window, message, wParam, lParam);
}

void Form1::CreateControls()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    AccessibleNames accessibleNames;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const form1::Control &control = form1::Controls[i];
        const ControlClass kind = ClassOf(control.kind);
        // Made in tab order, which makes the z-order, and so IsDialogMessage's order, the table's.
        HWND made = CreateWindowExW(kind.exStyle, kind.name, ToUtf16(control.text).c_str(),
                                    WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0, window,
                                    reinterpret_cast<HMENU>(INT_PTR(FirstControlId + int(i))),
                                    instance, nullptr);
        if (!made)
            ThrowLastError("CreateWindowEx for a control");
        if (control.kind == form1::ControlKind::AmountEdit) {
            MakeAmountEdit(made, control.amount, *this);
            // What a screen reader announces on entering the field.
            accessibleNames.Set(made, ToUtf16(form1::GroupOf(control.amount).text));
        }
        controls[i] = made;
    }
}

// The controls in the pixels of `dpi`, moved in one batch so that none is drawn in between.
void Form1::LayOut(UINT dpi)
{
    HDWP batch = BeginDeferWindowPos(int(controls.size()));
    for (std::size_t i = 0; i < controls.size() && batch; ++i) {
        const RECT place = PixelRect(form1::Controls[i], dpi);
        batch = DeferWindowPos(batch, controls[i], nullptr, place.left, place.top,
                               place.right - place.left, place.bottom - place.top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!batch || !EndDeferWindowPos(batch))
        ThrowLastError("DeferWindowPos");
}

void Form1::ApplyFont(UINT dpi)
{
    HFONT newFont = DialogFont(dpi);
    for (HWND control : controls)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(newFont), TRUE);
    if (font)
        DeleteObject(font);
    font = newFont;
}

// Caption and taskbar icons drawn for this DPI, not stretched from another.
void Form1::ApplyIcons(UINT dpi)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (auto [kind, metric, icon] : {std::tuple{ICON_BIG, SM_CXICON, &bigIcon},
                                      std::tuple{ICON_SMALL, SM_CXSMICON, &smallIcon}}) {
        HICON made = ProgramIcon(instance, GetSystemMetricsForDpi(metric, dpi));
        SendMessageW(window, WM_SETICON, WPARAM(kind), reinterpret_cast<LPARAM>(made));
        if (*icon)
            DestroyIcon(*icon);
        *icon = made;
    }
}

// Like a dialog, the window gives the focus back to the field that had it when it was left.
void Form1::OnActivate(WPARAM wParam)
{
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus))
            lastFocus = focus;
    } else if (lastFocus) {
        SetFocus(lastFocus);
    }
}

// Without an answer Windows holds an overlapped window to the caption's minimum width, wider
// than this window's frame once the caption buttons are large (Windows 10 and 11 metrics).
void Form1::OnGetMinMaxInfo(MINMAXINFO &limits) const
{
    const SIZE frame = FrameSize(GetDpiForWindow(window));
    limits.ptMinTrackSize = limits.ptMaxTrackSize = limits.ptMaxSize = {frame.cx, frame.cy};
}

// Moved to a monitor of another density: the same layout in that monitor's pixels, font and
// icons, then one move into the rectangle Windows suggests, which keeps the window on that
// monitor (moving and resizing apart can carry it back across the border).
void Form1::OnDpiChanged(UINT dpi, const RECT &suggested)
{
    LayOut(dpi);
    ApplyFont(dpi);
    ApplyIcons(dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// However it came (a maximized start, another program's ShowWindow or SC_MAXIMIZE), a maximize is
// undone: the window keeps its one size and place.
void Form1::OnSize(WPARAM kind)
{
    if (kind == SIZE_MAXIMIZED)
        ShowWindow(window, SW_RESTORE);
}

// The focused edit receives the key release, so after Shift+Tab the release of Shift counts for
// the field just entered.
void Form1::KeyReleased(calc::AmountField field) noexcept
{
    if (failed)
        return;
    Guarded([&] { calc::Recalculate(field, *this); });
}

template <typename Step>
void Form1::Guarded(Step &&step) noexcept
{
    // No exception may unwind into Windows' own code, which called the window procedure.
    try {
        step();
    } catch (const std::exception &failure) {
        ReportFailure(failure);
    } catch (...) {
        ReportFailure(std::runtime_error(form1::UnknownFailureText));
    }
}

// After the report the program handles nothing more: no recalculation starts, and the loop ends
// with a failure status.
void Form1::ReportFailure(const std::exception &failure) noexcept
{
    failed = true;
    ShowFailure(window, failure);
    PostQuitMessage(EXIT_FAILURE);
}

HWND Form1::Field(calc::AmountField field) const
{
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (form1::Controls[i].kind == form1::ControlKind::AmountEdit && form1::Controls[i].amount == field)
            return controls[i];
    throw std::logic_error("every amount has an edit");
}

std::string Form1::ReadText(calc::AmountField field) const
{
    return EditText(Field(field));
}

void Form1::WriteText(calc::AmountField field, const std::string &text)
{
    ShowResult(Field(field), text);
}

// Asked at every recalculation, so that a change in the regional settings counts from the next
// key release.
std::string Form1::DecimalSeparator() const
{
    wchar_t separator[8];  // the setting holds at most four characters with its terminator
    const int size = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator,
                                     int(std::size(separator)));
    if (size == 0)
        ThrowLastError("GetLocaleInfoEx");
    return ToUtf8(std::wstring_view(separator, std::size_t(size - 1)));
}
