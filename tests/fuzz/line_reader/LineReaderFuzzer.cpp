// Reads arbitrary bytes with LineReader and compares every line with a plain, obviously correct split.

#include "FuzzFiles.h"
#include "LineReader.h"
#include "ReferenceLines.h"
#include "RunError.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnuth;
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the read buffer, from one byte up, so that lines and terminators are split between
    // reads at every position; 0 keeps the normal buffer.
    const std::size_t bufferSize = data[0];
    const std::string_view source = fuzz::AsText(data + 1, size - 1);
    const std::string name = fuzz::Scratch().File("source");
    fuzz::WriteBytes(name, source);

    // UTF-16 has no plain split to compare with: the decoder must only never crash, fail or not.
    if (source.starts_with("\xFF\xFE") || source.starts_with("\xFE\xFF")) {
        try {
            LineReader reader = bufferSize == 0 ? LineReader(name) : LineReader(name, bufferSize);
            for (std::string_view line; reader.Next(line);) {
            }
        } catch (const RunError&) {
        }
        return 0;
    }
    const std::vector<std::string> expected = fuzz::ReferenceLines(source);
    LineReader reader = bufferSize == 0 ? LineReader(name) : LineReader(name, bufferSize);
    std::size_t index = 0;
    std::string_view line;
    while (reader.Next(line)) {
        // The line before stays readable while this one was read, whatever the reads in between.
        if (index >= expected.size() || line != expected[index]
            || (index > 0 && reader.Held() != expected[index - 1])) {
            std::abort();
        }
        reader.Hold(line);
        ++index;
        if (reader.LineNumber() != static_cast<long>(index)) {
            std::abort();
        }
    }
    if (index != expected.size() || reader.Next(line)) {
        std::abort();
    }
    reader.Close();
    return 0;
}
