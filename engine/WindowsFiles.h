#pragma once

#include "TargetFile.h"

#include <string>
#include <string_view>

namespace varnuth {

/// \p text (UTF-8) as UTF-16; empty if it is not UTF-8, which no file name then matches.
[[nodiscard]] std::wstring WideText(std::string_view text);

/// \p text (UTF-16) as UTF-8; an unpaired surrogate becomes U+FFFD.
[[nodiscard]] std::string Utf8Text(std::wstring_view text);

/// The full name the wide file functions take for \p name (UTF-8), after "\\?\" when it is long, which lifts the
/// length limit.
[[nodiscard]] std::wstring SystemName(const std::string& name);

/// The C library's number for the Windows error \p code, so that a failure reads as on other systems.
[[nodiscard]] int ErrorNumberOf(unsigned long code) noexcept;

/// The identity of the file open as \p handle; false if the system cannot tell it.
[[nodiscard]] bool IdentityOfHandle(void* handle, FileIdentity& identity) noexcept;

} // namespace varnuth
