// The least a Win32 program of Veltrix's shape can do: one fixed window with a 121 x 137 client
// area at 96 dpi, three group boxes, each with an edit and a static beside it, and the plain
// message loop. No icon, no manifest, no font, no DPI handling, no locale, no handlers. Start-up
// time and memory of the real Veltrix.exe are measured against this under the same Wine.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AddChild(HWND parent, DWORD extendedStyle, const wchar_t *className, const wchar_t *text, DWORD style, int x,
              int y, int width, int height)
{
    CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                    nullptr, nullptr, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
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

    const wchar_t *captions[] = {L"Bez DPH", L"s DPH 5%", L"s DPH 19%"};
    for (int i = 0; i < 3; ++i) {
        const int top = 48 * i;
        AddChild(window, 0, L"BUTTON", captions[i], BS_GROUPBOX, 0, top, 121, 41);
        AddChild(window, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, 8, top + 16, 81, 19);
        AddChild(window, 0, L"STATIC", L"K\u010d", 0, 96, top + 19, 17, 17);
    }

    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
