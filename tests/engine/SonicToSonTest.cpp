#include "TempFiles.h"

#include <string>
#include <vector>

namespace varnuth::test {
namespace {

const std::string kSonHeader =
    CrLf({"st_format\t2", "Display_Start\tnon_forced", "TV_Type\tNTSC", "Tape_Type\tNON_DROP", "Pixel_Area\t(0 477)",
          "Directory", "Display_Area\t(0 2 719 479)", "Contrast\t(15 15 15 0)", "Color\t(0 1 2 0)",
          "SP_NUMBER\tSTART\tEND FILE_NAME"});

std::string SonScript(const std::vector<std::string>& entries)
{
    std::string script = kSonHeader;
    for (const std::string& entry : entries) {
        script += CrLf({"Display_Area\t(0 2 719 479)", entry});
    }
    return script;
}

struct SonCase {
    const char* name;
    std::string source;
    std::vector<std::string> entries;
};

class SonicToSonTest : public ConversionTest {};

TEST_F(SonicToSonTest, WritesADisplayAreaAndAnEntryLinePerNonEmptyLine)
{
    const std::string first = "0001\t00:00:20:13\t00:00:24:01\t0001.bmp";
    const std::string second = "0002\t00:01:02:00\t00:01:04:29\t0002.bmp";
    const SonCase cases[] = {
        {"two entries and an empty line",
         CrLf({"0001  00:00:20:13  00:00:24:01  0001.bmp", "", "0002  00:01:02:00  00:01:04:29  0002.bmp"}),
         {first, second}},
        {"empty source", "", {}},
        {"empty lines only", CrLf({"", "", ""}), {}},
        {"exactly 32 characters", CrLf({"0001  00:00:20:13  00:00:24:01  "}), {"0001\t00:00:20:13\t00:00:24:01\t"}},
        {"40 spaces",
         CrLf({std::string(40, ' ')}),
         {"    \t" + std::string(11, ' ') + "\t" + std::string(11, ' ') + "\t" + std::string(8, ' ')}},
        {"gaps are never read and trailing spaces stay",
         CrLf({"0001ab00:00:20:13\t\t00:00:24:01xy0001.bmp  "}),
         {"0001\t00:00:20:13\t00:00:24:01\t0001.bmp  "}},
        {"five-digit number is cut to four",
         CrLf({"00001 00:00:20:13  00:00:24:01  x.bmp"}),
         {"0000\t00:00:20:13\t00:00:24:01\tx.bmp"}},
        {"no colons at all",
         CrLf({"Title of the listing, with no times at all"}),
         {"Titl\tof the list\tg, with no \tmes at all"}},
    };
    for (const SonCase& c : cases) {
        const RunOutcome outcome = Convert(OutputFormat::SON, c.source);
        ASSERT_TRUE(outcome.succeeded()) << c.name << ": " << OutcomeMessage(outcome);
        EXPECT_EQ(Target(), SonScript(c.entries)) << c.name;
        EXPECT_EQ(outcome.count, static_cast<std::int16_t>(c.entries.size())) << c.name;
    }
}

TEST_F(SonicToSonTest, LineTooShortForItsColumnsStopsTheRunThere)
{
    const RunOutcome outcome =
        Convert(OutputFormat::SON, CrLf({"0001  00:00:20:13  00:00:24:01  a.bmp", "", "0002  00:01:02:00  00:01:04:29 ",
                                         "0003  00:01:05:00  00:01:06:29  c.bmp"}));
    ASSERT_FALSE(outcome.succeeded());
    EXPECT_NE(outcome.error->number(), 0);
    EXPECT_EQ(outcome.error->description(),
              "Line 3 of the source is too short for an entry line: 31 of at least 32 characters; the target file was "
              "not changed");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "target"));
}

TEST_F(SonicToSonTest, BothSonicFormatsReportEntryLinesWhoseTimesAreNotTimecodes)
{
    const std::string source =
        CrLf({"0001  00:00:20:13  00:00:24:01  fine", "0002  0a:00:20:13  00:00:24:01  start", "",
              "0003  00:00:20:13  00:00:24;01  end", "0004  00:00:20:13  --:--:--:--  end",
              "a continuation line, long enough to cut", "Title of the listing, with no times at all",
              "0005  00:00:20:13  00:0::24:01  end", "0006  00:00:20:13  00:00:2\xB0:01  end"});
    const std::string start = "the start is not a timecode HH:MM:SS:FF; copied as it stands";
    const std::string end = "the end is not a timecode HH:MM:SS:FF; copied as it stands";
    const std::string both = "the start and end are not timecodes HH:MM:SS:FF; copied as they stand";
    EXPECT_EQ(Reported(Convert(OutputFormat::SON, source)),
              (std::vector<std::string>{"2: " + start, "4: " + end, "5: " + end, "6: " + both, "7: " + both,
                                        "8: " + end, "9: " + end}));
    // For the STL script, lines without the start's colons continue the text and are not reported.
    EXPECT_EQ(Reported(Convert(OutputFormat::STL, source)),
              (std::vector<std::string>{"2: " + start, "4: " + end, "5: " + end, "8: " + end, "9: " + end}));
}

} // namespace
} // namespace varnuth::test
