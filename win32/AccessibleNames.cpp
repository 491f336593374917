#include "AccessibleNames.h"

#include <initguid.h>
#include <oleacc.h>

#include <algorithm>

namespace varnuth::win32 {

AccessibleNames::AccessibleNames()
{
    CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                     reinterpret_cast<void**>(&services_));
}

AccessibleNames::~AccessibleNames()
{
    if (services_ == nullptr) {
        return;
    }
    MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
    for (HWND control : annotated_) {
        services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, properties,
                                  static_cast<int>(std::size(properties)));
    }
    services_->Release();
}

void AccessibleNames::Name(HWND control, const std::wstring& name)
{
    Annotate(control, PROPID_ACC_NAME, name);
}

void AccessibleNames::Describe(HWND control, const std::wstring& description)
{
    Annotate(control, PROPID_ACC_DESCRIPTION, description);
}

void AccessibleNames::Annotate(HWND control, const GUID& property, const std::wstring& text)
{
    if (services_ == nullptr
        || FAILED(services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, property,
                                            text.c_str()))) {
        return;
    }
    if (std::find(annotated_.begin(), annotated_.end(), control) == annotated_.end()) {
        annotated_.push_back(control);
    }
}

} // namespace varnuth::win32
