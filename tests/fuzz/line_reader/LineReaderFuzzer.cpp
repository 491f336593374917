// Reads arbitrary bytes with LineReader and compares every line with a plain, obviously correct split.

#include "FuzzFiles.h"
#include "LineReader.h"
#include "RunError.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace varnuth;

std::vector<std::string> ReferenceLines(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = bytes.size();
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end;
        if (start < bytes.size()) {
            start += bytes.compare(start, 2, "\r\n") == 0 ? 2 : 1;
        }
    }
    return lines;
}

// The reader refills a 64 KiB buffer; an odd first byte shifts the rest of the input onto that boundary, so
// terminators and lines are split between two reads. Bit 1 chooses whether the filler ends its own line.
std::string Source(std::string_view input)
{
    constexpr std::size_t kReaderBuffer = std::size_t{64} * 1024;
    if (input.empty() || (static_cast<unsigned char>(input.front()) & 1U) == 0) {
        return std::string(input);
    }
    const auto mode = static_cast<unsigned char>(input.front());
    std::string source(kReaderBuffer - (mode >> 2U), 'x');
    if ((mode & 2U) != 0) {
        source.back() = '\n';
    }
    source.append(input.substr(1));
    return source;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string name = fuzz::Scratch().File("source");
    const std::string source = Source(fuzz::AsText(data, size));
    fuzz::WriteBytes(name, source);

    // UTF-16 has no plain split to compare with: the decoder must only never crash, fail or not.
    if (source.starts_with("\xFF\xFE") || source.starts_with("\xFE\xFF")) {
        try {
            LineReader reader(name);
            while (!reader.AtEnd()) {
                reader.ReadLine();
            }
        } catch (const RunError&) {
        }
        return 0;
    }
    const std::vector<std::string> expected = ReferenceLines(source);
    LineReader reader(name);
    std::size_t index = 0;
    while (!reader.AtEnd()) {
        const std::string_view line = reader.ReadLine();
        if (index >= expected.size() || line != expected[index]) {
            std::abort();
        }
        ++index;
        if (reader.LineNumber() != static_cast<long>(index)) {
            std::abort();
        }
    }
    if (index != expected.size() || !reader.AtEnd()) {
        std::abort();
    }
    reader.Close();
    return 0;
}
