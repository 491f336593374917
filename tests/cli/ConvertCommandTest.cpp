#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
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

class ConvertCommandTest : public testing::Test {
protected:
    // \p shellPrefix runs first in the same shell (a ulimit); \p output is where standard output goes.
    CommandResult Run(const std::vector<std::string>& arguments, const std::string& shellPrefix = "",
                      const std::string& output = "")
    {
        std::string command = shellPrefix + "exec " + Quoted(VARNUTH_CONVERT);
        for (const std::string& argument : arguments) {
            command += " " + Quoted(argument);
        }
        command +=
            " >" + (output.empty() ? Quoted(PathOf("out")) : output) + " 2>" + Quoted(PathOf("err")) + " </dev/null";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile("out"), ReadFile("err")};
    }
    [[nodiscard]] std::string PathOf(std::string_view name) const { return temp_.PathOf(name); }
    void WriteFile(std::string_view name, std::string_view bytes) const { WriteBytes(PathOf(name), bytes); }
    [[nodiscard]] std::string ReadFile(std::string_view name) const { return ReadBytes(PathOf(name)); }

    TempFolder temp_;
};

const std::string kSubRip = CrLf({"1", "00:00:01,000 --> 00:00:04,000", "Hello", ""});

TEST_F(ConvertCommandTest, PrintsTheCountAndWritesTheScript)
{
    WriteFile("in.srt", kSubRip);
    const CommandResult result =
        Run({"--font", "Arial", "--size", "10.5", "--bold", "--align", "right", "--primary", "#FF0000", "--secondary",
             "65280", "--tertiary", "#0000ff", "--margin-left", "", "--sections", PathOf("in.srt"), PathOf("out.ssa")});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "1 rows finished!!!\n");
    EXPECT_EQ(result.err, "");
    const std::string script = ReadFile("out.ssa");
    EXPECT_TRUE(script.starts_with("! SSA Varnuth by Tavendrel - tavendrel@varnuth.org\r\n[Script Info]\r\n"));
    EXPECT_NE(script.find("\r\nStyle: Default,Arial,10.5,255,65280,16711680,0,-1,0,2,0,3,,10,14\r\n"),
              std::string::npos)
        << script;
    EXPECT_NE(script.find("Dialogue: Marked=0,0:00:01.00,0:00:04.00,Default,TAV,0000,0000,0000,!Effect,Hello\r\n"),
              std::string::npos);
}

TEST_F(ConvertCommandTest, ChoosesTheFormat)
{
    WriteFile("in.txt", CrLf({"0001  00:00:20:13  00:00:24:01  Hello", "world", ""}));
    CommandResult result = Run({"-f", "stl", PathOf("in.txt"), PathOf("out.stl")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "1 rows finished!!!\n");
    EXPECT_NE(ReadFile("out.stl").find("\r\n00:00:20:13\t,\t00:00:24:01\t,\tHello|world\r\n"), std::string::npos);
}

TEST_F(ConvertCommandTest, ReportsUnconvertedLinesOnStandardErrorAndStrictMakesThemAFailure)
{
    std::string report;
    for (int line = 1; line <= 20; ++line) {
        report += "varnuth-convert: line " + std::to_string(line) + ": text outside an entry; dropped\n";
    }
    WriteFile("in.srt", Repeated("stray\r\n", 22) + kSubRip);
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
        std::filesystem::remove(temp_.path() / "out.ssa");
    }
}

TEST_F(ConvertCommandTest, RunFailureGoesToStandardErrorWithExitCode1)
{
    WriteFile("target", "keep me");
    const CommandResult result = Run({PathOf("missing\033[2J\177.srt"), PathOf("target")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "varnuth-convert: Cannot read the source file \"" + PathOf("missing\\033[2J\\177.srt")
                              + "\": No such file or directory\n");
    EXPECT_EQ(ReadFile("target"), "keep me");
}

// The system's own link is written through, never replaced, even by root.
TEST_F(ConvertCommandTest, StandardOutputAsTargetKeepsTheSystemLink)
{
    WriteFile("in.srt", kSubRip);
    const CommandResult result = Run({PathOf("in.srt"), "/dev/stdout"}, "", Quoted(PathOf("piped")));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(ReadFile("piped").find("!Effect,Hello\r\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_symlink("/dev/stdout"));
}

// Output that never arrives and a file-size limit both fail with exit 1 and a message, not silence or a kill.
TEST_F(ConvertCommandTest, LostOutputAndFileSizeLimitExitWith1)
{
    WriteFile("in.srt", kSubRip);
    WriteFile("large.srt", SubRipSource(std::size_t{256} * 1024));
    WriteFile("target", "keep me");
    struct OutputCase {
        std::vector<std::string> arguments;
        std::string shellPrefix;
        std::string output;
        std::string message;
    };
    const OutputCase cases[] = {
        {{"--help"}, "", "/dev/full", "write error on standard output: No space left on device"},
        {{"--version"}, "", "&-", "write error on standard output: Bad file descriptor"},
        {{PathOf("in.srt"), PathOf("out.ssa")}, "", "/dev/full", "write error on standard output"},
        {{PathOf("large.srt"), PathOf("target")},
         "ulimit -f 64; ",
         "",
         "File too large; the target file was not changed"},
    };
    for (const OutputCase& c : cases) {
        const CommandResult result = Run(c.arguments, c.shellPrefix, c.output);
        EXPECT_EQ(result.exitCode, 1) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(ReadFile("target"), "keep me");
}

// Stopped while its temporary file exists, then terminated: it removes that file and dies of the signal.
TEST_F(ConvertCommandTest, SignalsRemoveTheTemporaryFile)
{
    WriteFile("large.txt", Repeated("0001  00:00:20:13  00:00:24:01  " + std::string(4000, 'w') + "\r\n\r\n", 20000));
    WriteFile("target", "keep me");
    const auto temporaryFiles = [this] {
        return std::count_if(
            std::filesystem::directory_iterator(temp_.path()), std::filesystem::directory_iterator(),
            [](const auto& file) { return file.path().filename().string().rfind(".target.", 0) == 0; });
    };
    for (const int signal : {SIGINT, SIGTERM}) {
        const std::string source = PathOf("large.txt");
        const std::string target = PathOf("target");
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(VARNUTH_CONVERT, VARNUTH_CONVERT, "-f", "son", source.c_str(), target.c_str(), nullptr);
            ::_exit(127);
        }
        while (temporaryFiles() == 0 && ::waitpid(child, nullptr, WNOHANG) == 0) {
        }
        ::kill(child, SIGSTOP);
        const bool midRun = temporaryFiles() == 1;
        ::kill(child, signal);
        ::kill(child, SIGCONT);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(midRun) << "the run ended before it could be stopped";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(temporaryFiles(), 0);
        EXPECT_EQ(ReadFile("target"), "keep me");
    }
}

TEST_F(ConvertCommandTest, UsageErrorsExitWith2AndTouchNothing)
{
    WriteFile("in.srt", kSubRip);
    const std::string source = PathOf("in.srt");
    const std::string never = PathOf("never");
    const std::vector<std::pair<std::vector<std::string>, std::string>> calls = {
        {{"--frobnicate", source, never}, "unknown option '--frobnicate'"},
        {{"-bx.srt", source, never}, "unknown option '-b'"},
        {{"-f", "ass", source, never}, "unknown format 'ass'"},
        {{"--primary", "#12345", source, never}, "invalid colour"},
        {{"--primary", "16777216", source, never}, "invalid colour"},
        {{"--align", "middle", source, never}, "unknown alignment"},
        {{"--size", "18\r\nDialogue: injected", source, never}, "--size must not hold a line break"},
        {{"--margin-bottom", "14\n", source, never}, "--margin-bottom must not hold a line break"},
        {{"--font", "Arial\r", source, never}, "--font must not hold a line break"},
        {{"--font", "", source, never}, "--font must not be empty"},
        {{"--size", "", source, never}, "--size must not be empty"},
        {{"", never}, "SOURCE and TARGET must not be empty"},
        {{source, ""}, "SOURCE and TARGET must not be empty"},
        {{source}, "SOURCE and TARGET are both needed"},
        {{source, never, "extra"}, "too many operands"},
        {{source, never, "--font"}, "option '--font' needs a value"},
        {{"--sections", "-f", "son", source, never}, "--sections is for the SSA format only"},
        {{"--format=stl", "--sections", source, never}, "--sections is for the SSA format only"},
    };
    for (const auto& [call, message] : calls) {
        const CommandResult result = Run(call);
        EXPECT_EQ(result.exitCode, 2) << message;
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("varnuth-convert: " + message), std::string::npos) << message << result.err;
        EXPECT_NE(result.err.find("Usage: varnuth-convert"), std::string::npos) << result.err;
        EXPECT_FALSE(std::filesystem::exists(temp_.path() / "never")) << message;
    }
    const CommandResult help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: varnuth-convert [options] SOURCE TARGET\n", 0), 0U);
}

} // namespace
} // namespace varnuth::test
