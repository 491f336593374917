#include "ConversionRun.h"

#include "Converters.h"

#include <filesystem>

namespace varnuth {
namespace {

// Decided by file identity, so no other name of the source (a link, "./name") can get it emptied.
void RequireDifferentFile(const std::string& sourceName, const std::string& targetName)
{
    std::error_code error;
    if (std::filesystem::equivalent(sourceName, targetName, error)) {
        throw RunError(static_cast<int>(std::errc::file_exists),
                       "Cannot write the target file \"" + targetName + "\": it is the source file");
    }
}

void Convert(const ConversionRequest& request, SubtitleCounter& counter)
{
    LineReader source(request.sourceName);
    RequireDifferentFile(request.sourceName, request.targetName);
    // On a failure the destructors close both files, keeping the lines written so far.
    LineWriter target(request.targetName);
    // Players read the encoding from the mark; a UTF-16 source has been decoded to UTF-8, whose mark this is.
    if (source.HasByteOrderMark()) {
        target.WriteByteOrderMark();
    }
    switch (request.format) {
    case OutputFormat::SSA: ConvertSubRipToSsa(source, target, request, counter); break;
    case OutputFormat::SON: ConvertSonicToSon(source, target, counter); break;
    case OutputFormat::STL: ConvertSonicToStl(source, target, counter); break;
    }
    source.Close();
    target.Close();
}

} // namespace

RunOutcome PerformConversion(const ConversionRequest& request)
{
    SubtitleCounter counter;
    RunOutcome outcome;
    try {
        if (!request.sourceName.empty() && !request.targetName.empty()) {
            Convert(request, counter);
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
