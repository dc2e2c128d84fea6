#include "failure_report.h"
#include "form1.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>
#include <exception>

// The command line is not read: the program takes none.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // COM carries the fields' accessible names; the common controls, with the manifest, give
    // the controls the system's visual style.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    int status = EXIT_FAILURE;
    try {
        Form1 window(instance, show);
        status = window.Run();
    } catch (const std::exception &failure) {
        ShowFailure(nullptr, failure);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return status;
}
