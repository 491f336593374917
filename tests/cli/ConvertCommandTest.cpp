#include "../engine/TempFiles.h"

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace varnuth::test {
namespace {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& argument)
{
    std::string quoted = "'";
    for (const char c : argument) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class ConvertCommandTest : public TempFolderTest {
protected:
    CommandResult Run(const std::vector<std::string>& arguments)
    {
        std::string command = Quoted(VARNUTH_CONVERT);
        for (const std::string& argument : arguments) {
            command += " " + Quoted(argument);
        }
        command += " >" + Quoted(PathOf("out")) + " 2>" + Quoted(PathOf("err")) + " </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile("out"), ReadFile("err")};
    }
};

const std::string kSubRip = CrLf({"1", "00:00:01,000 --> 00:00:04,000", "Hello", ""});

TEST_F(ConvertCommandTest, PrintsTheCountAndWritesTheScript)
{
    WriteFile("in.srt", kSubRip);
    const CommandResult result =
        Run({"--font", "Arial", "--size", "10.5", "--bold", "--align", "right", "--primary", "#FF0000", "--secondary",
             "65280", "--tertiary", "#0000ff", "--margin-left", "", PathOf("in.srt"), PathOf("out.ssa")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "1 rows finished!!!\n");
    EXPECT_EQ(result.err, "");
    const std::string script = ReadFile("out.ssa");
    EXPECT_NE(script.find("\r\nStyle: Default,Arial,10.5,255,65280,16711680,0,-1,0,2,0,3,,10,14\r\n"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("Dialogue: Marked=0,0:00:01.00,0:00:04.00,Default,TAV,0000,0000,0000,!Effect,Hello\r\n"),
              std::string::npos);
}

TEST_F(ConvertCommandTest, SectionsWrapTheSameLinesInTheSsaV4Sections)
{
    WriteFile("in.srt", CrLf({"1", "00:00:01,000 --> 00:00:04,000", "Hello", "world", "", "2",
                              "00:01:02,345 --> 00:01:05,678", "Second entry", ""}));
    const CommandResult result = Run({"--sections", PathOf("in.srt"), PathOf("out.ssa")});
    const std::string styleFormat = "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, TertiaryColour, "
                                    "BackColour, Bold, Italic, Outline, Shadow, Alignment, MarginL, MarginR, MarginV";
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "2 rows finished!!!\n");
    EXPECT_EQ(ReadFile("out.ssa"),
              CrLf({"! SSA Varnuth by Tavendrel - tavendrel@varnuth.org",
                    "[Script Info]",
                    "Title: Tavendrel",
                    "Original Script: Tavendrel",
                    "Original Editing: Tavendrel",
                    "Original Timing: Tavendrel",
                    "Original Script Checking: Tavendrel",
                    "Synch Point: Side 1 0m00s",
                    "Collisions: Normal",
                    "Timer: 100.0000",
                    "ScriptType: v4.00",
                    "",
                    "[V4 Styles]",
                    styleFormat,
                    "Style: Default,VNI-Helve,18,16777215,16777215,16777215,0,0,0,2,0,2,10,10,14",
                    "",
                    "[Events]",
                    "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
                    "Dialogue: Marked=0,0:00:01.00,0:00:04.00,Default,TAV,0000,0000,0000,!Effect,Hello\\Nworld",
                    "Dialogue: Marked=0,0:01:02.34,0:01:05.67,Default,TAV,0000,0000,0000,!Effect,Second entry"}));
}

TEST_F(ConvertCommandTest, ChoosesTheFormatAndKeepsTheEmptyNameRule)
{
    WriteFile("in.txt", CrLf({"0001  00:00:20:13  00:00:24:01  Hello", "world", ""}));
    CommandResult result = Run({"-f", "stl", PathOf("in.txt"), PathOf("out.stl")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "1 rows finished!!!\n");
    EXPECT_NE(ReadFile("out.stl").find("\r\n00:00:20:13\t,\t00:00:24:01\t,\tHello|world\r\n"), std::string::npos);

    result = Run({"--format=son", PathOf("in.txt"), ""});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "0 rows finished!!!\n");
}

TEST_F(ConvertCommandTest, ReportsUnconvertedLinesOnStandardErrorAndStrictMakesThemAFailure)
{
    std::string source;
    std::string report;
    for (int line = 1; line <= 22; ++line) {
        source += "stray\r\n";
        report +=
            line <= 20 ? "varnuth-convert: line " + std::to_string(line) + ": text outside an entry; dropped\n" : "";
    }
    WriteFile("in.srt", source + kSubRip);
    for (const bool strict : {false, true}) {
        std::vector<std::string> call = {PathOf("in.srt"), PathOf("out.ssa")};
        if (strict) {
            call.insert(call.begin(), "--strict");
        }
        const CommandResult result = Run(call);
        EXPECT_EQ(result.exitCode, strict ? 1 : 0);
        EXPECT_EQ(result.out, "1 rows finished!!!\n");
        EXPECT_EQ(result.err, report + "varnuth-convert: ... and 2 more\n");
        EXPECT_NE(ReadFile("out.ssa").find("!Effect,Hello\r\n"), std::string::npos);
        std::filesystem::remove(folder_ / "out.ssa");
    }
}

TEST_F(ConvertCommandTest, RunFailureGoesToStandardErrorWithExitCode1)
{
    WriteFile("target", "keep me");
    const CommandResult result = Run({PathOf("missing.srt"), PathOf("target")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "varnuth-convert: Cannot read the source file \"" + PathOf("missing.srt")
                              + "\": No such file or directory\n");
    EXPECT_EQ(ReadFile("target"), "keep me");
}

TEST_F(ConvertCommandTest, UsageErrorsExitWith2AndTouchNothing)
{
    WriteFile("in.srt", kSubRip);
    const std::vector<std::vector<std::string>> calls = {
        {"--frobnicate", PathOf("in.srt"), PathOf("never")},
        {"-f", "ass", PathOf("in.srt"), PathOf("never")},
        {"--primary", "#12345", PathOf("in.srt"), PathOf("never")},
        {"--primary", "16777216", PathOf("in.srt"), PathOf("never")},
        {"--align", "middle", PathOf("in.srt"), PathOf("never")},
        {PathOf("in.srt")},
        {PathOf("in.srt"), PathOf("never"), "extra"},
        {PathOf("in.srt"), PathOf("never"), "--font"},
        {"--sections", "-f", "son", PathOf("in.srt"), PathOf("never")},
        {"--format=stl", "--sections", PathOf("in.srt"), PathOf("never")},
    };
    for (const auto& call : calls) {
        const CommandResult result = Run(call);
        EXPECT_EQ(result.exitCode, 2) << call.front();
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("Usage: varnuth-convert"), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(folder_ / "never")) << call.front();
    }
    const CommandResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: varnuth-convert [options] SOURCE TARGET\n", 0), 0U);
}

} // namespace
} // namespace varnuth::test
