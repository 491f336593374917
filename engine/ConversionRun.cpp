#include "ConversionRun.h"

#include "Converters.h"

#include <new>
#include <string_view>

namespace varnuth {
namespace {

RunError OutOfMemory(std::string_view note)
{
    return {static_cast<int>(std::errc::not_enough_memory),
            "Out of memory: the conversion needs more memory than the system grants" + std::string(note)};
}

void ConvertFiles(const ConversionRequest& request, const RunControl& control, SubtitleCounter& counter)
{
    LineReader source(request.sourceName, &control);
    LineWriter target(request.targetName, source.Identity());
    try {
        switch (request.format) {
        case OutputFormat::SSA: ConvertSubRipToSsa(source, target, request, counter); break;
        case OutputFormat::SON: ConvertSonicToSon(source, target, counter); break;
        case OutputFormat::STL: ConvertSonicToStl(source, target, counter); break;
        }
        source.Close();
        target.Close();
    } catch (const RunError& error) {
        target.CloseAfterFailure();
        throw RunError(error.number(), error.description() + std::string(target.FailureNote()));
    } catch (const std::bad_alloc&) {
        target.CloseAfterFailure();
        throw OutOfMemory(target.FailureNote());
    }
}

// A failed allocation ends the run like any other failure, not the program.
void Convert(const ConversionRequest& request, const RunControl& control, SubtitleCounter& counter)
{
    try {
        ConvertFiles(request, control, counter);
    } catch (const std::bad_alloc&) {
        throw OutOfMemory({});
    }
}

} // namespace

RunOutcome PerformConversion(const ConversionRequest& request, const RunControl& control)
{
    SubtitleCounter counter;
    RunOutcome outcome;
    try {
        if (!request.sourceName.empty() && !request.targetName.empty()) {
            Convert(request, control, counter);
        }
    } catch (const RunError& error) {
        outcome.error = error;
    }
    outcome.count = counter.value();
    return outcome;
}

std::string OutcomeMessage(const RunOutcome& outcome)
{
    if (outcome.error) {
        return outcome.error->description();
    }
    return std::to_string(outcome.count) + std::string(kFinishedSuffix);
}

void RunConversion(const ConversionRequest& request, const ShowMessage& showMessage)
{
    showMessage(OutcomeMessage(PerformConversion(request)));
}

} // namespace varnuth
