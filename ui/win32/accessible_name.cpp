#include "accessible_name.h"

AccessibleNames::AccessibleNames()
{
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void **>(&services))))
        services = nullptr;
}

AccessibleNames::~AccessibleNames()
{
    if (services)
        services->Release();
}

void AccessibleNames::Set(HWND control, const std::wstring &name)
{
    if (services)
        services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                                 name.c_str());
}
