// SubRip files written by other people and programs, read from where they are kept, never copied here.

#include "ConversionFixture.h"

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;

bool IsTimingLine(const std::string& line)
{
    const std::size_t arrow = line.find("-->");
    return arrow != std::string::npos && line.find_first_of("0123456789") < arrow
           && line.find_first_of("0123456789", arrow) != std::string::npos;
}

class RealWorldTest : public ConversionFixture {};

TEST_F(RealWorldTest, EveryEntryWithTextBecomesADialogueLine)
{
    if (!fs::is_directory(VARNUTH_REALWORLD)) {
        GTEST_SKIP() << "no real-world files at " << VARNUTH_REALWORLD;
    }
    for (const fs::directory_entry& file : fs::directory_iterator(VARNUTH_REALWORLD)) {
        // UTF-16 as one byte per unit (others than ASCII as '?'), which keeps every line's shape.
        std::string bytes = ReadBytes(file.path());
        if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
            std::string units;
            const std::size_t high = bytes[0] == '\xFE' ? 0 : 1;
            for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
                const char low = bytes[at + 1 - high];
                units += bytes[at + high] == 0 && low >= 0 ? low : '?';
            }
            bytes = units;
        }
        const std::vector<std::string> lines = PlainLines(bytes);
        long expected = 0;
        for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
            expected += IsTimingLine(lines[i]) && !lines[i + 1].empty() && !IsTimingLine(lines[i + 1]) ? 1 : 0;
        }
        request_.sourceName = file.path().string();
        const RunOutcome outcome = PerformConversion(request_, style_);
        EXPECT_TRUE(outcome.succeeded()) << file.path() << ": " << OutcomeMessage(outcome);
        const std::string script = Target();
        long dialogue = 0;
        for (std::size_t at = script.find("\r\nDialogue: "); at != std::string::npos;
             at = script.find("\r\nDialogue: ", at + 2)) {
            ++dialogue;
        }
        EXPECT_EQ(dialogue, expected) << file.path();
    }
}

} // namespace
} // namespace varnuth::test
