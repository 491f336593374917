#include "Console.h"

#include "TargetFile.h"

#include <malloc.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

std::vector<std::string> CommandArguments(int argc, char** argv)
{
    return {argv, argv + argc};
}

void PrepareStandardStreams() {}

// Once the target is replaced, an interrupted command still says so.
void InstallInterruptCleanup()
{
    varnuth::CleanUpOnSignals(varnuth::PlacedOutput::IsReported);
}

void EndBatchOnInterrupt()
{
    varnuth::CleanUpOnSignals(varnuth::PlacedOutput::EndsWithTheSignal);
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

void KeepFreedMemory()
{
    // Above the buffers of a run, which are then taken from and returned to the heap; far below a job's share.
    constexpr int kMappedFrom = 1 << 20;
    constexpr int kKeptUpTo = 4 << 20;
    ::mallopt(M_MMAP_THRESHOLD, kMappedFrom);
    ::mallopt(M_TRIM_THRESHOLD, kKeptUpTo);
}
