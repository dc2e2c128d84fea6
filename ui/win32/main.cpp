#include "failure_report.h"
#include "form1.h"

#include <commctrl.h>

#include <cstdlib>
#include <exception>

// The command line is not read: the program takes none. Nor is the show command: the window has
// one size and place.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // With the manifest, the common controls give the controls the system's visual style.
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    try {
        Form1 window(instance);
        return window.Run();
    } catch (const std::exception &failure) {
        ShowFailure(nullptr, failure);
    }
    return EXIT_FAILURE;
}
