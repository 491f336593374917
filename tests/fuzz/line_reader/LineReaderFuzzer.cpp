// Reads arbitrary bytes with LineReader and compares every line with a plain, obviously correct split.

#include "LineReader.h"
#include "RunError.h"
#include "TestSupport.h"

#include <cstdlib>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnuth;
    static const test::TempFolder temp;
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the read buffer, from one byte up, so that lines and terminators are split between
    // reads at every position; 0 keeps the normal buffer.
    const std::string_view source(reinterpret_cast<const char*>(data) + 1, size - 1);
    test::WriteBytes(temp.PathOf("source"), source);
    // UTF-16, marked or recognised without a mark, has no plain split to compare with: the decoder must only never
    // crash, fail or not.
    const std::vector<std::string> expected = test::PlainLines(source);
    std::optional<LineReader> reader;
    std::size_t index = 0;
    try {
        reader.emplace(temp.PathOf("source"), data[0] == 0 ? LineReader::kDefaultBufferSize : data[0]);
        for (std::string_view line; reader->Next(line); reader->Hold(line)) {
            // The line before stays readable while this one was read, whatever the reads in between.
            if (!reader->ReadsUtf16()
                && (index >= expected.size() || line != expected[index]
                    || (index > 0 && reader->Held() != expected[index - 1]))) {
                std::abort();
            }
            if (reader->LineNumber() != static_cast<long>(++index)) {
                std::abort();
            }
        }
    } catch (const RunError& error) {
        // Only UTF-16 can fail to decode, possibly while the reader is still deciding how to read the source.
        if (error.description().find("UTF-16") == std::string::npos) {
            std::abort();
        }
        return 0;
    }
    if (!reader->ReadsUtf16() && index != expected.size()) {
        std::abort();
    }
    return 0;
}
