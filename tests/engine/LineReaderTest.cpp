#include "LineReader.h"
#include "RunError.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace varnuth::test {
namespace {

using namespace std::string_literals;

class LineReaderTest : public testing::Test {
protected:
    // Every line of \p bytes read with a buffer of \p bufferSize; each line is held and must read back unchanged
    // after the next one, unless it was moved out with a prefix, as every third one is.
    std::vector<std::string> ReadAll(std::string_view bytes, std::size_t bufferSize = LineReader::kDefaultBufferSize)
    {
        WriteBytes(temp_.PathOf("source"), bytes);
        LineReader reader(temp_.PathOf("source"), bufferSize);
        std::vector<std::string> lines;
        std::string moved;
        for (std::string_view line; reader.Next(line);) {
            if (!lines.empty()) {
                EXPECT_EQ(reader.Held(), lines.size() % 3 == 0 ? "" : lines.back());
            }
            const std::size_t replaced = std::min<std::size_t>(1, line.size());
            lines.emplace_back(line);
            reader.Hold(line);
            if (lines.size() % 3 == 0) {
                reader.MoveHeldInto(moved, ">", replaced);
                EXPECT_EQ(moved, ">" + lines.back().substr(replaced));
            }
        }
        EXPECT_EQ(reader.LineNumber(), static_cast<long>(lines.size()));
        return lines;
    }

    TempFolder temp_;
};

TEST_F(LineReaderTest, SplitsAtEveryKindOfLineEnd)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}},
        {"one\r\ntwo\rthree\nfour", {"one", "two", "three", "four"}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"\r\n", {""}},
        {"one\r\n\r\n\r\ntwo", {"one", "", "", "two"}},
        {"one\n\rtwo\r\r\nx", {"one", "", "two", "", "x"}},
        {"   \r\n", {"   "}},
        {"\x80\xA9\xFF"s + '\0' + "x\r\n", {"\x80\xA9\xFF"s + '\0' + "x"}},
        {"\xEF\xBB\xBFone\r\ntwo", {"one", "two"}},
        {"\xEF\xBB\xBF", {}},
        {Utf16(u"one\r\nt\u00E9\u4E2D\U0001F600\n\r\n"), {"one", "t\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", ""}},
        {Utf16(u"one\r\nt\u00E9\U0001F600", true), {"one", "t\xC3\xA9\xF0\x9F\x98\x80"}},
        {Utf16(u""), {}},
    };
    for (const auto& [bytes, lines] : cases) {
        EXPECT_EQ(ReadAll(bytes), lines) << bytes;
    }
}

TEST_F(LineReaderTest, JoinsLinesAndTerminatorsSplitAcrossReads)
{
    // Around the 64 KiB buffer, so that a line or a CR LF pair straddles two reads.
    for (const std::size_t length : {65534U, 65535U, 65536U, 200000U}) {
        const std::string longLine(length, 'x');
        EXPECT_EQ(ReadAll(longLine + "\r\nend"), (std::vector<std::string>{longLine, "end"})) << length;
        EXPECT_EQ(ReadAll(longLine + "\r\n"), std::vector<std::string>{longLine}) << length;
    }
    // A surrogate pair that straddles the first read, and more UTF-8 than one buffer holds.
    for (const std::size_t length : {32765U, 32766U, 32767U}) {
        EXPECT_EQ(ReadAll(Utf16(std::u16string(length, u'x') + u"\U0001F600\r\nend")),
                  (std::vector<std::string>{std::string(length, 'x') + "\xF0\x9F\x98\x80", "end"}));
    }
    EXPECT_EQ(ReadAll(Utf16(std::u16string(30000, u'\u4E2D'))),
              std::vector<std::string>{Repeated("\xE4\xB8\xAD", 30000)});
}

// Every seed of the fuzzing corpora, read with buffers of 1 to 40 bytes, so that each line and each CR LF pair is
// split between two reads at every position, against the plain split.
TEST_F(LineReaderTest, MatchesThePlainSplitWithReadsSplitAnywhere)
{
    std::size_t seeds = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VARNUTH_FUZZ_DIR)) {
        if (entry.is_regular_file() && entry.path().parent_path().filename() == "corpus") {
            ++seeds;
            const std::string bytes = ReadBytes(entry.path());
            for (std::size_t bufferSize = 1; bufferSize <= 40; ++bufferSize) {
                EXPECT_EQ(ReadAll(bytes, bufferSize), PlainLines(bytes)) << entry.path() << " by " << bufferSize;
            }
        }
    }
    EXPECT_GT(seeds, 10U) << "the fuzzing corpora are missing from " << VARNUTH_FUZZ_DIR;
}

TEST_F(LineReaderTest, UndecodableUtf16FailsTheRead)
{
    const std::pair<std::string, std::string> cases[] = {
        {Utf16(u"ab") + "c", "an odd number of bytes at byte 6"},
        {Utf16(u"ab\xD83D"), "an unpaired surrogate at byte 6"},
        {Utf16(u"ab\xD83D"
               u"c"),
         "an unpaired surrogate at byte 6"},
        {Utf16(u"a\xDE00"
               u"b",
               true),
         "an unpaired surrogate at byte 4"},
    };
    for (const auto& [bytes, what] : cases) {
        EXPECT_THROW(
            {
                try {
                    ReadAll(bytes);
                } catch (const RunError& error) {
                    EXPECT_EQ(error.description(), "Cannot read the source file \"" + temp_.PathOf("source")
                                                       + "\": it is UTF-16 with " + what);
                    throw;
                }
            },
            RunError);
    }
}

} // namespace
} // namespace varnuth::test
