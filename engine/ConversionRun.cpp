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

constexpr std::size_t kLinesShown = 5;

void Convert(const ConversionRequest& request, SubtitleCounter& counter, UnconvertedLines& unconverted)
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
    case OutputFormat::SSA: ConvertSubRipToSsa(source, target, request, counter, unconverted); break;
    case OutputFormat::SON: ConvertSonicToSon(source, target, counter, unconverted); break;
    case OutputFormat::STL: ConvertSonicToStl(source, target, counter, unconverted); break;
    }
    source.Close();
    target.Close();
}

} // namespace

void UnconvertedLines::Add(long number, std::string_view reason)
{
    if (first.size() < kKept) {
        first.push_back({number, std::string(reason)});
    }
    ++total;
}

RunOutcome PerformConversion(const ConversionRequest& request)
{
    SubtitleCounter counter;
    RunOutcome outcome;
    try {
        if (!request.sourceName.empty() && !request.targetName.empty()) {
            Convert(request, counter, outcome.unconverted);
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
    std::string message = std::to_string(outcome.count) + std::string(kFinishedSuffix);
    const UnconvertedLines& unconverted = outcome.unconverted;
    if (unconverted.total == 0) {
        return message;
    }
    message +=
        "\n\n" + std::to_string(unconverted.total)
        + (unconverted.total == 1 ? " source line was not converted" : " source lines were not converted")
        + (unconverted.total > static_cast<long>(kLinesShown) ? ", the first " + std::to_string(kLinesShown) : "")
        + ":";
    for (std::size_t i = 0; i < unconverted.first.size() && i < kLinesShown; ++i) {
        message += "\nline " + std::to_string(unconverted.first[i].number) + ": " + unconverted.first[i].reason;
    }
    return message;
}

void RunConversion(const ConversionRequest& request, const ShowMessage& showMessage)
{
    showMessage(OutcomeMessage(PerformConversion(request)));
}

} // namespace varnuth
