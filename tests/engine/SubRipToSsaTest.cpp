#include "Contact.h"
#include "TempFiles.h"

#include <string>
#include <vector>

namespace varnuth::test {
namespace {

const std::string kDefaultStyleLine = "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,2,10,10,14";

const std::string kSsaHeader =
    CrLf({"! SSA Varnuth by Tavendrel - " + std::string(kContactAddress), "Title: Tavendrel",
          "Original Script: Tavendrel", "Original Editing: Tavendrel", "Original Timing: Tavendrel",
          "Original Script Checking: Tavendrel", "Synch Point: Side 1 0m00s", "Collisions: Normal", "Timer: 100.0000"});

std::string SsaScript(std::string_view styleLine, const std::vector<std::string>& dialogue)
{
    std::string script = kSsaHeader + CrLf({styleLine});
    for (const std::string& line : dialogue) {
        script += line + "\r\n";
    }
    return script;
}

std::string Dialogue(std::string_view start, std::string_view end, std::string_view text)
{
    return "Dialogue: Marked=0," + std::string(start) + "," + std::string(end) + ",Default,TAV,0000,0000,0000,!Effect,"
           + std::string(text);
}

struct SsaCase {
    const char* name;
    std::string source;
    std::vector<std::string> dialogue;
    std::vector<std::string> unconverted;
};

class SubRipToSsaTest : public ConversionTest {};

TEST_F(SubRipToSsaTest, WritesOneDialogueLinePerEntryAndReportsWhatItDrops)
{
    const std::string hello = Dialogue("0:00:01.00", "0:00:04.00", "Hello\\Nworld");
    const std::string second = Dialogue("0:01:02.34", "0:01:05.67", "Second entry");
    const std::string kNul(1, '\0');
    const SsaCase cases[] = {
        {"two entries",
         CrLf({"1", "00:00:01,000 --> 00:00:04,000", "Hello", "world", "", "2", "00:01:02,345 --> 00:01:05,678",
               "Second entry", ""}),
         {hello, second},
         {}},
        {"last entry without a blank line after it",
         CrLf({"1", "00:00:01,000 --> 00:00:04,000", "Hello", "world", "", "2", "00:01:02,345 --> 00:01:05,678",
               "Second entry"}),
         {hello, second},
         {}},
        {"LF line ends", "1\n00:00:01,000 --> 00:00:04,000\nHello\nworld\n\n", {hello}, {}},
        {"timing lines as other programs write them",
         CrLf({"0:00:01 --> 00:00:04.0  X1:40 X2:600", "Hello", "world", "", "-1:00:00,500 --> 00:01:05,67 junk", "x",
               ""}),
         {hello, Dialogue("0:00:00.00", "0:01:05.67", "x")},
         {}},
        {"empty source", "", {}, {}},
        {"several blank lines after an entry",
         CrLf({"1", "00:00:01,000 --> 00:00:04,000", "Hello", "world", "", "", ""}),
         {hello},
         {}},
        {"blank lines before the first entry",
         CrLf({"", "", "1", "00:00:01,000 --> 00:00:04,000", "Hello", "world", ""}),
         {hello},
         {}},
        {"a timing line without text writes nothing",
         CrLf({"00:00:01,000 --> 00:00:04,000", "", "00:00:01,000 --> 00:00:04,000", "Hello", "world", "",
               "00:00:05,000 --> 00:00:06,000", "00:00:05,000 --> 00:00:06,000"}),
         {hello},
         {"1: an entry without text; nothing written", "7: an entry without text; nothing written",
          "8: an entry without text; nothing written"}},
        {"a blank line inside the text ends the entry",
         CrLf({"00:00:01,000 --> 00:00:04,000", "Hello", "world", "", "dropped", "", "00:01:02,345 --> 00:01:05,678",
               "Second entry", ""}),
         {hello, second},
         {"5: text outside an entry; dropped"}},
        {"text, spaces and numbers outside an entry are dropped",
         CrLf({"title", "00:00:01,000 --> 00:00:04,000", "Hello", "world", "", " \t", "2", "", "3", "4",
               "00:01:02,345 --> 00:01:05,678", "Second entry"}),
         {hello, second},
         {"1: text outside an entry; dropped", "6: spaces or tabs outside an entry; dropped",
          "7: an entry number with no timing line after it; dropped",
          "9: an entry number with no timing line after it; dropped"}},
        {"a last number without its timing line",
         CrLf({"00:00:01,000 --> 00:00:04,000", "Hello", "world", "", "2"}),
         {hello},
         {"5: an entry number with no timing line after it; dropped"}},
        {"an arrow without times is dropped outside an entry and kept as text in one",
         CrLf({"1", "00:00:01,000 --> soon", "Hello", "world", "", "00:01:02,345 --> 00:01:05,678", "Second entry",
               "a --> b", ""}),
         {Dialogue("0:01:02.34", "0:01:05.67", "Second entry\\Na --> b")},
         {"1: an entry number with no timing line after it; dropped", "2: '-->' but no times that can be read; dropped",
          "3: text outside an entry; dropped", "4: text outside an entry; dropped",
          "8: '-->' but no times that can be read; kept as text"}},
        {"a line of spaces is text",
         CrLf({"00:00:01,000 --> 00:00:04,000", "Hello", "   ", "world", ""}),
         {Dialogue("0:00:01.00", "0:00:04.00", "Hello\\N   \\Nworld")},
         {}},
        {"a missing blank line keeps the first entry with the next number",
         CrLf({"00:00:01,000 --> 00:00:04,000", "Hello", "world", "2", "00:01:02,345 --> 00:01:05,678", "Second entry",
               ""}),
         {Dialogue("0:00:01.00", "0:00:04.00", "Hello\\Nworld\\N2"), second},
         {}},
        {"bytes 128 to 255 and NUL are copied",
         CrLf({"00:00:01,000 --> 00:00:04,000", "Ti\xE1\xBA\xBFng Vi\xE1\xBB\x87t \xA9\xFF" + kNul + "!", ""}),
         {Dialogue("0:00:01.00", "0:00:04.00", "Ti\xE1\xBA\xBFng Vi\xE1\xBB\x87t \xA9\xFF" + kNul + "!")},
         {}},
    };
    for (const SsaCase& c : cases) {
        const RunOutcome outcome = Convert(OutputFormat::SSA, c.source);
        ASSERT_TRUE(outcome.succeeded()) << c.name << ": " << OutcomeMessage(outcome);
        EXPECT_EQ(Target(), SsaScript(kDefaultStyleLine, c.dialogue)) << c.name;
        EXPECT_EQ(outcome.count, static_cast<std::int16_t>(c.dialogue.size())) << c.name;
        EXPECT_EQ(Reported(outcome), c.unconverted) << c.name;
    }
}

TEST_F(SubRipToSsaTest, BuildsTheStyleLineFromSettingsAndChoices)
{
    struct StyleCase {
        const char* name;
        void (*change)(ConversionRequest&, StyleSettings&);
        const char* styleLine;
    };
    const StyleCase cases[] = {
        {"defaults", [](ConversionRequest&, StyleSettings&) {},
         "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,2,10,10,14"},
        {"bold and italic ticked",
         [](ConversionRequest& r, StyleSettings& /*s*/) {
             r.boldValue = CheckState::Checked;
             r.italicValue = CheckState::Checked;
         },
         "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,-1,-1,2,0,2,10,10,14"},
        {"greyed boxes",
         [](ConversionRequest& r, StyleSettings& /*s*/) {
             r.boldValue = CheckState::Greyed;
             r.italicValue = CheckState::Greyed;
         },
         "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,2,10,10,14"},
        {"left",
         [](ConversionRequest& r, StyleSettings& /*s*/) {
             r.alignCentre = false;
             r.alignLeft = true;
         },
         "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,1,10,10,14"},
        {"right wins over left",
         [](ConversionRequest& r, StyleSettings& /*s*/) {
             r.alignCentre = false;
             r.alignLeft = r.alignRight = true;
         },
         "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,3,10,10,14"},
        {"margins as typed",
         [](ConversionRequest& r, StyleSettings& /*s*/) {
             r.marginLeft = "";
             r.marginRight = " 7x";
             r.marginBottom = "1,2";
         },
         "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,2,, 7x,1,2"},
        {"font and colours",
         [](ConversionRequest& /*r*/, StyleSettings& s) {
             s.str_fontname = std::string("Arial");
             s.str_fontsize = "10.5";
             s.primarycolor = 255;
             s.secondarycolor = 65280;
             s.tertiarycolor = 0;
         },
         "Style: Default,Arial,10.5,255,65280,0,0,0,0,2,0,2,10,10,14"},
    };
    for (const StyleCase& c : cases) {
        style_.SetDefaults();
        ConversionRequest request = request_;
        c.change(request, style_);
        request.format = OutputFormat::SSA;
        WriteFile("source", "");
        ASSERT_TRUE(PerformConversion(request, style_).succeeded()) << c.name;
        EXPECT_EQ(Target(), SsaScript(c.styleLine, {})) << c.name;
    }
}

TEST_F(SubRipToSsaTest, StyleChoicesOutliveTheRunAndNoneSelectedKeepsTheAlignment)
{
    request_.boldValue = CheckState::Checked;
    request_.alignCentre = false;
    request_.alignRight = true;
    Convert(OutputFormat::SSA, "");
    EXPECT_EQ(style_.bold.TextForm(), "-1");
    EXPECT_EQ(style_.italic, "0");
    EXPECT_EQ(style_.txtAlignment, Alignment::Right);

    request_.alignRight = false;
    Convert(OutputFormat::SSA, "");
    EXPECT_EQ(style_.txtAlignment, Alignment::Right);
    EXPECT_EQ(Target(), SsaScript("Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,-1,0,2,0,3,10,10,14", {}));
}

} // namespace
} // namespace varnuth::test
