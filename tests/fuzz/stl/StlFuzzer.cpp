// Sonic listing to STL on arbitrary bytes: after the twenty header lines, no more lines than the source has.

#include "ConversionFuzz.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnuth;
    constexpr std::size_t kHeaderLines = 20;
    const std::string_view source = fuzz::AsText(data, size);
    const fuzz::ConversionResult result = fuzz::ConvertBytes(OutputFormat::STL, source);
    // A pending entry is written at most once per empty line or at the end, never more often.
    const std::size_t sourceLines = static_cast<std::size_t>(std::count(source.begin(), source.end(), '\r'))
                                    + static_cast<std::size_t>(std::count(source.begin(), source.end(), '\n')) + 1;
    const std::size_t targetLines = fuzz::CountLines(result.target);
    if ((result.outcome.succeeded() || targetLines != 0)
        && (targetLines < kHeaderLines || targetLines > kHeaderLines + sourceLines)) {
        std::abort();
    }
    return 0;
}
