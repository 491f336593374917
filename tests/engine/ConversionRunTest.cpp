#include "TempFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;

const std::string kSource = CrLf({"0001  00:00:20:13  00:00:24:01  a.bmp", "0002  00:01:02:00  00:01:04:29  b.bmp"});

std::string Repeated(std::string_view text, int times)
{
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

class ConversionRunTest : public ConversionTest {
protected:
    std::vector<std::string> Messages(const ConversionRequest& request)
    {
        std::vector<std::string> shown;
        RunConversion(request, style_, [&shown](const std::string& text) { shown.push_back(text); });
        return shown;
    }
};

TEST_F(ConversionRunTest, ShowsTheCountOnceAfterSuccess)
{
    WriteFile("source", kSource);
    request_.format = OutputFormat::SON;
    EXPECT_EQ(Messages(request_), std::vector<std::string>{"2 rows finished!!!"});
}

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
            const RunOutcome outcome = Convert(format, marked);
            EXPECT_EQ(outcome.count, plain.count);
            EXPECT_EQ(Target(), "\xEF\xBB\xBF" + script) << marked;
        }
    }
}

TEST_F(ConversionRunTest, KeepsTheFirst20UnconvertedLinesAndShowsFiveBelowTheCount)
{
    const RunOutcome outcome =
        Convert(OutputFormat::SSA, Repeated("stray\r\n", 25) + "00:00:01,000 --> 00:00:02,000\r\nx");
    EXPECT_EQ(outcome.unconverted.first.size(), 20U);
    EXPECT_EQ(outcome.unconverted.total, 25);
    EXPECT_EQ(outcome.unconverted.first.back().number, 20);
    EXPECT_EQ(OutcomeMessage(outcome),
              "1 rows finished!!!\n\n25 source lines were not converted, the first 5:\n"
              "line 1: text outside an entry; dropped\nline 2: text outside an entry; dropped\n"
              "line 3: text outside an entry; dropped\nline 4: text outside an entry; dropped\n"
              "line 5: text outside an entry; dropped");
    EXPECT_EQ(OutcomeMessage(Convert(OutputFormat::SSA, "stray\r\nstray")),
              "0 rows finished!!!\n\n2 source lines were not converted:\n"
              "line 1: text outside an entry; dropped\nline 2: text outside an entry; dropped");
}

TEST_F(ConversionRunTest, EmptyNameOpensNothingAndCountsZero)
{
    WriteFile("source", kSource);
    for (const auto& [source, target] :
         {std::pair{std::string(), PathOf("target")}, {PathOf("source"), std::string()}}) {
        request_.sourceName = source;
        request_.targetName = target;
        EXPECT_EQ(Messages(request_), std::vector<std::string>{"0 rows finished!!!"});
        EXPECT_FALSE(fs::exists(folder_ / "target"));
    }
}

TEST_F(ConversionRunTest, FailuresShowOnlyADescriptionAndLeaveTheSourceAndAnOldTargetAlone)
{
    fs::create_directory(folder_ / "folder");
    WriteFile("source", kSource);
    WriteFile("old-target", "keep me");
    const std::string unchanged = "; the target file was not changed";
    struct FailureCase {
        std::string source;
        std::string target;
        std::string description;
    };
    const FailureCase cases[] = {
        {PathOf("missing"), PathOf("old-target"),
         "Cannot read the source file \"" + PathOf("missing") + "\": No such file or directory"},
        {" ", PathOf("old-target"), "Cannot read the source file \" \": No such file or directory"},
        {PathOf("folder"), PathOf("old-target"),
         "Cannot read the source file \"" + PathOf("folder") + "\": Is a directory"},
        {"/dev/zero", PathOf("old-target"), "Cannot read the source file \"/dev/zero\": it is not a regular file"},
        {PathOf("source"), PathOf("no-folder/target"),
         "Cannot write the target file \"" + PathOf("no-folder/target") + "\": No such file or directory" + unchanged},
        {PathOf("source"), PathOf("folder"),
         "Cannot write the target file \"" + PathOf("folder") + "\": Is a directory" + unchanged},
        {PathOf("source"), PathOf("source/x"),
         "Cannot write the target file \"" + PathOf("source/x") + "\": Not a directory" + unchanged},
        {PathOf("source"), "/dev/full", "Cannot write the target file \"/dev/full\": No space left on device"},
    };
    for (const FailureCase& c : cases) {
        request_.sourceName = c.source;
        request_.targetName = c.target;
        for (const OutputFormat format : {OutputFormat::SSA, OutputFormat::SON, OutputFormat::STL}) {
            request_.format = format;
            const RunOutcome outcome = PerformConversion(request_, style_);
            ASSERT_FALSE(outcome.succeeded()) << c.description;
            EXPECT_NE(outcome.error->number(), 0);
            EXPECT_EQ(Messages(request_), std::vector<std::string>{c.description});
            EXPECT_EQ(ReadFile("source"), kSource);
            EXPECT_EQ(ReadFile("old-target"), "keep me");
        }
    }
}

TEST_F(ConversionRunTest, ReadOnlyTargetIsRefusedEvenForRoot)
{
    WriteFile("source", kSource);
    WriteFile("target", "keep me");
    fs::permissions(folder_ / "target", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const RunOutcome outcome = Convert(OutputFormat::SON, kSource);
    ASSERT_FALSE(outcome.succeeded());
    EXPECT_EQ(outcome.error->description(), "Cannot write the target file \"" + PathOf("target")
                                                + "\": the file is read-only; the target file was not changed");
    EXPECT_EQ(ReadFile("target"), "keep me");
}

TEST_F(ConversionRunTest, TheSourceIsNeverItsOwnTargetUnderAnyName)
{
    fs::create_directory(folder_ / "sub");
    WriteFile("source", kSource);
    fs::create_symlink(folder_ / "source", folder_ / "symlink");
    fs::create_hard_link(folder_ / "source", folder_ / "hardlink");
    const fs::path previous = fs::current_path();
    fs::current_path(folder_);
    for (const std::string& target : {PathOf("source"), std::string("./source"), std::string("sub/../source"),
                                      PathOf("symlink"), PathOf("hardlink")}) {
        request_.sourceName = PathOf("source");
        request_.targetName = target;
        const RunOutcome outcome = PerformConversion(request_, style_);
        ASSERT_FALSE(outcome.succeeded()) << target;
        EXPECT_EQ(outcome.error->description(), "Cannot write the target file \"" + target
                                                    + "\": it is the source file; the target file was not changed");
        EXPECT_EQ(ReadFile("source"), kSource) << target;
    }
    fs::current_path(previous);
}

TEST_F(ConversionRunTest, CountsUpTo32767AndFailsOnTheNext)
{
    const std::string entry = "0001  00:00:20:13  00:00:24:01  a.bmp\r\n";
    RunOutcome outcome = Convert(OutputFormat::SON, Repeated(entry, 32767));
    EXPECT_EQ(OutcomeMessage(outcome), "32767 rows finished!!!");

    const std::string full = Target();
    EXPECT_EQ(std::count(full.begin(), full.end(), '\n'), 10 + 2 * 32767);

    outcome = Convert(OutputFormat::SON, Repeated(entry, 32769));
    ASSERT_FALSE(outcome.succeeded());
    EXPECT_EQ(Messages(request_),
              std::vector<std::string>{"Overflow: a run counts at most 32767 rows; the target file was not changed"});
    EXPECT_EQ(Target(), full);

    outcome = Convert(OutputFormat::SSA, Repeated("00:00:01,000 --> 00:00:02,000\r\nx\r\n\r\n", 32768));
    EXPECT_FALSE(outcome.succeeded());
    outcome = Convert(OutputFormat::STL, "0001  00:00:20:13  00:00:24:01  a\r\n" + Repeated("more\r\n", 32768));
    EXPECT_FALSE(outcome.succeeded());

    outcome = Convert(OutputFormat::SON, entry);
    EXPECT_EQ(OutcomeMessage(outcome), "1 rows finished!!!");
}

TEST_F(ConversionRunTest, ASecondRunReplacesTheTargetKeepingItsPermissionsAndSharesNoState)
{
    const mode_t mask = ::umask(022);
    Convert(OutputFormat::SON, "");
    const std::string headerOnly = Target();
    EXPECT_EQ(fs::status(folder_ / "target").permissions(), fs::perms(0644));
    fs::permissions(folder_ / "target", fs::perms(0604));
    Convert(OutputFormat::SON, kSource);
    const RunOutcome outcome = Convert(OutputFormat::SON, "");
    ::umask(mask);
    EXPECT_EQ(outcome.count, 0);
    EXPECT_EQ(Target(), headerOnly);
    EXPECT_EQ(fs::status(folder_ / "target").permissions(), fs::perms(0604));
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
}

// A link at the target's name is replaced by the output; what it points to is never written or created.
TEST_F(ConversionRunTest, ALinkAtTheTargetIsReplacedNeverFollowed)
{
    Convert(OutputFormat::SON, kSource);
    const std::string expected = Target();
    WriteFile("other", "someone else's");
    for (const char* pointee : {"other", "nowhere"}) {
        fs::remove(folder_ / "target");
        fs::create_symlink(folder_ / pointee, folder_ / "target");
        ASSERT_TRUE(PerformConversion(request_, style_).succeeded()) << pointee;
        EXPECT_FALSE(fs::is_symlink(folder_ / "target")) << pointee;
        EXPECT_EQ(Target(), expected) << pointee;
        EXPECT_EQ(ReadFile("other"), "someone else's");
        EXPECT_FALSE(fs::exists(folder_ / "nowhere"));
    }
}

} // namespace
} // namespace varnuth::test
