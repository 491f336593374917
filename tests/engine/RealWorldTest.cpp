// SubRip files written by other people and programs, read from where they are kept, never copied here.

#include "TempFiles.h"

#include <string>
#include <vector>

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;

// A plain split of the source into lines, UTF-16 turned into one character per unit (others than ASCII as '?').
std::vector<std::string> PlainLines(std::string bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        std::string units;
        for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
            const unsigned high = static_cast<unsigned char>(bytes[bigEndian ? at : at + 1]);
            const char low = bytes[bigEndian ? at + 1 : at];
            units += high == 0 && low >= 0 ? low : '?';
        }
        bytes = units;
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        lines.push_back(bytes.substr(start, end - start));
        start = bytes.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    }
    return lines;
}

bool IsTimingLine(const std::string& line)
{
    const std::size_t arrow = line.find("-->");
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return arrow != std::string::npos && std::any_of(line.begin(), line.begin() + static_cast<long>(arrow), digit)
           && std::any_of(line.begin() + static_cast<long>(arrow), line.end(), digit);
}

class RealWorldTest : public ConversionTest {};

TEST_F(RealWorldTest, EveryEntryWithTextBecomesADialogueLine)
{
    const fs::path folder = VARNUTH_REALWORLD;
    if (!fs::is_directory(folder)) {
        GTEST_SKIP() << "no real-world files at " << folder;
    }
    for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
        if (file.path().filename() == "MANIFEST.txt") {
            continue;
        }
        const std::vector<std::string> lines = PlainLines(ReadBytes(file.path()));
        long expected = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const bool hasText = i + 1 < lines.size() && !lines[i + 1].empty() && !IsTimingLine(lines[i + 1]);
            expected += IsTimingLine(lines[i]) && hasText ? 1 : 0;
        }
        request_.sourceName = file.path().string();
        request_.format = OutputFormat::SSA;
        const RunOutcome outcome = PerformConversion(request_, style_);
        ASSERT_TRUE(outcome.succeeded()) << file.path() << ": " << OutcomeMessage(outcome);
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
