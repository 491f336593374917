#pragma once

#include "LineReader.h"
#include "SubRipTiming.h"
#include "UnconvertedLines.h"

#include <string_view>

namespace varnuth {

/// What a SubRip writer is handed: Start(timing) when a timing line opens an entry, Text(line) for each text line of
/// it, End() when a blank line, the next timing line or the end of the source closes an entry that had text. The
/// timing's hours and the line are valid only during the call.
template <typename Writer>
concept SubRipWriter = requires(Writer& writer, const SubRipTiming& timing, std::string_view line) {
    writer.Start(timing);
    writer.Text(line);
    writer.End();
};

namespace subrip_reports {

/// A line outside any entry: text, spaces or tabs, or an arrow with no times that can be read.
void ReportOutsideEntry(std::string_view line, long number, UnconvertedLines& unconverted);
/// An entry number with no timing line after it.
void ReportNumberWithoutTiming(long number, UnconvertedLines& unconverted);
/// A line of an entry with an arrow but no times that can be read, kept as text.
void ReportUnreadableTimingKept(long number, UnconvertedLines& unconverted);
/// An entry whose timing line no text follows.
void ReportEntryWithoutText(long number, UnconvertedLines& unconverted);

/// Whether \p line holds "-->"; a '-' is rare in text, so the search is mostly one memchr.
[[nodiscard]] inline bool HasArrow(std::string_view line)
{
    constexpr std::string_view kArrow = "-->";
    for (std::size_t at = line.find('-'); at != std::string_view::npos; at = line.find('-', at + 1)) {
        if (line.substr(at).starts_with(kArrow)) {
            return true;
        }
    }
    return false;
}

// A plain loop: numbers are short, and text lines fail at the first character.
[[nodiscard]] inline bool IsEntryNumber(std::string_view line)
{
    for (const char c : line) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return !line.empty();
}

} // namespace subrip_reports

/// Reads the SubRip \p source to its end and hands its entries to \p writer; every line that belongs to no entry, and
/// every entry without text, goes to \p unconverted. Inline, so that the writer's calls are too.
template <SubRipWriter Writer>
void ReadSubRipEntries(LineReader& source, UnconvertedLines& unconverted, Writer& writer)
{
    using namespace subrip_reports;
    bool inEntry = false;
    bool hasText = false;
    // What the next line decides: a number line is an entry number only if a timing line follows it, and an entry
    // whose timing line no text follows writes nothing.
    long numberLine = 0;
    long timingLine = 0;
    const auto reportNumberWithoutTiming = [&] {
        if (numberLine != 0) {
            ReportNumberWithoutTiming(numberLine, unconverted);
            numberLine = 0;
        }
    };
    const auto endEntry = [&] {
        if (!inEntry) {
            return;
        }
        if (hasText) {
            writer.End();
        } else {
            ReportEntryWithoutText(timingLine, unconverted);
        }
        inEntry = false;
    };
    const auto text = [&](std::string_view line) {
        hasText = true;
        writer.Text(line);
    };

    std::string_view line;
    while (source.Next(line)) {
        if (line.empty()) {
            reportNumberWithoutTiming();
            endEntry();
        } else if (IsEntryNumber(line)) {
            reportNumberWithoutTiming();
            if (inEntry) {
                text(line);
            } else {
                numberLine = source.LineNumber();
            }
        } else if (const std::optional<SubRipTiming> timing = ParseTimingLine(line)) {
            numberLine = 0;
            endEntry();
            writer.Start(*timing);
            timingLine = source.LineNumber();
            inEntry = true;
            hasText = false;
        } else {
            reportNumberWithoutTiming();
            if (inEntry) {
                if (HasArrow(line)) {
                    ReportUnreadableTimingKept(source.LineNumber(), unconverted);
                }
                text(line);
            } else {
                ReportOutsideEntry(line, source.LineNumber(), unconverted);
            }
        }
    }
    reportNumberWithoutTiming();
    endEntry();
}

} // namespace varnuth
