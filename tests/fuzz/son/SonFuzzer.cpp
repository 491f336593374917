// Sonic listing to SON on arbitrary bytes: ten header lines, then two lines per counted entry.

#include "ConversionFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnuth;
    constexpr std::size_t kHeaderLines = 10;
    const fuzz::ConversionResult result = fuzz::ConvertBytes(OutputFormat::SON, fuzz::AsText(data, size));
    if (result.outcome.succeeded()
        && fuzz::CountLines(result.target) != kHeaderLines + 2 * static_cast<std::size_t>(result.outcome.count)) {
        std::abort();
    }
    return 0;
}
