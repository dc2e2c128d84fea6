#include "form1.h"
#include "accessible_name.h"
#include "dialog_font.h"
#include "failure_report.h"
#include "program_icon.h"
#include "system_error.h"
#include "system_function.h"
#include "text_conversion.h"

#include <commctrl.h>

#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <tuple>

namespace {

// A fixed, thin border with caption, system menu and close button: no sizing border, no
// minimize or maximize box.
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD windowExStyle = 0;

static_assert(Form1::Label3Id - Form1::FirstControlId + 1 == int(std::size(form1::Controls)),
              "one named id for each control of the table");
static_assert(std::string_view(form1::Controls[Form1::TxtBezId - Form1::FirstControlId].name) == "txtBez"
                  && std::string_view(form1::Controls[Form1::Txt5Id - Form1::FirstControlId].name) == "txt5"
                  && std::string_view(form1::Controls[Form1::Txt19Id - Form1::FirstControlId].name) == "txt19",
              "the fields' ids name them");

struct ControlClass {
    const wchar_t *name;
    DWORD style, exStyle;
};

ControlClass ClassOf(form1::ControlKind kind)
{
    switch (kind) {
    case form1::ControlKind::GroupBox:
        return {WC_BUTTONW, BS_GROUPBOX, 0};
    case form1::ControlKind::AmountEdit:
        return {WC_EDITW, WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case form1::ControlKind::Label:
        return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
    }
    throw std::logic_error("unknown control kind");
}

// Twips at `dpi`, rounded to the nearest pixel.
int Pixels(int twips, UINT dpi)
{
    return MulDiv(twips, int(dpi), form1::TwipsPerInch);
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
    return {Pixels(left, dpi), Pixels(top, dpi), Pixels(left + control.width, dpi),
            Pixels(top + control.height, dpi)};
}

// The whole window, frame and caption included, around the table's client area at `dpi`. Right
// only where the system scales the frame to the window's DPI: always under per-monitor awareness
// version 2, and under version 1 (Windows 10 1607) after EnableNonClientDpiScaling.
SIZE FrameSize(UINT dpi)
{
    RECT frame{0, 0, Pixels(form1::ClientWidth, dpi), Pixels(form1::ClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, windowStyle, FALSE, windowExStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// Under per-monitor awareness version 1, the only kind Windows 10 1607 has, the system scales a
// window's caption and borders to its monitor's DPI only when the window asks for it in
// WM_NCCREATE; under version 2 it always does, and the call fails harmlessly. Found at run time,
// so that a system without it still starts the program.
void ScaleFrameWithDpi(HWND window)
{
    using EnableNonClientDpiScalingFunction = BOOL(WINAPI *)(HWND);
    static const auto enable = LoadedSystemFunction<EnableNonClientDpiScalingFunction>(
        L"user32.dll", "EnableNonClientDpiScaling");
    if (enable)
        enable(window);
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
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

Form1::Form1(HINSTANCE instance)
{
    RegisterWindowClass(instance, WindowProc);
    const RECT workArea = PrimaryWorkArea();
    // Made on the primary monitor, so that the layout starts from that monitor's DPI.
    const std::wstring title = ToUtf16(form1::Title);
    if (!CreateWindowExW(windowExStyle, ClassName, title.c_str(), windowStyle, workArea.left,
                         workArea.top, 0, 0, nullptr, nullptr, instance, this))
        ThrowLastError("CreateWindowEx");
    SIZE frame{};
    try {
        CreateControls();
        const UINT dpi = GetDpiForWindow(window);
        LayOut(dpi);
        ApplyFont(dpi);
        ApplyIcons(dpi);
        frame = FrameSize(dpi);
    } catch (...) {
        DestroyWindow(window);
        // Its WM_DESTROY has posted the quit, which would close the failure report's box at once.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        throw;
    }
    lastFocus = Field(calc::AmountField::txtBez);
    // Shown, centred and activated by SetWindowPos, not ShowWindow: the first ShowWindow of a
    // process takes its command from the STARTUPINFO of the program that started it (a shortcut
    // set to "Maximized" or "Minimized") instead of the one it is given.
    SetWindowPos(window, HWND_TOP, (workArea.left + workArea.right - frame.cx) / 2,
                 (workArea.top + workArea.bottom - frame.cy) / 2, frame.cx, frame.cy, SWP_SHOWWINDOW);
    UpdateWindow(window);
}

Form1::~Form1()
{
    // The controls go before the font they use.
    if (window)
        DestroyWindow(window);
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
        ScaleFrameWithDpi(window);
    }
    auto form = reinterpret_cast<Form1 *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // The failure report's modal loop keeps dispatching messages to this window (setting changes,
    // DPI changes, size queries): once it has failed, none may fail again and show a second box.
    if (form->failed)
        return DefWindowProcW(window, message, wParam, lParam);
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
        if (wParam == SPI_SETNONCLIENTMETRICS)
            OnMetricsChanged();
        break;
    case WM_THEMECHANGED:
        OnMetricsChanged();
        return 0;
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
        controls[i] = made;
        if (control.kind == form1::ControlKind::AmountEdit)
            MakeAmountEdit(made, control.amount, *this);
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

// The old font is deleted only once no control uses it any more.
void Form1::ApplyFont(UINT dpi)
{
    UniqueFont newFont = DialogFont(dpi);
    for (HWND control : controls)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(newFont.get()), TRUE);
    font = std::move(newFont);
}

// Caption and taskbar icons drawn for this DPI, not stretched from another.
void Form1::ApplyIcons(UINT dpi)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (auto [kind, metric, icon] : {std::tuple{ICON_BIG, SM_CXICON, &bigIcon},
                                      std::tuple{ICON_SMALL, SM_CXSMICON, &smallIcon}}) {
        UniqueIcon made = ProgramIcon(instance, GetSystemMetricsForDpi(metric, dpi));
        SendMessageW(window, WM_SETICON, WPARAM(kind), reinterpret_cast<LPARAM>(made.get()));
        *icon = std::move(made);
    }
}

// The frame around the table's client area at `dpi`, where it stands.
void Form1::FitFrame(UINT dpi)
{
    const SIZE frame = FrameSize(dpi);
    SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
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
// than this window's frame once the caption buttons are large (Windows 10 and 11 metrics). The
// maximized place is where the window stands, so that a maximize moves nothing before OnSize
// undoes it: ptMaxPosition counts from the primary monitor's corner, and Windows moves it to the
// same place relative to the window's own monitor.
void Form1::OnGetMinMaxInfo(MINMAXINFO &limits) const
{
    const SIZE frame = FrameSize(GetDpiForWindow(window));
    limits.ptMinTrackSize = limits.ptMaxTrackSize = limits.ptMaxSize = {frame.cx, frame.cy};
    RECT place;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetWindowRect(window, &place)
        && GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        limits.ptMaxPosition = {place.left - monitor.rcMonitor.left, place.top - monitor.rcMonitor.top};
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

// A new text size, caption height or border width (Settings, high contrast, another theme): the
// system keeps the window's outer size, which would now hold a smaller client area, so the font
// is read again and the frame set to hold the table's client area.
void Form1::OnMetricsChanged()
{
    const UINT dpi = GetDpiForWindow(window);
    ApplyFont(dpi);
    FitFrame(dpi);
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

// Named on the first request rather than at start-up, so that a user without a screen reader
// never pays for COM and oleacc; the names are in place before the edit answers the request.
void Form1::AccessibleObjectAsked() noexcept
{
    if (named)
        return;
    named = true;
    Guarded([&] {
        for (const form1::Control &control : form1::Controls)
            if (control.kind == form1::ControlKind::AmountEdit)
                accessibleNames.Set(Field(control.amount), ToUtf16(form1::GroupOf(control.amount).text));
    });
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
    switch (field) {
    case calc::AmountField::txtBez:
        return controls[TxtBezId - FirstControlId];
    case calc::AmountField::txt5:
        return controls[Txt5Id - FirstControlId];
    case calc::AmountField::txt19:
        return controls[Txt19Id - FirstControlId];
    }
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
