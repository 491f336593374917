#include "LineReader.h"
#include "TempFiles.h"

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
        while (!reader.AtEnd()) {
            lines.emplace_back(reader.ReadLine());
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

} // namespace
} // namespace varnuth::test
