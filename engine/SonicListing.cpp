#include "SonicListing.h"

#include "ByteWords.h"
#include "RunError.h"

#include <string>
#include <system_error>

namespace varnuth::sonic {
namespace {

// Two overlapping words cover the eleven bytes; both read "00:00:00" in the shape's terms.
bool IsTimecode(std::string_view field)
{
    constexpr std::string_view kShape = "00:00:00:00";
    constexpr std::size_t kSecondWordAt = kShape.size() - sizeof(words::Word);
    constexpr words::Word kFirstWord = words::WordOf(kShape);
    static_assert(kFirstWord == words::WordOf(kShape.substr(kSecondWordAt)));
    return field.size() == kShape.size() && words::DigitsAsZeros(words::Load(field.data())) == kFirstWord
           && words::DigitsAsZeros(words::Load(field.data() + kSecondWordAt)) == kFirstWord;
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
