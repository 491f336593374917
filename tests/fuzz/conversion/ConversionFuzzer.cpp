// Every format on arbitrary bytes; the first byte chooses the format, the rest is the source. Whatever the source,
// a failure has a number and a text, the source is untouched, and the target is whole CR LF lines.

#include "Formats.h"
#include "TestSupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnuth;
    static const test::TempFolder temp;
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    test::WriteBytes(temp.PathOf("source"), source.substr(std::min<std::size_t>(size, 1)));
    // A run that fails before opening the target must not be judged by the previous run's target.
    std::filesystem::remove(temp.PathOf("target"));
    const RunOutcome outcome = test::Convert(temp.PathOf("source"), temp.PathOf("target"),
                                             kFormats[size == 0 ? 0 : data[0] % kFormats.size()].format);
    const std::string target = test::ReadBytes(temp.PathOf("target"));
    // A UTF-16 source that cannot be decoded at its start fails before the target is created.
    if ((outcome.error && (outcome.error->number() == 0 || outcome.error->description().empty()))
        || !(target.ends_with("\r\n") || (outcome.error && target.empty()))
        || test::ReadBytes(temp.PathOf("source")) != source.substr(std::min<std::size_t>(size, 1))
        || outcome.count < 0) {
        std::abort();
    }
    return 0;
}
