// What needs a child process: resource limits, a kill, a huge line, other users, and runs side by side.

#include "TestSupport.h"

#include <gtest/gtest.h>

#include "TargetFile.h"

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <thread>

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMiB = std::size_t{1} << 20U;

constexpr bool kAddressSanitizer = VARNUTH_SANITIZE != 0;

// What a run in a child process reported: number -1 if it did not finish. The peak is the largest of any child's.
struct ChildRun {
    int number = -1;
    std::string description;
    long peakKib = 0;
};

// Runs \p body in a child process, so that limits, signal settings and the user stay there.
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

void LimitFileSize(void (*atLimit)(int))
{
    constexpr rlim_t kLimit = rlim_t{256} * 1024;
    const rlimit limit{kLimit, kLimit};
    std::signal(SIGXFSZ, atLimit);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// The kernel's signal at the file-size limit becomes SIGKILL, so the kill lands mid-run, every time.
extern "C" void KillSelf(int /*signal*/)
{
    ::raise(SIGKILL);
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

// However a run fails, the previous target and the source stay byte for byte, and no temporary file is left,
// except after SIGKILL, which nothing can clean up after: then at most one.
TEST(FaultTest, AFailedRunLeavesThePreviousTarget)
{
    const struct {
        OutputFormat format;
        std::string source;
        void (*prepare)(); // in the child, before the run
        int number;        // -1: the child is killed mid-run
    } cases[] = {
        {OutputFormat::SSA, Repeated(kSubRipEntry, 80000), [] { LimitFileSize(SIG_IGN); }, EFBIG},
        {OutputFormat::STL, Repeated(kSonicEntry, 80000), [] { LimitFileSize(SIG_IGN); }, EFBIG},
        {OutputFormat::SON, Repeated(kSonicEntry, 80000), [] { LimitFileSize(KillSelf); }, -1},
        {OutputFormat::STL, "0001  00:00:20:13  00:00:24:01  " + std::string(64 * kMiB, 'w'), LimitMemory, ENOMEM},
    };
    for (const auto& c : cases) {
        if (c.number == ENOMEM && kAddressSanitizer) {
            continue; // AddressSanitizer reserves its shadow memory beyond any such limit
        }
        const TempFolder temp;
        const fs::path source = temp.path() / "source.txt";
        const fs::path target = temp.path() / "target.txt";
        WriteBytes(source, c.source);
        WriteBytes(target, "the previous target\r\n");
        const ChildRun run = RunInChild([&] {
            c.prepare();
            return Convert(source, target, c.format);
        });
        EXPECT_EQ(run.number, c.number) << run.description;
        EXPECT_TRUE(c.number == -1 || run.description.ends_with("; the target file was not changed"));
        EXPECT_EQ(ReadBytes(target), "the previous target\r\n") << run.description;
        EXPECT_EQ(ReadBytes(source), c.source);
        EXPECT_LE(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), c.number == -1 ? 3 : 2);
    }
}

// Two runs into one target at the same time: the target ends as one whole output, never a mix of both.
TEST(FaultTest, ConcurrentRunsLeaveOneWholeOutput)
{
    const TempFolder temp;
    std::string outputs[2];
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
        const std::string text(static_cast<std::size_t>(2000 - 500 * i), static_cast<char>('a' + i));
        WriteBytes(temp.PathOf(std::to_string(i)),
                   Repeated("00:00:01,000 --> 00:00:04,000\r\n" + text + "\r\n\r\n", 4000));
        ASSERT_TRUE(Convert(temp.PathOf(std::to_string(i)), temp.PathOf("alone"), OutputFormat::SSA).succeeded());
        outputs[i] = ReadBytes(temp.PathOf("alone"));
    }
    for (int i = 0; i < 2; ++i) {
        if ((children[i] = ::fork()) == 0) {
            ::_exit(Convert(temp.PathOf(std::to_string(i)), temp.PathOf("target"), OutputFormat::SSA).error ? 1 : 0);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string result = ReadBytes(temp.PathOf("target"));
    EXPECT_TRUE(result == outputs[0] || result == outputs[1]) << result.size();
}

// Where no temporary file can be made, a writable target is written in place (its other name shows it); no link
// there is followed. Root writes into any folder, so the runs go as a user without those rights.
TEST(FaultTest, TargetInAnUnwritableFolder)
{
    const TempFolder temp;
    const fs::path folder = temp.path() / "out";
    WriteBytes(temp.path() / "source.srt", kSubRipEntry);
    fs::create_directory(folder);
    ASSERT_TRUE(Convert(temp.path() / "source.srt", folder / "expected.ssa", OutputFormat::SSA).succeeded());
    WriteBytes(folder / "existing.ssa", "old");
    WriteBytes(temp.path() / "elsewhere", "not yours");
    fs::create_hard_link(folder / "existing.ssa", folder / "other-name.ssa");
    fs::create_symlink(temp.path() / "elsewhere", folder / "link.ssa");
    fs::permissions(folder / "existing.ssa", fs::perms(0666));
    fs::permissions(temp.path(), fs::perms(0755));
    fs::permissions(folder, fs::perms(0555));
    for (const auto& [name, number] : {std::pair{"existing.ssa", 0}, {"new.ssa", EACCES}, {"link.ssa", ELOOP}}) {
        const fs::path target = folder / name; // a copy, as Clang 14 captures no structured binding
        const ChildRun run = RunInChild([&] {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                RunOutcome failed;
                failed.error = RunError(-1, "cannot become an ordinary user");
                return failed;
            }
            return Convert(temp.path() / "source.srt", target, OutputFormat::SSA);
        });
        EXPECT_EQ(run.number, number) << name << ": " << run.description;
    }
    EXPECT_EQ(ReadBytes(folder / "other-name.ssa"), ReadBytes(folder / "expected.ssa"));
    EXPECT_FALSE(fs::exists(folder / "new.ssa"));
    EXPECT_EQ(ReadBytes(temp.path() / "elsewhere"), "not yours");
}

// A plain user replacing files they may write but not own, in a sticky folder like /tmp: each keeps its owner,
// group and permissions, and takes the whole output.
TEST(FaultTest, APlainUserKeepsTheOwnerAndGroup)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to set up another user's files";
    }
    const TempFolder temp;
    WriteBytes(temp.path() / "source.srt", kSubRipEntry);
    ASSERT_TRUE(Convert(temp.path() / "source.srt", temp.path() / "expected.ssa", OutputFormat::SSA).succeeded());
    fs::permissions(temp.path(), fs::perms(01777));
    constexpr gid_t kShared = 100;
    // Owner, group and permissions of each file.
    const std::tuple<uid_t, gid_t, mode_t> cases[] = {{0, 0, 0666}, {0, kShared, 0660}, {65534, kShared, 0640}};
    for (const auto& [owner, group, mode] : cases) {
        const fs::path target = temp.path() / ("target" + std::to_string(owner) + std::to_string(group));
        WriteBytes(target, "old");
        ASSERT_EQ(::chown(target.c_str(), owner, group) | ::chmod(target.c_str(), mode), 0);
        const ChildRun run = RunInChild([&] {
            if (::setgroups(1, &kShared) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
                RunOutcome failed;
                failed.error = RunError(-1, "cannot become an ordinary user");
                return failed;
            }
            return Convert(temp.path() / "source.srt", target, OutputFormat::SSA);
        });
        struct stat status {};
        ::stat(target.c_str(), &status);
        EXPECT_EQ(run.number, 0) << run.description;
        EXPECT_EQ(std::tuple(status.st_uid, status.st_gid, status.st_mode & 07777), std::tuple(owner, group, mode));
        EXPECT_EQ(ReadBytes(target), ReadBytes(temp.path() / "expected.ssa"));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 5);
}

// The window's runs on their own threads, ended by a signal: every temporary file goes, and the process dies of it.
TEST(FaultTest, ASignalRemovesTheTemporaryFilesOfEveryRun)
{
    const TempFolder temp;
    WriteBytes(temp.path() / "source", Repeated(kSonicEntry, 20000));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        CleanUpOnSignals(PlacedOutput::EndsWithTheSignal);
        const auto run = [&](const std::string& target) {
            StyleSettings style = DefaultStyle();
            RunControl control{[calls = 0, &ready](std::uint64_t) mutable {
                                   if (++calls == 2) { // the target is open from the second buffer on
                                       (void)!::write(ready[1], "+", 1);
                                       ::pause();
                                   }
                               },
                               nullptr};
            (void)PerformConversion(DefaultRequest(temp.PathOf("source"), temp.PathOf(target), OutputFormat::SON),
                                    style, control);
        };
        std::thread first(run, "first");
        run("second");
        first.join();
        ::_exit(0);
    }
    char ok = 0;
    for (int runs = 0; runs < 2; ++runs) {
        ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 3);
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
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
        const OutputFormat format = lineFormat; // a copy, as Clang 14 captures no structured binding
        WriteBytes(source, lineStart + std::string(kLine - lineStart.size(), 'w'));
        const ChildRun run = RunInChild([&] { return Convert(source, temp.path() / "target", format); });
        EXPECT_EQ(run.number, 0) << lineStart << run.description;
        EXPECT_EQ(fs::file_size(source), kLine);
        // AddressSanitizer keeps freed memory in quarantine; the bound holds for normal builds.
        EXPECT_TRUE(kAddressSanitizer || run.peakKib < static_cast<long>(kLine / 1024) * 3 / 2) << run.peakKib;
    }
}

} // namespace
} // namespace varnuth::test
