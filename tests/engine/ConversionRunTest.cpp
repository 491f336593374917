#include "ConversionFixture.h"
#include "Formats.h"

#include <sys/stat.h>

#include <map>
#include <optional>

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;

const std::string kSource = CrLf({"0001  00:00:20:13  00:00:24:01  a.bmp", "0002  00:01:02:00  00:01:04:29  b.bmp"});

class ConversionRunTest : public ConversionFixture {
protected:
    std::vector<std::string> Messages()
    {
        std::vector<std::string> shown;
        RunConversion(request_, style_, [&shown](const std::string& text) { shown.push_back(text); });
        return shown;
    }
};

// Every failure shows only its description, once, and leaves the source and every earlier target as they were.
TEST_F(ConversionRunTest, FailuresLeaveTheSourceAndThePreviousTarget)
{
    const fs::path folder = temp_.path();
    fs::create_directory(folder / "folder");
    fs::create_directory(folder / "sub");
    const std::map<std::string, std::string> kept = {{"source", kSource},
                                                     {"large", SonicSource(std::size_t{2} << 20U)},
                                                     {"short", kSource + "0003  00:01:05:00  00:01:06:29\r\n"},
                                                     {"old-target", "keep me"},
                                                     {"read-only", "keep me"}};
    for (const auto& [name, bytes] : kept) {
        WriteBytes(folder / name, bytes);
    }
    fs::permissions(folder / "read-only", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_symlink(folder / "source", folder / "symlink");
    fs::create_hard_link(folder / "source", folder / "hardlink");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    const std::string source = temp_.PathOf("source");
    const auto unreadable = [](const std::string& name, const std::string& why) {
        return "Cannot read the source file \"" + name + "\": " + why;
    };
    const auto unwritable = [](const std::string& name, const std::string& why) {
        return "Cannot write the target file \"" + name + "\": " + why + "; the target file was not changed";
    };
    const struct {
        std::string source;
        std::string target;
        std::string description;
        std::optional<OutputFormat> only;
    } cases[] = {
        {temp_.PathOf("missing"), "old-target", unreadable(temp_.PathOf("missing"), "No such file or directory"), {}},
        {" ", "old-target", unreadable(" ", "No such file or directory"), {}},
        {temp_.PathOf("folder"), "old-target", unreadable(temp_.PathOf("folder"), "Is a directory"), {}},
        {"/dev/zero", "old-target", unreadable("/dev/zero", "it is not a regular file"), {}},
        {"fifo", "old-target", unreadable("fifo", "it is not a regular file"), {}},
        {source, "no-folder/target", unwritable("no-folder/target", "No such file or directory"), {}},
        {source, "folder", unwritable("folder", "Is a directory"), {}},
        {source, "source/x", unwritable("source/x", "Not a directory"), {}},
        {source, "read-only", unwritable("read-only", "the file is read-only"), {}},
        {source, "fifo", unwritable("fifo", "it is a pipe that no program is reading from"), {}},
        {source, "/dev/full", "Cannot write the target file \"/dev/full\": No space left on device", {}},
        {"large", "/dev/full", "Cannot write the target file \"/dev/full\": No space left on device", {}},
        {"short", "old-target",
         "Line 3 of the source is too short for an entry line: 30 of at least 32 characters; the target file was not "
         "changed",
         OutputFormat::SON},
        {"short", "old-target",
         "Line 3 of the source is too short for an entry line: 30 of at least 32 characters; the target file was not "
         "changed",
         OutputFormat::STL},
    };
    // Relative names, so that the same file is also reached as ./source and sub/../source.
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    const std::vector<std::string> sameFile = {source, "./source", "sub/../source", "symlink", "hardlink"};
    for (const auto& c : cases) {
        for (const FormatEntry& format : kFormats) {
            if (c.only && *c.only != format.format) {
                continue;
            }
            request_ = DefaultRequest(c.source, c.target, format.format);
            const RunOutcome outcome = PerformConversion(request_, style_);
            ASSERT_FALSE(outcome.succeeded()) << format.name << ": " << c.description;
            EXPECT_NE(outcome.error->number(), 0);
            EXPECT_EQ(Messages(), std::vector<std::string>{c.description}) << format.name;
            for (const auto& [name, bytes] : kept) {
                EXPECT_EQ(ReadBytes(name), bytes) << format.name << ": " << c.description;
            }
        }
    }
    for (const std::string& target : sameFile) {
        request_ = DefaultRequest(source, target, OutputFormat::SSA);
        EXPECT_EQ(Messages(), std::vector<std::string>{unwritable(target, "it is the source file")});
        EXPECT_EQ(ReadBytes("source"), kSource) << target;
    }
    fs::current_path(previous);
}

TEST_F(ConversionRunTest, OneMessageWithTheCountAndTheFirstUnconvertedLines)
{
    const std::string stray = "stray\r\n";
    EXPECT_EQ(OutcomeMessage(Convert(OutputFormat::SSA, Repeated(stray, 2))),
              "0 rows finished!!!\n\n2 source lines were not converted:\n"
              "line 1: text outside an entry; dropped\nline 2: text outside an entry; dropped");
    WriteBytes(temp_.PathOf("source"), Repeated(stray, 25) + "00:00:01,000 --> 00:00:02,000\r\nx");
    std::string expected = "1 rows finished!!!\n\n25 source lines were not converted, the first 5:";
    for (int line = 1; line <= 5; ++line) {
        expected += "\nline " + std::to_string(line) + ": text outside an entry; dropped";
    }
    EXPECT_EQ(Messages(), std::vector<std::string>{expected});
    const RunOutcome outcome = PerformConversion(request_, style_);
    EXPECT_EQ(outcome.unconverted.first.size(), 20U);
    EXPECT_EQ(outcome.unconverted.first.back().number, 20);
    // An empty name opens and creates nothing, and counts 0.
    fs::remove(temp_.path() / "target");
    for (const auto& [source, target] : {std::pair{std::string(), request_.targetName}, {request_.sourceName, ""}}) {
        request_.sourceName = source;
        request_.targetName = target;
        EXPECT_EQ(Messages(), std::vector<std::string>{"0 rows finished!!!"});
        EXPECT_FALSE(fs::exists(temp_.path() / "target"));
    }
}

// A source with a byte-order mark, UTF-8 or UTF-16 of either order, gives the script of the plain UTF-8 source after
// a UTF-8 mark.
TEST_F(ConversionRunTest, ByteOrderMarkedSourcesGiveTheSameScriptAfterAUtf8Mark)
{
    const std::pair<OutputFormat, std::u16string> sources[] = {
        {OutputFormat::SSA, u"00:00:01,000 --> 00:00:04,000\r\nCaf\u00E9\r\n\r\n"},
        {OutputFormat::SON, u"0001  00:00:20:13  00:00:24:01  Caf\u00E9\r\n"},
        {OutputFormat::STL, u"0001  00:00:20:13  00:00:24:01  Caf\u00E9\r\nmore\r\n\r\n"},
    };
    for (const auto& [format, text] : sources) {
        std::string utf8;
        for (const char16_t unit : text) {
            utf8 += unit == u'\u00E9' ? "\xC3\xA9" : std::string(1, static_cast<char>(unit));
        }
        const RunOutcome plain = Convert(format, utf8);
        const std::string script = Target();
        for (const std::string& marked : {"\xEF\xBB\xBF" + utf8, Utf16(text), Utf16(text, true)}) {
            EXPECT_EQ(Convert(format, marked).count, plain.count);
            EXPECT_EQ(Target(), "\xEF\xBB\xBF" + script) << marked;
        }
    }
}

TEST_F(ConversionRunTest, CountsUpTo32767AndFailsOnTheNext)
{
    const std::string entry = "0001  00:00:20:13  00:00:24:01  a.bmp\r\n";
    EXPECT_EQ(OutcomeMessage(Convert(OutputFormat::SON, Repeated(entry, 32767))), "32767 rows finished!!!");
    const std::string full = Target();
    const std::string overflow = "Overflow: a run counts at most 32767 rows; the target file was not changed";
    const std::pair<OutputFormat, std::string> sources[] = {
        {OutputFormat::SON, Repeated(entry, 32768)},
        {OutputFormat::SSA, Repeated("00:00:01,000 --> 00:00:02,000\r\nx\r\n\r\n", 32768)},
        {OutputFormat::STL, entry + Repeated("more\r\n", 32768)}};
    for (const auto& [format, source] : sources) {
        EXPECT_EQ(OutcomeMessage(Convert(format, source)), overflow);
        EXPECT_EQ(Target(), full);
    }
    EXPECT_EQ(OutcomeMessage(Convert(OutputFormat::SON, entry)), "1 rows finished!!!");
}

// The output replaces the target whole: with the target's permissions, no temporary file left, and a link at the
// target's name replaced, never followed.
TEST_F(ConversionRunTest, TheOutputReplacesTheTarget)
{
    const fs::path folder = temp_.path();
    const mode_t mask = ::umask(022);
    Convert(OutputFormat::SON, "");
    const std::string headerOnly = Target();
    EXPECT_EQ(fs::status(folder / "target").permissions(), fs::perms(0644));
    fs::permissions(folder / "target", fs::perms(0604));
    Convert(OutputFormat::SON, kSource);
    const RunOutcome outcome = Convert(OutputFormat::SON, "");
    ::umask(mask);
    EXPECT_EQ(outcome.count, 0);
    EXPECT_EQ(Target(), headerOnly);
    EXPECT_EQ(fs::status(folder / "target").permissions(), fs::perms(0604));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    WriteBytes(folder / "other", "someone else's");
    for (const char* pointee : {"other", "nowhere"}) {
        fs::remove(folder / "target");
        fs::create_symlink(folder / pointee, folder / "target");
        ASSERT_TRUE(Convert(OutputFormat::SON, "").succeeded()) << pointee;
        EXPECT_FALSE(fs::is_symlink(folder / "target")) << pointee;
        EXPECT_EQ(Target(), headerOnly) << pointee;
        EXPECT_EQ(ReadBytes(folder / "other"), "someone else's");
        EXPECT_FALSE(fs::exists(folder / "nowhere"));
    }
}

} // namespace
} // namespace varnuth::test
