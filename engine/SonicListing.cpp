#include "SonicListing.h"

#include "ByteWords.h"
#include "RunError.h"

#include <string>
#include <system_error>

namespace varnuth::sonic {
namespace {

// Two overlapping words cover the eleven bytes, and both have the same shape.
bool IsTimecode(std::string_view field)
{
    constexpr std::string_view kTimecode = "00:00:00:00";
    constexpr std::size_t kSecondWordAt = kTimecode.size() - sizeof(words::Word);
    static_assert(kTimecode.substr(0, sizeof(words::Word)) == kTimecode.substr(kSecondWordAt));
    constexpr words::Shape kShape(kTimecode);
    return field.size() == kTimecode.size() && kShape.Matches(words::Load(field.data()))
           && kShape.Matches(words::Load(field.data() + kSecondWordAt));
}

} // namespace

void FailShortEntry(std::size_t length, long lineNumber)
{
    throw RunError(static_cast<int>(std::errc::invalid_argument),
                   "Line " + std::to_string(lineNumber) + " of the source is too short for an entry line: "
                       + std::to_string(length) + " of at least " + std::to_string(kRestStart) + " characters");
}

void ReportTimecodes(const EntryFields& entry, long lineNumber, UnconvertedLines& unconverted)
{
    const bool start = IsTimecode(entry.start);
    const bool end = IsTimecode(entry.end);
    if (!start && !end) {
        unconverted.Add(lineNumber, "the start and end are not timecodes HH:MM:SS:FF; copied as they stand");
    } else if (!start) {
        unconverted.Add(lineNumber, "the start is not a timecode HH:MM:SS:FF; copied as it stands");
    } else if (!end) {
        unconverted.Add(lineNumber, "the end is not a timecode HH:MM:SS:FF; copied as it stands");
    }
}

} // namespace varnuth::sonic
