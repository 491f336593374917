#pragma once

#include "ConversionRun.h"
#include "FuzzFiles.h"
#include "StyleSettings.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace varnuth::fuzz {

/// What the harness learnt from one run: its outcome and the target's bytes.
struct ConversionResult {
    RunOutcome outcome;
    std::string target;
};

[[nodiscard]] inline std::size_t CountLines(std::string_view bytes)
{
    std::size_t lines = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string_view::npos; at = bytes.find("\r\n", at + 2)) {
        ++lines;
    }
    return lines;
}

/// Converts the fuzzer's bytes as a source file and checks what holds for every run of every format: a
/// failure has a number and a text, the source is untouched, and the target is whole CR LF lines.
inline ConversionResult ConvertBytes(OutputFormat format, std::string_view bytes)
{
    const std::string sourceName = Scratch().File("source");
    const std::string targetName = Scratch().File("target");
    WriteBytes(sourceName, bytes);
    // A run that fails before opening the target must not be judged by the previous run's target.
    std::error_code ignored;
    std::filesystem::remove(targetName, ignored);

    StyleSettings style;
    style.SetDefaults();
    ConversionRequest request;
    request.sourceName = sourceName;
    request.targetName = targetName;
    request.format = format;
    request.alignCentre = true;
    request.marginLeft = "10";
    request.marginRight = "10";
    request.marginBottom = "14";

    ConversionResult result{PerformConversion(request, style), ReadBytes(targetName)};
    const bool describedFailure =
        result.outcome.succeeded()
        || (result.outcome.error->number() != 0 && !result.outcome.error->description().empty());
    // A UTF-16 source that cannot be decoded at its start fails before the target is created.
    const bool wholeLines = (result.target.size() >= 2 && result.target.ends_with("\r\n"))
                            || (!result.outcome.succeeded() && result.target.empty());
    if (!describedFailure || !wholeLines || ReadBytes(sourceName) != bytes || result.outcome.count < 0) {
        std::abort();
    }
    return result;
}

} // namespace varnuth::fuzz
