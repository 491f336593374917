#include "LineReader.h"
#include "RunError.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace varnuth::test {
namespace {

using namespace std::string_literals;

// Every line of \p bytes, read \p bufferSize bytes at a time; each line is held and must read back unchanged after
// the next one, unless it was moved out with a prefix, as every third one is. A failure ends the lines with its
// reason.
std::vector<std::string> ReadAll(const TempFolder& temp, std::string_view bytes, std::size_t bufferSize)
{
    WriteBytes(temp.PathOf("source"), bytes);
    std::vector<std::string> lines;
    try {
        LineReader reader(temp.PathOf("source"), bufferSize);
        std::string moved;
        for (std::string_view line; reader.Next(line);) {
            EXPECT_EQ(reader.Held(), lines.empty() || lines.size() % 3 == 0 ? "" : lines.back());
            const std::size_t replaced = std::min<std::size_t>(1, line.size());
            lines.emplace_back(line);
            reader.Hold(line);
            if (lines.size() % 3 == 0) {
                reader.MoveHeldInto(moved, ">", replaced);
                EXPECT_EQ(moved, ">" + lines.back().substr(replaced));
            }
        }
        EXPECT_EQ(reader.LineNumber(), static_cast<long>(lines.size()));
    } catch (const RunError& error) {
        lines.push_back(error.description().substr(error.description().find("\": ") + 3));
    }
    return lines;
}

// Each case and every seed of the fuzzing corpora (against the plain split), read with buffers of 1 to 40 bytes, so
// that each line, CR LF pair and surrogate pair is split between two reads at every position, and whole.
TEST(LineReaderTest, SplitsAtEveryLineEndWithReadsSplitAnywhere)
{
    std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"one\r\ntwo\rthree\nfour", {"one", "two", "three", "four"}},
        {"one\r\n\r\n\r\ntwo\r\n", {"one", "", "", "two"}},
        {"one\n\rtwo\r\r\nx", {"one", "", "two", "", "x"}},
        {"   \r\n\x80\xA9\xFF"s + '\0' + "x\r\n", {"   ", "\x80\xA9\xFF"s + '\0' + "x"}},
        {"\xEF\xBB\xBFone\r\ntwo", {"one", "two"}},
        {"\xEF\xBB\xBF", {}},
        {Utf16(u"one\r\nt\u00E9\u4E2D\U0001F600\n\r\n"), {"one", "t\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", ""}},
        {Utf16(u"one\r\nt\u00E9\U0001F600", true), {"one", "t\xC3\xA9\xF0\x9F\x98\x80"}},
        {Utf16(u""), {}},
        {Utf16(std::u16string(12, u'\u4E2D')), {Repeated("\xE4\xB8\xAD", 12)}},
        {Utf16(u"ab") + "c", {"it is UTF-16 with an odd number of bytes at byte 6"}},
        {Utf16(u"ab\xD83D"), {"it is UTF-16 with an unpaired surrogate at byte 6"}},
        {Utf16(u"ab\xD83D\x0063"), {"it is UTF-16 with an unpaired surrogate at byte 6"}},
        {Utf16(u"a\xDE00\x0062", true), {"it is UTF-16 with an unpaired surrogate at byte 4"}},
    };
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VARNUTH_FUZZ_DIR)) {
        if (entry.is_regular_file() && entry.path().parent_path().filename() == "corpus") {
            const std::string bytes = ReadBytes(entry.path());
            cases.emplace_back(bytes, PlainLines(bytes));
        }
    }
    EXPECT_GT(cases.size(), 25U) << "the fuzzing corpora are missing from " << VARNUTH_FUZZ_DIR;
    const TempFolder temp;
    for (const auto& [bytes, lines] : cases) {
        for (std::size_t bufferSize = 1; bufferSize <= 41; ++bufferSize) {
            const std::size_t size = bufferSize <= 40 ? bufferSize : LineReader::kDefaultBufferSize;
            EXPECT_EQ(ReadAll(temp, bytes, size), lines) << bytes << " by " << size;
        }
    }
}

} // namespace
} // namespace varnuth::test
