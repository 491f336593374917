#pragma once

#include "ByteWords.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>

namespace varnuth {

/// A time as an SSA script writes it, H:MM:SS.cc: one hour digit, and hundredths cut, never rounded.
using SsaTime = std::array<char, 10>;

/// The start and end of a SubRip entry. The hours' digits, all of them, view the timing line and are valid only as
/// long as it is; a negative time's are "0".
struct SubRipTiming {
    SsaTime start;
    SsaTime end;
    std::string_view startHours;
    std::string_view endHours;
};

/// The part of ParseTimingLine that is not inline: for a \p line that starts with a digit or "-" and has not the
/// usual shape.
[[nodiscard]] std::optional<SubRipTiming> ParseUnusualTimingLine(std::string_view line);

namespace usual_timing {

// The usual shape, where '0' stands for any digit and ',' for a comma or a point: nearly every timing line of a
// real file, so it is compared eight bytes at a time, inline, without the general parser.
inline constexpr std::string_view kShape = "00:00:00,000 --> 00:00:00,000";
inline constexpr std::size_t kEndAt = 17;

// Four words cover the 29 bytes; the last overlaps the third.
inline constexpr std::size_t kWordsAt[] = {0, 8, 16, kShape.size() - sizeof(words::Word)};

inline constexpr words::Shape kShapeWords[] = {
    words::Shape(kShape.substr(kWordsAt[0])), words::Shape(kShape.substr(kWordsAt[1])),
    words::Shape(kShape.substr(kWordsAt[2])), words::Shape(kShape.substr(kWordsAt[3]))};

inline bool Matches(std::string_view line)
{
    if (line.size() != kShape.size()) {
        return false;
    }
    // Spelled out, so that the shapes become immediate operands.
    const char* const bytes = line.data();
    return kShapeWords[0].Matches(words::Load(bytes + kWordsAt[0]))
           && kShapeWords[1].Matches(words::Load(bytes + kWordsAt[1]))
           && kShapeWords[2].Matches(words::Load(bytes + kWordsAt[2]))
           && kShapeWords[3].Matches(words::Load(bytes + kWordsAt[3]));
}

// Hours' tens dropped, thousandths cut: "01:02:03,456" is 1:02:03.45. Fixed sizes, so a few moves.
inline void Cut(const char* time, SsaTime& out)
{
    constexpr std::size_t kClockWidth = 7;
    constexpr std::size_t kHundredthsAt = 8;
    constexpr std::size_t kHundredthsWidth = 2;
    std::memcpy(out.data(), time + 1, kClockWidth);
    out[kHundredthsAt - 1] = '.';
    std::memcpy(out.data() + kHundredthsAt, time + kHundredthsAt + 1, kHundredthsWidth);
}

} // namespace usual_timing

/// The times of \p line if it is a SubRip timing line, such as "00:01:02,345 --> 00:01:05,678", else nothing.
///
/// A time is an optional "-", hours of one or more digits, minutes and seconds of one or two digits, and an
/// optional fraction of one to three digits after "," or "."; spaces or tabs may stand around "-->", and
/// anything may follow the end time. A negative time becomes 0:00:00.00.
[[nodiscard]] inline std::optional<SubRipTiming> ParseTimingLine(std::string_view line)
{
    if (usual_timing::Matches(line)) {
        SubRipTiming timing{};
        usual_timing::Cut(line.data(), timing.start);
        usual_timing::Cut(line.data() + usual_timing::kEndAt, timing.end);
        timing.startHours = line.substr(0, 2);
        timing.endHours = line.substr(usual_timing::kEndAt, 2);
        return timing;
    }
    // Text lines, most of a file, rarely start as a time does, and are told apart here without a call.
    if (line.empty() || ((line.front() < '0' || line.front() > '9') && line.front() != '-')) {
        return std::nullopt;
    }
    return ParseUnusualTimingLine(line);
}

} // namespace varnuth
