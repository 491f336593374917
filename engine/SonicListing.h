#pragma once

#include "ByteWords.h"
#include "UnconvertedLines.h"

#include <cstddef>
#include <string_view>

namespace varnuth::sonic {

// Fixed columns of a Sonic listing entry line, counted from 0 here; the gaps between them are never read.
inline constexpr std::size_t kNumberStart = 0;
inline constexpr std::size_t kNumberWidth = 4;
inline constexpr std::size_t kStartTimeStart = 6;
inline constexpr std::size_t kEndTimeStart = 19;
inline constexpr std::size_t kTimecodeWidth = 11;
inline constexpr std::size_t kRestStart = 32;

// The colons of a start timecode HH:MM:SS:FF, which make a line an entry line for the STL script.
inline constexpr std::size_t kFirstColon = 8;
inline constexpr std::size_t kSecondColon = 11;
inline constexpr std::size_t kThirdColon = 14;

/// The fields of an entry line; only valid for lines of at least kRestStart characters.
struct EntryFields {
    std::string_view number;
    std::string_view start;
    std::string_view end;
    std::string_view rest;
};

/// Throws the invalid-argument RunError for an entry line of \p length characters, naming \p lineNumber.
[[noreturn]] void FailShortEntry(std::size_t length, long lineNumber);

/// Throws the invalid-argument RunError, naming \p lineNumber, if \p line is too short for the entry fields.
inline void RequireEntryLength(std::string_view line, long lineNumber)
{
    if (line.size() < kRestStart) {
        FailShortEntry(line.size(), lineNumber);
    }
}

/// Cuts \p line by position; throws as RequireEntryLength does if it is too short.
[[nodiscard]] inline EntryFields CutEntry(std::string_view line, long lineNumber)
{
    RequireEntryLength(line, lineNumber);
    return {line.substr(kNumberStart, kNumberWidth), line.substr(kStartTimeStart, kTimecodeWidth),
            line.substr(kEndTimeStart, kTimecodeWidth), line.substr(kRestStart)};
}

/// The part of ReportTimecodes that is not inline: names what is wrong with \p entry.
void ReportNotTimecodes(const EntryFields& entry, long lineNumber, UnconvertedLines& unconverted);

/// Whether \p start and \p end are both timecodes HH:MM:SS:FF.
[[nodiscard]] inline bool AreTimecodes(std::string_view start, std::string_view end)
{
    // Two overlapping words cover each eleven-byte field, all four of the same shape, so one test covers both.
    constexpr std::string_view kTimecode = "00:00:00:00";
    constexpr std::size_t kSecondWordAt = kTimecode.size() - sizeof(words::Word);
    static_assert(kTimecode.size() == kTimecodeWidth
                  && kTimecode.substr(0, sizeof(words::Word)) == kTimecode.substr(kSecondWordAt));
    constexpr words::Shape kShape(kTimecode);
    return start.size() == kTimecodeWidth && end.size() == kTimecodeWidth
           && ((kShape.Misfits(words::Load(start.data())) | kShape.Misfits(words::Load(start.data() + kSecondWordAt))
                | kShape.Misfits(words::Load(end.data())) | kShape.Misfits(words::Load(end.data() + kSecondWordAt)))
               & words::kHighBits)
                  == 0;
}

/// Reports the line if its start or end field is not a timecode HH:MM:SS:FF; the fields are copied as they stand.
inline void ReportTimecodes(const EntryFields& entry, long lineNumber, UnconvertedLines& unconverted)
{
    // Nearly every entry has both timecodes and costs no call.
    if (!AreTimecodes(entry.start, entry.end)) {
        ReportNotTimecodes(entry, lineNumber, unconverted);
    }
}

} // namespace varnuth::sonic
