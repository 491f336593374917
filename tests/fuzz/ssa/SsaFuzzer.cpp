// SubRip to SSA on arbitrary bytes: the nine header lines and the style line, then one line per count.

#include "ConversionFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnuth;
    constexpr std::size_t kHeaderLines = 10;
    const fuzz::ConversionResult result = fuzz::ConvertBytes(OutputFormat::SSA, fuzz::AsText(data, size));
    // Text lines are joined with "\N", so the target has exactly one CR LF per written line.
    if (result.outcome.succeeded()
        && fuzz::CountLines(result.target) != kHeaderLines + static_cast<std::size_t>(result.outcome.count)) {
        std::abort();
    }
    return 0;
}
