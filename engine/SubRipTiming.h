#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace varnuth {

/// A time as an SSA script writes it, H:MM:SS.cc: one hour digit, and hundredths cut, never rounded.
using SsaTime = std::array<char, 10>;

/// The start and end of a SubRip entry.
struct SubRipTiming {
    SsaTime start;
    SsaTime end;
};

/// The times of \p line if it is a SubRip timing line, such as "00:01:02,345 --> 00:01:05,678", else nothing.
///
/// A time is an optional "-", hours of one or more digits, minutes and seconds of one or two digits, and an
/// optional fraction of one to three digits after "," or "."; spaces or tabs may stand around "-->", and
/// anything may follow the end time. A negative time becomes 0:00:00.00.
[[nodiscard]] std::optional<SubRipTiming> ParseTimingLine(std::string_view line);

} // namespace varnuth
