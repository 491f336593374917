#include "LineReader.h"
#include "ReferenceLines.h"
#include "RunError.h"
#include "TempFiles.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace varnuth::test {
namespace {

class LineReaderTest : public TempFolderTest {
protected:
    std::vector<std::string> ReadAll(std::string_view bytes)
    {
        WriteFile("source", bytes);
        LineReader reader(PathOf("source"));
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.Next(line)) {
            lines.emplace_back(line);
        }
        EXPECT_EQ(reader.LineNumber(), static_cast<long>(lines.size()));
        return lines;
    }
};

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

TEST_F(LineReaderTest, SplitsAtEveryKindOfLineEnd)
{
    using namespace std::string_literals;
    const LineCase cases[] = {
        {"empty file", "", {}},
        {"CR LF", "one\r\ntwo\r\n", {"one", "two"}},
        {"CR alone", "one\rtwo\r", {"one", "two"}},
        {"LF alone", "one\ntwo\n", {"one", "two"}},
        {"mixed", "one\r\ntwo\rthree\nfour", {"one", "two", "three", "four"}},
        {"no terminator at the end", "one\r\ntwo", {"one", "two"}},
        {"only a terminator", "\r\n", {""}},
        {"blank lines", "one\r\n\r\n\r\ntwo", {"one", "", "", "two"}},
        {"LF then CR ends two lines", "one\n\rtwo", {"one", "", "two"}},
        {"CR CR LF ends two lines", "one\r\r\ntwo", {"one", "", "two"}},
        {"line of spaces", "   \r\n", {"   "}},
        {"bytes 128 to 255 and NUL", "\x80\xA9\xFF"s + '\0' + "x\r\n", {"\x80\xA9\xFF"s + '\0' + "x"}},
        {"a UTF-8 mark is no part of the first line", "\xEF\xBB\xBFone\r\ntwo", {"one", "two"}},
        {"a mark alone", "\xEF\xBB\xBF", {}},
        {"UTF-16 little endian",
         Utf16(u"one\r\nt\u00E9\u4E2D\U0001F600\n\r\n"),
         {"one", "t\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", ""}},
        {"UTF-16 big endian", Utf16(u"one\r\nt\u00E9\U0001F600", true), {"one", "t\xC3\xA9\xF0\x9F\x98\x80"}},
        {"a UTF-16 mark alone", Utf16(u""), {}},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(ReadAll(c.bytes), c.lines) << c.name;
    }
}

TEST_F(LineReaderTest, JoinsLinesAndTerminatorsSplitAcrossReads)
{
    // Lengths around the reader's 64 KiB buffer, so that a line, or a CR LF pair, straddles two reads.
    for (const std::size_t length : {65533U, 65534U, 65535U, 65536U, 65537U, 200000U}) {
        const std::string longLine(length, 'x');
        EXPECT_EQ(ReadAll(longLine + "\r\nend"), (std::vector<std::string>{longLine, "end"})) << length;
        EXPECT_EQ(ReadAll(longLine + "\r\n"), std::vector<std::string>{longLine}) << length;
    }
}

// Every seed of the fuzzing corpora, read with buffers of 1 to 40 bytes, so that each line and each CR LF pair is split
// between two reads at every position, against the plain split. Each line is held and must read back unchanged
// after the next line, unless it was moved out with a prefix, as every third one is.
TEST_F(LineReaderTest, MatchesThePlainSplitWithReadsSplitAnywhere)
{
    constexpr std::size_t kLargestBuffer = 40;
    std::size_t seeds = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VARNUTH_FUZZ_DIR)) {
        if (!entry.is_regular_file() || entry.path().parent_path().filename() != "corpus") {
            continue;
        }
        ++seeds;
        const std::string bytes = ReadBytes(entry.path());
        const std::vector<std::string> expected = fuzz::ReferenceLines(bytes);
        for (std::size_t bufferSize = 1; bufferSize <= kLargestBuffer; ++bufferSize) {
            SCOPED_TRACE(entry.path().string() + " with a buffer of " + std::to_string(bufferSize));
            LineReader reader(entry.path().string(), bufferSize);
            std::vector<std::string> lines;
            std::string_view line;
            std::string moved;
            while (reader.Next(line)) {
                if (!lines.empty()) {
                    ASSERT_EQ(reader.Held(), lines.size() % 3 == 0 ? "" : lines.back());
                }
                const std::size_t replaced = std::min<std::size_t>(1, line.size());
                lines.emplace_back(line);
                reader.Hold(line);
                if (lines.size() % 3 == 0) {
                    reader.MoveHeldInto(moved, ">", replaced);
                    ASSERT_EQ(moved, ">" + lines.back().substr(replaced));
                }
            }
            EXPECT_EQ(lines, expected);
            EXPECT_EQ(reader.LineNumber(), static_cast<long>(expected.size()));
        }
    }
    EXPECT_GT(seeds, 10U) << "the fuzzing corpora are missing from " << VARNUTH_FUZZ_DIR;
}

TEST_F(LineReaderTest, DecodesUtf16AcrossReads)
{
    // A surrogate pair that straddles the first read, and more UTF-8 than one buffer holds.
    for (const std::size_t length : {32765U, 32766U, 32767U}) {
        EXPECT_EQ(ReadAll(Utf16(std::u16string(length, u'x') + u"\U0001F600\r\nend")),
                  (std::vector<std::string>{std::string(length, 'x') + "\xF0\x9F\x98\x80", "end"}))
            << length;
    }
    std::string wide;
    for (int i = 0; i < 30000; ++i) {
        wide += "\xE4\xB8\xAD";
    }
    EXPECT_EQ(ReadAll(Utf16(std::u16string(30000, u'\u4E2D'))), std::vector<std::string>{wide});
}

TEST_F(LineReaderTest, UndecodableUtf16FailsTheRead)
{
    using namespace std::string_literals;
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
        WriteFile("source", bytes);
        try {
            LineReader reader(PathOf("source"));
            for (std::string_view line; reader.Next(line);) {
            }
            ADD_FAILURE() << what;
        } catch (const RunError& error) {
            EXPECT_EQ(error.description(),
                      "Cannot read the source file \"" + PathOf("source") + "\": it is UTF-16 with " + what);
        }
    }
}

} // namespace
} // namespace varnuth::test
