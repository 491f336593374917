#include "SonicListing.h"

#include "RunError.h"

#include <string>
#include <system_error>

namespace varnuth::sonic {

void FailShortEntry(std::size_t length, long lineNumber)
{
    throw RunError(static_cast<int>(std::errc::invalid_argument),
                   "Line " + std::to_string(lineNumber) + " of the source is too short for an entry line: "
                       + std::to_string(length) + " of at least " + std::to_string(kRestStart) + " characters");
}

void ReportNotTimecodes(const EntryFields& entry, long lineNumber, UnconvertedLines& unconverted)
{
    // Each field tested against itself tells which of the two is wrong.
    const bool start = AreTimecodes(entry.start, entry.start);
    const bool end = AreTimecodes(entry.end, entry.end);
    if (!start && !end) {
        unconverted.Add(lineNumber, "the start and end are not timecodes HH:MM:SS:FF; copied as they stand");
    } else if (!start) {
        unconverted.Add(lineNumber, "the start is not a timecode HH:MM:SS:FF; copied as it stands");
    } else if (!end) {
        unconverted.Add(lineNumber, "the end is not a timecode HH:MM:SS:FF; copied as it stands");
    }
}

} // namespace varnuth::sonic
