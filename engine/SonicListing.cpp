#include "SonicListing.h"

#include "RunError.h"

#include <string>
#include <system_error>

namespace varnuth::sonic {

EntryFields CutEntry(std::string_view line, long lineNumber)
{
    if (line.size() < kRestStart) {
        throw RunError(static_cast<int>(std::errc::invalid_argument),
                       "Line " + std::to_string(lineNumber)
                           + " of the source is too short for an entry line: " + std::to_string(line.size())
                           + " of at least " + std::to_string(kRestStart) + " characters");
    }
    return {line.substr(kNumberStart, kNumberWidth), line.substr(kStartTimeStart, kTimecodeWidth),
            line.substr(kEndTimeStart, kTimecodeWidth), line.substr(kRestStart)};
}

} // namespace varnuth::sonic
