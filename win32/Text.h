#pragma once

#include <string>
#include <string_view>

namespace varnuth::win32 {

/// The program's caption, on the window and on every message and question.
inline constexpr const wchar_t* kCaption = L"Varnuth";

/// \p text (UTF-8) as UTF-16 for the screen: a byte that is not UTF-8 shows as U+FFFD instead of hiding the rest.
[[nodiscard]] std::wstring DisplayText(std::string_view text);

} // namespace varnuth::win32
