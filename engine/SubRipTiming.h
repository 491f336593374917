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

/// The part of ParseTimingLine that is not inline: for a \p line that starts with a digit or "-".
[[nodiscard]] std::optional<SubRipTiming> ParseTimingLineStartingAsTime(std::string_view line);

/// The times of \p line if it is a SubRip timing line, such as "00:01:02,345 --> 00:01:05,678", else nothing.
///
/// A time is an optional "-", hours of one or more digits, minutes and seconds of one or two digits, and an
/// optional fraction of one to three digits after "," or "."; spaces or tabs may stand around "-->", and
/// anything may follow the end time. A negative time becomes 0:00:00.00.
[[nodiscard]] inline std::optional<SubRipTiming> ParseTimingLine(std::string_view line)
{
    // Text lines, most of a file, rarely start as a time does, and are told apart here without a call.
    if (line.empty() || ((line.front() < '0' || line.front() > '9') && line.front() != '-')) {
        return std::nullopt;
    }
    return ParseTimingLineStartingAsTime(line);
}

} // namespace varnuth
