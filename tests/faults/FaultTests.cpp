// The engine on a machine that fails: a full disk, a vanished folder, sources that never end, a huge line.
// Each run must end in a RunError (never the count) and leave the source as it was.

#include "../engine/TempFiles.h"
#include "ConversionRun.h"
#include "StyleSettings.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace varnuth {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = std::size_t{1024} * 1024;

// Sources of about `bytes` bytes, each subtitle converting to at least one target line.
std::string SubRipSource(std::size_t bytes)
{
    std::string source;
    for (int entry = 1; source.size() < bytes; ++entry) {
        source += std::to_string(entry) + "\r\n00:00:01,000 --> 00:00:04,000\r\nSome words of text\r\n\r\n";
    }
    return source;
}

std::string SonicSource(std::size_t bytes)
{
    std::string source;
    while (source.size() < bytes) {
        source += "0001  00:00:20:13  00:00:24:01  Some words of text\r\n\r\n";
    }
    return source;
}

class FaultTest : public test::TempFolderTest {
protected:
    static RunOutcome Convert(const fs::path& source, const fs::path& target, OutputFormat format)
    {
        StyleSettings style;
        style.SetDefaults();
        ConversionRequest request(style);
        request.sourceName = source.string();
        request.targetName = target.string();
        request.format = format;
        request.alignCentre = true;
        return PerformConversion(request);
    }
};

// What a run in a child process reported, or that it did not finish in time.
struct ChildRun {
    bool finished = false;
    bool succeeded = false;
    int number = 0;
    long peakGrowthKib = 0;
    std::string description;
};

// Runs `body` in a child process, so that limits and signal settings stay there, and kills it after `timeout`.
ChildRun RunInChild(const std::function<RunOutcome()>& body, int timeoutSeconds = 20)
{
    int channel[2];
    if (::pipe(channel) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // The child never returns into the test program, whatever happens in the run.
        try {
            ::close(channel[0]);
            rusage before{};
            ::getrusage(RUSAGE_SELF, &before);
            const RunOutcome outcome = body();
            rusage after{};
            ::getrusage(RUSAGE_SELF, &after);
            std::ostringstream report;
            report << outcome.succeeded() << ' ' << (outcome.error ? outcome.error->number() : 0) << ' '
                   << (after.ru_maxrss - before.ru_maxrss) << ' '
                   << (outcome.error ? outcome.error->description() : "");
            const std::string text = report.str();
            const bool sent = ::write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
            ::_exit(sent ? 0 : 1);
        } catch (...) {
            ::_exit(1);
        }
    }
    ::close(channel[1]);
    ChildRun run;
    std::string text;
    pollfd wait{channel[0], POLLIN, 0};
    char chunk[4096];
    for (;;) {
        if (::poll(&wait, 1, timeoutSeconds * 1000) <= 0) {
            ::kill(child, SIGKILL);
            break;
        }
        const ssize_t got = ::read(channel[0], chunk, sizeof chunk);
        if (got <= 0) {
            break;
        }
        text.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::istringstream report(text);
    run.finished =
        WIFEXITED(status) && WEXITSTATUS(status) == 0 && (report >> run.succeeded >> run.number >> run.peakGrowthKib);
    std::getline(report >> std::ws, run.description);
    return run;
}

struct FullDiskCase {
    const char* name;
    OutputFormat format;
    std::string (*source)(std::size_t);
};

void PrintTo(const FullDiskCase& value, std::ostream* out)
{
    *out << value.name;
}

class FullDiskTest : public FaultTest, public testing::WithParamInterface<FullDiskCase> {};

TEST_P(FullDiskTest, FileSizeLimitStopsTheRunPartWay)
{
    constexpr rlim_t kLimit = rlim_t{256} * 1024;
    const fs::path source = folder_ / "source.txt";
    const fs::path target = folder_ / "target.txt";
    const std::string bytes = GetParam().source(4 * kMiB);
    test::WriteBytes(source, bytes);

    const ChildRun run = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kLimit, kLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return Convert(source, target, GetParam().format);
    });

    ASSERT_TRUE(run.finished);
    EXPECT_FALSE(run.succeeded);
    EXPECT_EQ(run.number, EFBIG);
    EXPECT_NE(run.description.find(target.string()), std::string::npos) << run.description;
    EXPECT_EQ(run.description.find("rows finished"), std::string::npos) << run.description;
    EXPECT_EQ(fs::file_size(target), kLimit);
    EXPECT_EQ(test::ReadBytes(source), bytes);
}

TEST_P(FullDiskTest, DevFullReportsNoSpace)
{
    const fs::path source = folder_ / "source.txt";
    // A header alone fails at the closing flush; a large source fails while converting.
    for (const std::size_t size : {std::size_t{0}, 2 * kMiB}) {
        const std::string bytes = GetParam().source(size);
        test::WriteBytes(source, bytes);

        const RunOutcome outcome = Convert(source, "/dev/full", GetParam().format);

        ASSERT_FALSE(outcome.succeeded()) << size;
        EXPECT_EQ(outcome.error->number(), ENOSPC);
        EXPECT_NE(outcome.error->description().find("/dev/full"), std::string::npos);
        EXPECT_EQ(test::ReadBytes(source), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, FullDiskTest,
                         testing::Values(FullDiskCase{"SSA", OutputFormat::SSA, SubRipSource},
                                         FullDiskCase{"SON", OutputFormat::SON, SonicSource},
                                         FullDiskCase{"STL", OutputFormat::STL, SonicSource}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(FaultTest, TargetFolderRemovedOrReplacedBetweenRuns)
{
    const fs::path source = folder_ / "source.srt";
    const fs::path targetFolder = folder_ / "out";
    const fs::path target = targetFolder / "target.ssa";
    const std::string bytes = SubRipSource(1024);
    test::WriteBytes(source, bytes);
    fs::create_directory(targetFolder);
    ASSERT_TRUE(Convert(source, target, OutputFormat::SSA).succeeded());

    fs::remove_all(targetFolder);
    RunOutcome outcome = Convert(source, target, OutputFormat::SSA);
    ASSERT_FALSE(outcome.succeeded());
    EXPECT_EQ(outcome.error->number(), ENOENT);
    EXPECT_NE(outcome.error->description().find(target.string()), std::string::npos);

    // A file where the folder was stops root as well.
    test::WriteBytes(targetFolder, "not a folder");
    outcome = Convert(source, target, OutputFormat::SSA);
    ASSERT_FALSE(outcome.succeeded());
    EXPECT_EQ(outcome.error->number(), ENOTDIR);
    EXPECT_EQ(test::ReadBytes(targetFolder), "not a folder");
    EXPECT_EQ(test::ReadBytes(source), bytes);
}

TEST_F(FaultTest, TargetFolderMadeUnwritableBetweenRuns)
{
    const fs::path source = folder_ / "source.srt";
    const fs::path targetFolder = folder_ / "out";
    const std::string bytes = SubRipSource(1024);
    test::WriteBytes(source, bytes);
    fs::create_directory(targetFolder);
    ASSERT_TRUE(Convert(source, targetFolder / "first.ssa", OutputFormat::SSA).succeeded());

    fs::permissions(targetFolder, fs::perms::owner_read | fs::perms::owner_exec);
    // Root (CAP_DAC_OVERRIDE) creates files in a folder without write permission; only a probe tells.
    const fs::path probe = targetFolder / "probe";
    const int probeFile = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (probeFile >= 0) {
        ::close(probeFile);
        GTEST_SKIP() << "this user can write into a folder without write permission (root)";
    }
    const fs::path target = targetFolder / "second.ssa";
    const RunOutcome outcome = Convert(source, target, OutputFormat::SSA);
    ASSERT_FALSE(outcome.succeeded());
    EXPECT_EQ(outcome.error->number(), EACCES);
    EXPECT_NE(outcome.error->description().find(target.string()), std::string::npos);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(test::ReadBytes(source), bytes);
}

TEST_F(FaultTest, EndlessSourcesAreRefusedBeforeAnythingIsTouched)
{
    const fs::path fifo = folder_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path target = folder_ / "target.ssa";
    for (const fs::path& source : {fifo, fs::path("/dev/zero")}) {
        test::WriteBytes(target, "earlier content");
        const ChildRun run = RunInChild([&] { return Convert(source, target, OutputFormat::SSA); }, 10);

        ASSERT_TRUE(run.finished) << source << " hung";
        EXPECT_FALSE(run.succeeded);
        EXPECT_EQ(run.number, EINVAL);
        EXPECT_NE(run.description.find(source.string()), std::string::npos) << run.description;
        EXPECT_NE(run.description.find("not a regular file"), std::string::npos) << run.description;
        EXPECT_EQ(test::ReadBytes(target), "earlier content");
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
}

struct HugeLineCase {
    const char* name;
    OutputFormat format;
    const char* lineStart; // the huge line is this text followed by filler up to its size
};

void PrintTo(const HugeLineCase& value, std::ostream* out)
{
    *out << value.name;
}

class HugeLineTest : public FaultTest, public testing::WithParamInterface<HugeLineCase> {};

// A 100 MiB line without a line end converts holding that line about once, never several copies of it.
TEST_P(HugeLineTest, MemoryIsBoundedByTheLine)
{
    constexpr std::size_t kLine = 100 * kMiB;
    const fs::path source = folder_ / "source.txt";
    const fs::path target = folder_ / "target.txt";
    {
        std::ofstream out(source, std::ios::binary);
        out << GetParam().lineStart;
        const std::string filler(kMiB, 'w');
        for (std::size_t written = std::string_view(GetParam().lineStart).size(); written < kLine;
             written += filler.size()) {
            out.write(filler.data(), static_cast<std::streamsize>(std::min(filler.size(), kLine - written)));
        }
    }
    const auto sourceTime = fs::last_write_time(source);

    const ChildRun run = RunInChild([&] { return Convert(source, target, GetParam().format); }, 60);

    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.succeeded) << run.description;
    RecordProperty("peakGrowthKiB", std::to_string(run.peakGrowthKib));
    EXPECT_EQ(fs::file_size(source), kLine);
    EXPECT_EQ(fs::last_write_time(source), sourceTime);
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine; the bound holds for normal builds";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine; the bound holds for normal builds";
#endif
#endif
    constexpr long kBoundKib = static_cast<long>(kLine / 1024) * 3 / 2;
    EXPECT_LT(run.peakGrowthKib, kBoundKib);
}

INSTANTIATE_TEST_SUITE_P(
    AllFormats, HugeLineTest,
    testing::Values(HugeLineCase{"SsaText", OutputFormat::SSA, "00:00:01,000 --> 00:00:04,000\r\n"},
                    HugeLineCase{"SonEntry", OutputFormat::SON, "0001  00:00:20:13  00:00:24:01  "},
                    HugeLineCase{"StlEntry", OutputFormat::STL, "0001  00:00:20:13  00:00:24:01  "},
                    HugeLineCase{"StlContinuation", OutputFormat::STL, "continued "}),
    [](const auto& test) { return std::string(test.param.name); });

} // namespace
} // namespace varnuth
