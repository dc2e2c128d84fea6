// The least a correct Win32 program of Veltrix's shape can do: one fixed window with a 121 x 137
// client area at 96 dpi, three group boxes, each with an edit and a static beside it, the program
// icon, the Common Controls 6 manifest (baseline.rc), the message font on the controls, and a
// message loop with IsDialogMessage for the tab cycle. No DPI handling, no locale, no handlers.
// Start-up time and memory of the real Veltrix.exe are measured against this under the same Wine.
#include <windows.h>
#include <commctrl.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AddChild(HWND parent, HFONT font, DWORD extendedStyle, const wchar_t *className, const wchar_t *text,
              DWORD style, int x, int y, int width, int height)
{
    HWND child = CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                 height, parent, nullptr, nullptr, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // The manifest's Common Controls 6 take effect once comctl32 is loaded.
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"Baseline";
    RegisterClassExW(&windowClass);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, 121, 137};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = CreateWindowExW(0, L"Baseline", L"Baseline", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                  nullptr);

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);

    const wchar_t *captions[] = {L"Bez DPH", L"s DPH 5%", L"s DPH 19%"};
    for (int i = 0; i < 3; ++i) {
        const int top = 48 * i;
        AddChild(window, font, 0, L"BUTTON", captions[i], BS_GROUPBOX, 0, top, 121, 41);
        AddChild(window, font, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, 8, top + 16, 81, 19);
        AddChild(window, font, 0, L"STATIC", L"K\u010d", 0, 96, top + 19, 17, 17);
    }

    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    DeleteObject(font);
    return static_cast<int>(message.wParam);
}
