// Each format's whole script once; after that, a table compares only what follows the header.

#include "ConversionFixture.h"
#include "Converters.h"
#include "Formats.h"
#include "SourceEncoding.h"

namespace varnuth::test {
namespace {

using namespace std::string_literals;
using enum OutputFormat;

class ScriptsTest : public ConversionFixture {};

// The scripts are kept byte for byte beside their sources in scripts/; written into memory, as the preview
// writes them, they are the same bytes.
TEST_F(ScriptsTest, EachFormatWritesItsWholeScript)
{
    const std::filesystem::path folder = VARNUTH_SCRIPTS;
    // The ASS tags script holds every tag kind, and is written for a frame of 1920 x 1080.
    const std::tuple<OutputFormat, bool, int, const char*, const char*> cases[] = {
        {SSA, false, 288, "entries.srt", "entries.ssa"},
        {SSA, true, 288, "entries.srt", "entries-sections.ssa"},
        {SON, false, 288, "bitmaps.txt", "bitmaps.son"},
        {STL, false, 288, "texts.txt", "texts.stl"},
        {ASS, false, 288, "entries.srt", "entries.ass"},
        {ASS, false, 1080, "tags.srt", "tags-1080.ass"},
        {ASS, false, 288, "utf16.srt", "utf16.ass"},
        {ASS, false, 288, "cp1251.srt", "cp1251.ass"},
        {ASS, false, 288, "cp1252.srt", "cp1252.ass"}};
    for (const auto& [format, sections, height, source, script] : cases) {
        // Where nothing detects their encodings, they are named.
        const std::string_view name(source);
        request_.sourceEncoding = !kDetectsEncodings && name.starts_with("cp") ? name.substr(0, name.find('.')) : "";
        request_.ssaSections = sections;
        request_.playResX = height == kDefaultPlayResY ? kDefaultPlayResX : height * 16 / 9;
        request_.playResY = height;
        EXPECT_TRUE(Convert(format, ReadBytes(folder / source)).succeeded()) << script;
        EXPECT_EQ(Target(), ReadBytes(folder / script)) << script;
        std::string memory;
        LineReader reader((folder / source).string(), nullptr,
                          kDetectsEncodings ? DetectSourceEncoding((folder / source).string())
                                            : request_.sourceEncoding);
        LineWriter writer(memory);
        SubtitleCounter counter;
        UnconvertedLines unconverted;
        FormatOf(format).convert(reader, writer, request_, style_, counter, unconverted);
        writer.Close();
        EXPECT_EQ((reader.HasByteOrderMark() ? "\xEF\xBB\xBF"s : ""s) + memory, Target()) << script;
    }
}

// Which encoding an ASS run read its source in, as the message says; bytes that are no character fail the run, and
// so does a source whose encoding is neither named nor detected.
TEST_F(ScriptsTest, EncodingsOfAssSources)
{
    const std::string entry = "1\r\n00:00:01,000 --> 00:00:02,000\r\n";
    const std::string bytesAt = "\": the byte at offset ";
    // Past the reader's buffer, and at odd offsets: one of them is split between two reads.
    const std::size_t kHiragana = 40000;
    // Source, the encoding asked for, the message, and a text the target then holds.
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {
        {ReadBytes(std::filesystem::path(VARNUTH_SCRIPTS) / "cp1251.srt"), "",
         kDetectsEncodings
             ? "2 rows finished!!!\n\nThe source is not UTF-8: it was read as windows-1251."
             : "\": it is neither UTF-8 nor UTF-16, and Windows cannot tell its encoding. Save it as UTF-8",
         "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82!"},
        {Utf16(u"1\n00:00:01,000 --> 00:00:02,000\ncaf\u00E9\n"), "", "1 rows finished!!!", ",caf\xC3\xA9\r\n"},
        {"\xEF\xBB\xBF" + entry + "\xC3\xA9\r\n\r\n", "cp1251", "1 rows finished!!!", ",\xC3\xA9\r\n"},
        {entry + "caf\xE9\r\n\r\n", "latin1", "1 rows finished!!!\n\nThe source is not UTF-8: it was read as latin1.",
         ",caf\xC3\xA9\r\n"},
        {entry + "x" + Repeated("\x82\xA0", kHiragana) + "\r\n\r\n", "Shift_JIS", "it was read as Shift_JIS.",
         ",x" + Repeated("\xE3\x81\x82", kHiragana) + "\r\n"},
        {entry + "ab\x81\x20\r\n\r\n", "cp932", bytesAt + "36 is no character of cp932", ""},
        {entry + "ab\xE2\x82", "UTF-8", bytesAt + "36 is no character of UTF-8", ""},
        {entry, "no-such-encoding", "Unknown encoding \"no-such-encoding\"", ""}};
    for (const auto& [source, encoding, message, text] : cases) {
        SCOPED_TRACE(message);
        WriteBytes(temp_.PathOf("target"), "before");
        request_.sourceEncoding = encoding;
        const RunOutcome outcome = Convert(ASS, source);
        EXPECT_NE(OutcomeMessage(outcome).find(message), std::string::npos) << OutcomeMessage(outcome);
        EXPECT_EQ(outcome.succeeded(), Target() != "before");
        EXPECT_TRUE(!outcome.succeeded() || Target().find(text) != std::string::npos);
    }
}

// Sources end lines in LF only, which the reader's own table shows to be read as CR LF is. A source with a
// byte-order mark gives a target with the UTF-8 mark before the header.
TEST_F(ScriptsTest, BodiesAndReports)
{
    const auto dialogue = [](std::string_view times, std::string_view text) {
        return "Dialogue: Marked=0,"s.append(times).append(",Default,TAV,0000,0000,0000,!Effect,").append(text)
               + "\r\n";
    };
    const auto son = [](std::string_view entry) { return "Display_Area\t(0 2 719 479)\r\n"s.append(entry) + "\r\n"; };
    const std::string hello = dialogue("0:00:01.00,0:00:04.00", "Hello\\Nworld");
    const std::string second = dialogue("0:01:02.34,0:01:05.67", "Second entry");
    const std::string helloEntry = "00:00:01,000 --> 00:00:04,000\nHello\nworld\n";
    const std::string secondEntry = "00:01:02,345 --> 00:01:05,678\nSecond entry";
    const std::string byeText = "00:01:02:00\t,\t00:01:04:29\t,\tBye";
    const std::string bye = byeText + "\r\n";
    const std::string byeLine = "0002  00:01:02:00  00:01:04:29  Bye\n";
    const std::string noText = ": an entry without text; nothing written\n";
    const std::string number = ": an entry number with no timing line after it; dropped\n";
    const std::string outside = ": text outside an entry; dropped\n";
    const std::string noTimes = ": '-->' but no times that can be read; ";
    const std::string both = ": the start and end are not timecodes HH:MM:SS:FF; copied as they stand\n";
    const std::string cafe = "Caf\xC3\xA9";
    // Wide enough that dialogues grow across the target's buffer end; huge ones do not fit in that buffer at all.
    const std::string wide(1000, 'w');
    const std::string huge(200000, 'h');
    const std::string hugeTimes = "00:00:05,000 --> 00:00:06,000\n";
    const std::string end = ": the end is not a timecode HH:MM:SS:FF; copied as it stands\n";
    // Format, source, body after the header, count, unconverted lines reported.
    const std::tuple<OutputFormat, std::string, std::string, int, std::string> cases[] = {
        {SSA, "\n\n1\n" + helloEntry + "\n\n\n", hello, 1, ""},
        {SSA,
         "00:00:01,000 --> 00:00:04,000\n\n" + helloEntry
             + "\n00:00:05,000 --> 00:00:06,000\n00:00:05,000 --> 00:00:06,000\n",
         hello, 1, "1" + noText + "7" + noText + "8" + noText},
        {SSA, "title\n" + helloEntry + "\n \t\n2\n\ndropped\n3\n4\n" + secondEntry, hello + second, 2,
         "1" + outside + "6: spaces or tabs outside an entry; dropped\n7" + number + "9" + outside + "10" + number},
        {SSA, helloEntry + "\n2", hello, 1, "5" + number},
        {SSA, "1\n00:00:01,000 --> soon\nHello\n\n" + secondEntry + "\na --> b",
         dialogue("0:01:02.34,0:01:05.67", "Second entry\\Na --> b"), 1,
         "1" + number + "2" + noTimes + "dropped\n3" + outside + "7" + noTimes + "kept as text\n"},
        {SSA, "00:00:01,000 --> 00:00:04,000\n   \n\xE1\xBA\xBF\xA9\xFF"s + '\0' + "!\n2\n" + secondEntry,
         dialogue("0:00:01.00,0:00:04.00", "   \\N\xE1\xBA\xBF\xA9\xFF"s + '\0' + "!\\N2") + second, 2, ""},
        {SSA,
         Repeated(helloEntry + wide + "\n\n", 200) + hugeTimes + "x\n" + huge + "\n\n" + hugeTimes + huge + "\nx\ny",
         Repeated(dialogue("0:00:01.00,0:00:04.00", "Hello\\Nworld\\N" + wide), 200)
             + dialogue("0:00:05.00,0:00:06.00", "x\\N" + huge) + dialogue("0:00:05.00,0:00:06.00", huge + "\\Nx\\Ny"),
         202, ""},
        {SSA, Utf16(u"00:00:01,000 --> 00:00:04,000\nCaf\u00E9\n"), dialogue("0:00:01.00,0:00:04.00", cafe), 1, ""},
        {SON, "\n0001ab00:00:20:13\t\t00:00:24:01xy0001.bmp  \n\n\n", son("0001\t00:00:20:13\t00:00:24:01\t0001.bmp  "),
         1, ""},
        {SON,
         "00001 00:00:20:13  00:00:24:01  \n" + std::string(40, ' ') + "\nTitle of the listing, with no times at all",
         son("0000\t00:00:20:13\t00:00:24:01\t") + son("    \t           \t           \t        ")
             + son("Titl\tof the list\tg, with no \tmes at all"),
         3, "2" + both + "3" + both},
        {SON, Utf16(u"0001  00:00:20:13  00:00:24:01  Caf\u00E9", true), son("0001\t00:00:20:13\t00:00:24:01\t" + cafe),
         1, ""},
        {STL, byeLine + byeLine + "\n\n", bye + bye, 0, ""},
        {STL, byeLine + "\n  again  \n\n", bye + byeText + "|  again  \r\n", 1, ""},
        {STL, "\nNote: a title\n\n" + byeLine, "|Note: a title\r\n" + bye, 1, ""},
        {STL, "0002  00:01:02:00  anything!!!  \n0002  0a:00:20:13  00:00:24;01  x\n",
         "00:01:02:00\t,\tanything!!!\t,\t\r\n0a:00:20:13\t,\t00:00:24;01\t,\tx\r\n", 0, "1" + end + "2" + both},
        {STL, byeLine + "   \nNote: 00:00:20:13  00:00:24:01  x\n0003  00:01:05.00  00:01:06:29  No\n",
         byeText + "|   |Note: 00:00:20:13  00:00:24:01  x|0003  00:01:05.00  00:01:06:29  No\r\n", 3, ""},
        {STL, "\xEF\xBB\xBF" + byeLine + "more\n", byeText + "|more\r\n", 1, ""},
        {STL, "0005  00:00:20:13  00:0::24:01  a\n0006  00:00:20:13  00:00:2\xB0:01  b\n",
         "00:00:20:13\t,\t00:0::24:01\t,\ta\r\n00:00:20:13\t,\t00:00:2\xB0:01\t,\tb\r\n", 0, "1" + end + "2" + end},
    };
    for (const auto& [format, source, body, count, reported] : cases) {
        ASSERT_TRUE(Convert(format, "").succeeded());
        const std::string header = Target();
        const RunOutcome outcome = Convert(format, source);
        EXPECT_TRUE(outcome.succeeded()) << source << ": " << OutcomeMessage(outcome);
        const bool marked =
            source.starts_with("\xEF\xBB\xBF") || source.starts_with("\xFF\xFE") || source.starts_with("\xFE\xFF");
        EXPECT_EQ(Target(), (marked ? "\xEF\xBB\xBF" : ""s).append(header).append(body)) << source;
        EXPECT_EQ(outcome.count, count) << source;
        std::string lines;
        for (const UnconvertedLine& line : outcome.unconverted.first) {
            lines += std::to_string(line.number) + ": " + line.reason + "\n";
        }
        EXPECT_EQ(lines, reported) << source;
    }
}

// Only the style line follows the settings; the choices a run copies into the style record outlive it.
TEST_F(ScriptsTest, StyleLineFromSettingsAndChoices)
{
    // Bold, Italic, the three alignment buttons, and the style line's fields from Bold to Alignment.
    const std::tuple<CheckState, CheckState, bool, bool, bool, std::string_view> cases[] = {
        {CheckState::Checked, CheckState::Checked, false, true, false, "-1,-1,2,0,2"},
        {CheckState::Greyed, CheckState::Greyed, true, true, false, "0,0,2,0,2"},
        {CheckState::Unchecked, CheckState::Greyed, true, false, true, "0,0,2,0,3"},
        {CheckState::Unchecked, CheckState::Unchecked, false, false, false, "0,0,2,0,3"},
        {CheckState::Checked, CheckState::Unchecked, true, false, false, "-1,0,2,0,1"}};
    request_.marginLeft = "";
    request_.marginRight = " 7x";
    request_.marginBottom = "1,2";
    for (const auto& [bold, italic, left, centre, right, fields] : cases) {
        style_.txtAlignment = Alignment::Right;
        request_.boldValue = bold;
        request_.italicValue = italic;
        request_.alignLeft = left;
        request_.alignCentre = centre;
        request_.alignRight = right;
        ASSERT_TRUE(Convert(SSA, "").succeeded());
        const std::string line = "\r\nStyle: Default,VNI-Helve,18,16777215,16777215,16777215,0,"s.append(fields);
        EXPECT_TRUE(Target().ends_with(line + ",, 7x,1,2\r\n")) << fields;
    }
    EXPECT_EQ(style_.bold.TextForm() + style_.italic, "-10");
    EXPECT_EQ(style_.txtAlignment, Alignment::Left);
}

} // namespace
} // namespace varnuth::test
