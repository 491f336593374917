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

} // namespace varnuth::sonic
