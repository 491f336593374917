#include "Console.h"

#include "TargetFile.h"

#include <malloc.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string_view>
#include <thread>

namespace {

constexpr std::string_view kClearLine = "\r\033[K";
volatile std::sig_atomic_t progressLineShown = 0;

extern "C" void EndOnSignal(int number)
{
    varnuth::RemoveUnfinishedTarget();
    if (progressLineShown != 0) {
        [[maybe_unused]] const ssize_t cleared = ::write(STDERR_FILENO, kClearLine.data(), kClearLine.size());
    }
    std::signal(number, SIG_DFL);
    std::raise(number);
}

} // namespace

std::vector<std::string> CommandArguments(int argc, char** argv)
{
    return {argv, argv + argc};
}

void PrepareStandardStreams() {}

void InstallInterruptCleanup()
{
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = EndOnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(number, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

unsigned UsableProcessors()
{
    cpu_set_t usable;
    CPU_ZERO(&usable);
    if (::sched_getaffinity(0, sizeof usable, &usable) == 0 && CPU_COUNT(&usable) > 0) {
        return static_cast<unsigned>(CPU_COUNT(&usable));
    }
    return std::max(1U, std::thread::hardware_concurrency());
}

std::size_t StandardErrorColumns()
{
    constexpr std::size_t kUsualColumns = 80;
    if (::isatty(STDERR_FILENO) != 1) {
        return 0;
    }
    winsize size {};
    return ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 ? size.ws_col : kUsualColumns;
}

bool IsStandardOutput(const std::string& name)
{
    struct stat output {};
    struct stat named {};
    return ::fstat(STDOUT_FILENO, &output) == 0 && ::stat(name.c_str(), &named) == 0 && output.st_dev == named.st_dev
           && output.st_ino == named.st_ino;
}

void SetProgressLineShown(bool shown) noexcept
{
    progressLineShown = shown ? 1 : 0;
}

void KeepFreedMemory()
{
    // Above the buffers of a run, which are then taken from and returned to the heap; far below a job's share.
    constexpr int kMappedFrom = 1 << 20;
    constexpr int kKeptUpTo = 4 << 20;
    ::mallopt(M_MMAP_THRESHOLD, kMappedFrom);
    ::mallopt(M_TRIM_THRESHOLD, kKeptUpTo);
}
