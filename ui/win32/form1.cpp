#include "form1.h"
#include "accessible_name.h"
#include "failure_report.h"
#include "text_conversion.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace {

// A fixed, thin border with caption, system menu and close button: no sizing border, no
// minimize or maximize box.
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD windowExStyle = 0;
constexpr int programIconId = 1;  // resources/veltrix.rc

[[noreturn]] void ThrowLastError(const char *what)
{
    throw std::system_error(int(GetLastError()), std::system_category(), what);
}

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

// The platform's dialog font: the message font of the non-client metrics, at `dpi`.
HFONT MessageFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        ThrowLastError("SystemParametersInfoForDpi");
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    if (!font)
        throw std::runtime_error("CreateFontIndirect failed");
    return font;
}

HICON ProgramIcon(HINSTANCE instance, int sizeMetric)
{
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(programIconId), IMAGE_ICON, size, size, LR_SHARED));
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ProgramIcon(instance, SM_CXICON);
    windowClass.hIconSm = ProgramIcon(instance, SM_CXSMICON);
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
        LayOut(GetDpiForWindow(window));
        // The whole window, frame included, is centred.
        RECT frame;
        GetWindowRect(window, &frame);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        SetWindowPos(window, nullptr, (workArea.left + workArea.right - width) / 2,
                     (workArea.top + workArea.bottom - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } catch (...) {
        DestroyWindow(window);
        throw;
    }
    lastFocus = Field(calc::AmountField::txtBez);
    ShowWindow(window, show);
}

Form1::~Form1()
{
    DestroyWindow(window);
    if (font)
        DeleteObject(font);
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
    if (message == WM_NCDESTROY)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
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
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_CLOSE:
        // Close button, system menu and Alt+F4: end at once, asking nothing.
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
        if (control.kind == form1::ControlKind::AmountEdit) {
            MakeAmountEdit(made, *this);
            // What a screen reader announces on entering the field.
            SetAccessibleName(made, ToUtf16(form1::GroupOf(control.amount).text));
        }
        controls[i] = made;
    }
}

void Form1::LayOut(UINT dpi)
{
    HFONT newFont = MessageFont(dpi);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const RECT place = PixelRect(form1::Controls[i], dpi);
        SetWindowPos(controls[i], nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(controls[i], WM_SETFONT, reinterpret_cast<WPARAM>(newFont), TRUE);
    }
    if (font)
        DeleteObject(font);
    font = newFont;

    const int scale = int(dpi);
    RECT frame{0, 0, form1::ToPixels(form1::ClientWidth, scale),
               form1::ToPixels(form1::ClientHeight, scale)};
    AdjustWindowRectExForDpi(&frame, windowStyle, FALSE, windowExStyle, dpi);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
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

// Moved to a monitor of another density: the same layout in that monitor's pixels and font.
void Form1::OnDpiChanged(UINT dpi, const RECT &suggested)
{
    LayOut(dpi);
    SetWindowPos(window, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The focused edit receives the key release, so after Shift+Tab the release of Shift counts for
// the field just entered.
void Form1::KeyReleased(HWND edit) noexcept
{
    if (failed)
        return;
    const std::size_t index = std::size_t(GetDlgCtrlID(edit) - FirstControlId);
    Guarded([&] { calc::Recalculate(form1::Controls[index].amount, *this); });
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
