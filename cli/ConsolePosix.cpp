#include "Console.h"

#include "TargetFile.h"

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
