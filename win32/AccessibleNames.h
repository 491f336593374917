#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct IAccPropServices;

namespace varnuth::win32 {

/// Names and descriptions that a screen reader says for controls whose captions tell nothing by themselves, given
/// through the system's accessibility annotations; a system without them leaves the controls as they are.
class AccessibleNames {
public:
    AccessibleNames();
    AccessibleNames(const AccessibleNames&) = delete;
    AccessibleNames& operator=(const AccessibleNames&) = delete;
    /// Takes back every name given, as the annotations outlive no window.
    ~AccessibleNames();

    void Name(HWND control, const std::wstring& name);
    void Describe(HWND control, const std::wstring& description);

private:
    void Annotate(HWND control, const GUID& property, const std::wstring& text);

    IAccPropServices* services_ = nullptr;
    std::vector<HWND> annotated_;
};

} // namespace varnuth::win32
