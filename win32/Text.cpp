#include "Text.h"

#include <windows.h>

namespace varnuth::win32 {

std::wstring DisplayText(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const auto size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

} // namespace varnuth::win32
