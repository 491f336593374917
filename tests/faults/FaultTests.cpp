// What needs a child process: resource limits, a kill, a huge line, and runs side by side.
// Each run must end in a RunError (never the count) and leave the source and the previous target as they were.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = std::size_t{1} << 20U;

#ifdef VARNUTH_SANITIZE
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

RunOutcome Convert(const fs::path& source, const fs::path& target, OutputFormat format)
{
    StyleSettings style = DefaultStyle();
    return PerformConversion(DefaultRequest(source.string(), target.string(), format), style);
}

// What a run in a child process reported: number -1 if it did not finish. The peak is the largest of any child's.
struct ChildRun {
    int number = -1;
    std::string description;
    long peakKib = 0;
};

// Runs `body` in a child process, so that limits and signal settings stay there.
ChildRun RunInChild(const std::function<RunOutcome()>& body)
{
    const TempFolder temp;
    const std::string report = temp.PathOf("report");
    fs::permissions(temp.path(), fs::perms::all); // also for a child that gives up root
    if (::fork() == 0) {
        try { // the child never returns into the test program
            const RunOutcome outcome = body();
            std::ofstream(report) << (outcome.error ? outcome.error->number() : 0) << ' ' << OutcomeMessage(outcome);
        } catch (...) {
        }
        ::_exit(0);
    }
    ::wait(nullptr);
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    ChildRun run{-1, {}, usage.ru_maxrss};
    std::ifstream in(report);
    if (in >> run.number) {
        std::getline(in >> std::ws, run.description);
    }
    return run;
}

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

// However a run fails, the previous target stays byte for byte, the source too, and no temporary file is left,
// except after SIGKILL, which nothing can clean up after: then at most one.
TEST(FaultTest, AFailedRunLeavesThePreviousTarget)
{
    const struct {
        const char* name;
        OutputFormat format;
        std::string source;
        void (*prepare)(); // in the child, before the run
        int number;        // -1: the child is killed mid-run
    } cases[] = {
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
        {"out of memory", OutputFormat::STL, "0001  00:00:20:13  00:00:24:01  " + std::string(64 * kMiB, 'w'),
         LimitMemory, ENOMEM},
        // The kernel's signal at the file-size limit becomes SIGKILL, so the kill lands mid-run, every time.
        {"SIGKILL", OutputFormat::SON, SonicSource(4 * kMiB),
         [] {
             std::signal(SIGXFSZ, KillSelf);
             LimitFileSize();
         },
         -1},
    };
    const TempFolder temp;
    const fs::path source = temp.path() / "source.txt";
    const fs::path target = temp.path() / "target.txt";
    const std::string previous = "the previous target\r\n";
    for (const auto& c : cases) {
        if (c.number == ENOMEM && kAddressSanitizer) {
            continue; // AddressSanitizer reserves its shadow memory beyond any such limit
        }
        WriteBytes(source, c.source);
        WriteBytes(target, previous);
        const ChildRun run = RunInChild([&] {
            c.prepare();
            return Convert(source, target, c.format);
        });
        EXPECT_EQ(ReadBytes(target), previous) << c.name;
        EXPECT_EQ(ReadBytes(source), c.source) << c.name;
        std::vector<std::string> others;
        for (const auto& file : fs::directory_iterator(temp.path())) {
            if (file.path() != source && file.path() != target) {
                others.push_back(file.path().filename().string());
                fs::remove(file.path());
            }
        }
        EXPECT_EQ(run.number, c.number) << c.name << ": " << run.description;
        EXPECT_LE(others.size(), c.number == -1 ? 1U : 0U) << c.name;
        EXPECT_TRUE(others.empty() || others.front().starts_with(".target.txt.")) << others.front();
        EXPECT_TRUE(c.number == -1 || run.description.ends_with("; the target file was not changed")) << c.name;
    }
}

// Two runs into one target at the same time: the target ends as one whole output, never a mix of both.
TEST(FaultTest, ConcurrentRunsLeaveOneWholeOutput)
{
    const TempFolder temp;
    std::string outputs[2];
    for (int i = 0; i < 2; ++i) {
        const std::string text(static_cast<std::size_t>(2000 - 500 * i), static_cast<char>('a' + i));
        WriteBytes(temp.path() / std::to_string(i),
                   Repeated("00:00:01,000 --> 00:00:04,000\r\n" + text + "\r\n\r\n", 4000));
        ASSERT_TRUE(Convert(temp.path() / std::to_string(i), temp.path() / "alone", OutputFormat::SSA).succeeded());
        outputs[i] = ReadBytes(temp.path() / "alone");
    }
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
        children[i] = ::fork();
        if (children[i] == 0) {
            ::_exit(Convert(temp.path() / std::to_string(i), temp.path() / "target", OutputFormat::SSA).succeeded()
                        ? 0
                        : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string result = ReadBytes(temp.path() / "target");
    EXPECT_TRUE(result == outputs[0] || result == outputs[1]) << result.size();
}

// Where no temporary file can be made, a writable target is written in place; no link there is followed. Root
// writes into any folder, so the runs go as a user without those rights.
TEST(FaultTest, TargetInAnUnwritableFolder)
{
    const TempFolder temp;
    const fs::path source = temp.path() / "source.srt";
    const fs::path folder = temp.path() / "out";
    WriteBytes(source, SubRipSource(1024));
    fs::create_directory(folder);
    ASSERT_TRUE(Convert(source, folder / "expected.ssa", OutputFormat::SSA).succeeded());
    WriteBytes(folder / "existing.ssa", "old");
    WriteBytes(temp.path() / "elsewhere", "not yours");
    fs::create_symlink(temp.path() / "elsewhere", folder / "link.ssa");
    fs::permissions(folder / "existing.ssa", fs::perms(0666));
    fs::permissions(temp.path(), fs::perms(0755));
    fs::permissions(folder, fs::perms(0555));
    struct stat before {};
    ASSERT_EQ(::stat((folder / "existing.ssa").c_str(), &before), 0);
    const std::pair<const char*, int> cases[] = {{"existing.ssa", 0}, {"new.ssa", EACCES}, {"link.ssa", ELOOP}};
    for (const auto& [unsharedName, number] : cases) {
        const std::string name = unsharedName; // captured below, which Clang 14 refuses for a structured binding
        const ChildRun run = RunInChild([&] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                return RunOutcome{0, RunError(-1, "cannot become an ordinary user"), {}};
            }
            return Convert(source, folder / name, OutputFormat::SSA);
        });
        EXPECT_EQ(run.number, number) << name << ": " << run.description;
    }
    EXPECT_EQ(ReadBytes(folder / "existing.ssa"), ReadBytes(folder / "expected.ssa"));
    struct stat after {};
    ::stat((folder / "existing.ssa").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_FALSE(fs::exists(folder / "new.ssa"));
    EXPECT_EQ(ReadBytes(temp.path() / "elsewhere"), "not yours");
}

// A line just under 128 MiB without a line end converts holding that line about once, never several copies of it,
// also when the conversion puts a longer text in place of its start.
TEST(FaultTest, HugeLineMemoryIsBoundedByTheLine)
{
    constexpr std::size_t kLine = 128 * kMiB - 16;
    const TempFolder temp;
    const fs::path source = temp.path() / "source.txt";
    const std::pair<OutputFormat, std::string> cases[] = {{OutputFormat::SSA, "00:00:01,000 --> 00:00:04,000\r\n"},
                                                          {OutputFormat::SON, "0001  00:00:20:13  00:00:24:01  "},
                                                          {OutputFormat::STL, "0001  00:00:20:13  00:00:24:01  "},
                                                          {OutputFormat::STL, "continued "}};
    for (const auto& [lineFormat, lineStart] : cases) {
        const OutputFormat format = lineFormat; // captured below, which Clang 14 refuses for a structured binding
        WriteBytes(source, lineStart + std::string(kLine - lineStart.size(), 'w'));
        const auto sourceTime = fs::last_write_time(source);
        const ChildRun run = RunInChild([&] { return Convert(source, temp.path() / "target", format); });
        EXPECT_EQ(run.number, 0) << lineStart << run.description;
        EXPECT_EQ(fs::file_size(source), kLine);
        EXPECT_EQ(fs::last_write_time(source), sourceTime);
        // AddressSanitizer keeps freed memory in quarantine; the bound holds for normal builds.
        EXPECT_TRUE(kAddressSanitizer || run.peakKib < static_cast<long>(kLine / 1024) * 3 / 2) << run.peakKib;
    }
}

} // namespace
} // namespace varnuth::test
