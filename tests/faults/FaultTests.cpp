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
#include <vector>

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

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

void LimitFileSize()
{
    constexpr rlim_t kLimit = rlim_t{256} * 1024;
    const rlimit limit{kLimit, kLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Leaves room for what the process holds now and little more, so a huge line cannot be stored.
void LimitMemory()
{
    constexpr rlim_t kRoom = rlim_t{48} * 1024 * 1024;
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + kRoom;
    const rlimit memory{limit, limit};
    ::setrlimit(RLIMIT_AS, &memory);
}

extern "C" void KillSelf(int /*signal*/)
{
    ::raise(SIGKILL);
}

struct FailedRunCase {
    const char* name;
    OutputFormat format;
    std::string source;
    void (*prepare)(); // in the child, before the run
    int number;        // 0: the child is killed mid-run
};

// However a run fails, the previous target stays byte for byte, the source too, and no temporary file is left,
// except after SIGKILL, which nothing can clean up after: then at most one.
TEST_F(FaultTest, AFailedRunLeavesThePreviousTarget)
{
    const std::string shortLine = SonicSource(kMiB) + "0002  00:01:02:00  00:01:04:29\r\n";
    const std::string hugeLine = "0001  00:00:20:13  00:00:24:01  " + std::string(64 * kMiB, 'w');
    const FailedRunCase cases[] = {
        {"short line", OutputFormat::SON, shortLine, [] {}, EINVAL},
        {"file-size limit, SSA", OutputFormat::SSA, SubRipSource(4 * kMiB),
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             LimitFileSize();
         },
         EFBIG},
        {"file-size limit, STL", OutputFormat::STL, SonicSource(4 * kMiB),
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             LimitFileSize();
         },
         EFBIG},
        {"out of memory", OutputFormat::STL, hugeLine, LimitMemory, ENOMEM},
        // The kernel's signal at the file-size limit becomes SIGKILL, so the kill lands mid-run, every time.
        {"SIGKILL", OutputFormat::SON, SonicSource(4 * kMiB),
         [] {
             std::signal(SIGXFSZ, KillSelf);
             LimitFileSize();
         },
         0},
    };
    const fs::path source = folder_ / "source.txt";
    const fs::path target = folder_ / "target.txt";
    const std::string previous = "the previous target\r\n";
    for (const FailedRunCase& c : cases) {
        if (c.number == ENOMEM && kAddressSanitizer) {
            continue; // AddressSanitizer reserves its shadow memory beyond any such limit
        }
        test::WriteBytes(source, c.source);
        test::WriteBytes(target, previous);

        const ChildRun run = RunInChild([&] {
            c.prepare();
            return Convert(source, target, c.format);
        });

        EXPECT_EQ(test::ReadBytes(target), previous) << c.name;
        EXPECT_EQ(test::ReadBytes(source), c.source) << c.name;
        std::vector<std::string> others;
        for (const auto& file : fs::directory_iterator(folder_)) {
            if (file.path() != source && file.path() != target) {
                others.push_back(file.path().filename().string());
            }
        }
        if (c.number == 0) {
            EXPECT_FALSE(run.finished) << c.name;
            ASSERT_LE(others.size(), 1U) << c.name;
            if (!others.empty()) {
                EXPECT_EQ(others.front().rfind(".target.txt.", 0), 0U) << others.front();
                fs::remove(folder_ / others.front());
            }
            continue;
        }
        ASSERT_TRUE(run.finished) << c.name;
        EXPECT_FALSE(run.succeeded) << c.name;
        EXPECT_EQ(run.number, c.number) << c.name << ": " << run.description;
        EXPECT_TRUE(run.description.ends_with("; the target file was not changed")) << run.description;
        EXPECT_TRUE(others.empty()) << c.name << ": " << others.front();
    }
}

// Two runs into one target at the same time: the target ends as one whole output, never a mix of both.
TEST_F(FaultTest, ConcurrentRunsLeaveOneWholeOutput)
{
    // Long texts, so that both runs last long enough to overlap without reaching the count's limit.
    std::string sources[2];
    for (int entry = 1; entry <= 4000; ++entry) {
        sources[0] += "00:00:01,000 --> 00:00:04,000\r\n" + std::string(2000, 'a') + "\r\n\r\n";
        sources[1] += "00:00:02,000 --> 00:00:03,000\r\n" + std::string(1500, 'b') + "\r\n\r\n";
    }
    std::string outputs[2];
    for (int i = 0; i < 2; ++i) {
        test::WriteBytes(folder_ / ("source" + std::to_string(i)), sources[i]);
        ASSERT_TRUE(
            Convert(folder_ / ("source" + std::to_string(i)), folder_ / "alone", OutputFormat::SSA).succeeded());
        outputs[i] = test::ReadBytes(folder_ / "alone");
    }
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
        children[i] = ::fork();
        if (children[i] == 0) {
            const bool succeeded =
                Convert(folder_ / ("source" + std::to_string(i)), folder_ / "target", OutputFormat::SSA).succeeded();
            ::_exit(succeeded ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string result = test::ReadBytes(folder_ / "target");
    EXPECT_TRUE(result == outputs[0] || result == outputs[1]) << result.size();
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

// Where no temporary file can be made, a writable target is written in place; no link there is followed.
TEST_F(FaultTest, TargetInAnUnwritableFolder)
{
    const fs::path source = folder_ / "source.srt";
    const fs::path targetFolder = folder_ / "out";
    const std::string bytes = SubRipSource(1024);
    test::WriteBytes(source, bytes);
    fs::create_directory(targetFolder);
    ASSERT_TRUE(Convert(source, targetFolder / "expected.ssa", OutputFormat::SSA).succeeded());
    const std::string expected = test::ReadBytes(targetFolder / "expected.ssa");
    test::WriteBytes(targetFolder / "existing.ssa", "old");
    test::WriteBytes(folder_ / "elsewhere", "not yours");
    fs::create_symlink(folder_ / "elsewhere", targetFolder / "link.ssa");
    fs::permissions(targetFolder / "existing.ssa", fs::perms(0666));
    fs::permissions(folder_, fs::perms(0755));
    fs::permissions(targetFolder, fs::perms(0555));
    struct stat before {};
    ASSERT_EQ(::stat((targetFolder / "existing.ssa").c_str(), &before), 0);
    // Root writes into any folder, so the runs go as a user without those rights.
    const auto runAsUser = [&](const fs::path& target) {
        return RunInChild([&] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                return RunOutcome{0, RunError(-1, "cannot become an ordinary user"), {}};
            }
            return Convert(source, target, OutputFormat::SSA);
        });
    };

    ChildRun run = runAsUser(targetFolder / "existing.ssa");
    ASSERT_TRUE(run.finished && run.succeeded) << run.description;
    EXPECT_EQ(test::ReadBytes(targetFolder / "existing.ssa"), expected);
    struct stat after {};
    ::stat((targetFolder / "existing.ssa").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);

    run = runAsUser(targetFolder / "new.ssa");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.number, EACCES) << run.description;
    EXPECT_FALSE(fs::exists(targetFolder / "new.ssa"));

    run = runAsUser(targetFolder / "link.ssa");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.number, ELOOP) << run.description;
    EXPECT_NE(run.description.find("symbolic link"), std::string::npos) << run.description;
    EXPECT_EQ(test::ReadBytes(folder_ / "elsewhere"), "not yours");
    EXPECT_EQ(test::ReadBytes(source), bytes);
}

// A pipe as the target: with no program reading it the run fails at once instead of waiting for one.
TEST_F(FaultTest, APipeTargetWithoutReaderFailsAtOnce)
{
    const fs::path source = folder_ / "source.srt";
    const fs::path fifo = folder_ / "fifo";
    test::WriteBytes(source, SubRipSource(1024));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    const ChildRun run = RunInChild([&] { return Convert(source, fifo, OutputFormat::SSA); }, 10);

    ASSERT_TRUE(run.finished) << "the run waited for a reader";
    EXPECT_EQ(run.number, ENXIO);
    EXPECT_NE(run.description.find("no program is reading"), std::string::npos) << run.description;
    EXPECT_TRUE(fs::is_fifo(fifo));
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

// A line just under 128 MiB without a line end converts holding that line about once, never several copies of it,
// also when the conversion puts a longer text in place of its start.
TEST_P(HugeLineTest, MemoryIsBoundedByTheLine)
{
    constexpr std::size_t kLine = 128 * kMiB - 16;
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
    if (kAddressSanitizer) {
        GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine; the bound holds for normal builds";
    }
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
