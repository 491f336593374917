#include "Console.h"

#include "TargetFile.h"

#include <csignal>

namespace {

extern "C" void EndOnSignal(int number)
{
    varnuth::RemoveUnfinishedTarget();
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
