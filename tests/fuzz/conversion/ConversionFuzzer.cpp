// Every format on arbitrary bytes; the first byte chooses the format, the rest is the source. Whatever the source,
// a failure has a number and a text, the source is untouched, and the target is whole CR LF lines.

#include "Formats.h"
#include "TestSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnuth;
    static const test::TempFolder temp;
    if (size == 0) {
        return 0;
    }
    const std::string_view source(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string sourceName = temp.PathOf("source");
    const std::string targetName = temp.PathOf("target");
    test::WriteBytes(sourceName, source);
    // A run that fails before opening the target must not be judged by the previous run's target.
    std::filesystem::remove(targetName);

    StyleSettings style = test::DefaultStyle();
    const RunOutcome outcome = PerformConversion(
        test::DefaultRequest(sourceName, targetName, kFormats[data[0] % kFormats.size()].format), style);
    const std::string target = test::ReadBytes(targetName);
    const bool describedFailure =
        outcome.succeeded() || (outcome.error->number() != 0 && !outcome.error->description().empty());
    // A UTF-16 source that cannot be decoded at its start fails before the target is created.
    const bool wholeLines = target.ends_with("\r\n") || (!outcome.succeeded() && target.empty());
    if (!describedFailure || !wholeLines || test::ReadBytes(sourceName) != source || outcome.count < 0) {
        std::abort();
    }
    return 0;
}
