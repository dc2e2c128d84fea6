#include "accessible_name.h"

AccessibleNames::~AccessibleNames()
{
    // Every interface goes before the apartment it lives in.
    services.reset();
    if (comStarted)
        CoUninitialize();
}

void AccessibleNames::Set(HWND control, const std::wstring &name)
{
    if (!started) {
        started = true;
        comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        IAccPropServices *made = nullptr;
        if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IAccPropServices, reinterpret_cast<void **>(&made))))
            services.reset(made);
    }
    if (services)
        services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                 name.c_str());
}
