#include "accessible_name.h"

namespace {

template <typename Function>
Function Find(HMODULE module, const char *name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                  : nullptr;
}

} // namespace

AccessibleNames::~AccessibleNames()
{
    // Every interface goes before the apartment it lives in, and the apartment before its DLL.
    services.reset();
    if (comStarted)
        Find<decltype(&CoUninitialize)>(ole32, "CoUninitialize")();
    if (ole32)
        FreeLibrary(ole32);
}

void AccessibleNames::Set(HWND control, const std::wstring &name)
{
    if (!started) {
        started = true;
        ole32 = LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        const auto initialize = Find<decltype(&CoInitializeEx)>(ole32, "CoInitializeEx");
        const auto create = Find<decltype(&CoCreateInstance)>(ole32, "CoCreateInstance");
        comStarted = initialize && create && SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
        IAccPropServices *made = nullptr;
        if (comStarted && SUCCEEDED(create(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IAccPropServices, reinterpret_cast<void **>(&made))))
            services.reset(made);
    }
    if (services)
        services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                 name.c_str());
}
