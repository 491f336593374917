#include "ConversionRun.h"

#include "Converters.h"
#include "Formats.h"
#include "LineReader.h"
#include "LineWriter.h"
#include "SourceEncoding.h"
#include "SubtitleCounter.h"

#include <new>
#include <string_view>
#include <utility>

namespace varnuth {
namespace {

RunError OutOfMemory(std::string_view note)
{
    return {static_cast<int>(std::errc::not_enough_memory),
            "Out of memory: the conversion needs more memory than the system grants" + std::string(note)};
}

constexpr std::size_t kLinesShown = 5;

void ConvertFiles(const ConversionRequest& request, StyleSettings& style, const RunControl& control,
                  SubtitleCounter& counter, RunOutcome& outcome)
{
    const FormatEntry& format = FormatOf(request.format);
    std::string encoding;
    if (format.utf8Text) {
        // Standard input cannot be read twice: without a name for its encoding it is taken as UTF-8.
        const bool detect = request.sourceEncoding.empty() && request.sourceOpening == Opening::ByName;
        encoding = detect ? DetectSourceEncoding(request.sourceName) : request.sourceEncoding;
    }
    LineReader source(request.sourceName, &control, encoding, request.sourceOpening);
    outcome.decodedFrom = source.DecodedFrom();
    outcome.sourceLooksLikeUtf16 = source.LooksLikeUtf16();
    LineWriter target(request.targetName, source.Identity(), control.cancel, request.targetOpening);
    try {
        // Players read the encoding from the mark; a UTF-16 source has been decoded to UTF-8, whose mark this is.
        if (source.HasByteOrderMark()) {
            target.WriteByteOrderMark();
        }
        format.convert(source, target, request, style, counter, outcome.unconverted);
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

} // namespace

std::optional<std::string> StyleValuesProblem(const ConversionRequest& request)
{
    if (!FormatOf(request.format).usesStyle) {
        return std::nullopt;
    }
    for (const auto& [margin, text] : {std::pair<const char*, const std::string&>{"left", request.marginLeft},
                                       {"right", request.marginRight},
                                       {"bottom", request.marginBottom}}) {
        // It would end the style line early and start a line of the user's making in the script.
        if (text.find_first_of("\r\n") != std::string::npos) {
            return "The " + std::string(margin) + " margin must not hold a line break";
        }
        if (request.format == OutputFormat::ASS && !AssMargin(text)) {
            return "The " + std::string(margin)
                   + " margin must be a whole number from 0 to 9999 for an ASS script, not \"" + text + "\"";
        }
    }
    return std::nullopt;
}

RunOutcome PerformConversion(const ConversionRequest& request, StyleSettings& style, const RunControl& control)
{
    SubtitleCounter counter;
    RunOutcome outcome;
    try {
        if (const std::optional<std::string> problem = StyleValuesProblem(request)) {
            throw RunError(static_cast<int>(std::errc::invalid_argument), *problem);
        }
        // Nothing to convert is no success.
        for (const auto& [name, which] : {std::pair{&request.sourceName, "source"}, {&request.targetName, "target"}}) {
            if (name->empty()) {
                throw RunError(static_cast<int>(std::errc::invalid_argument),
                               std::string("No ") + which + " file name was given");
            }
        }
        ConvertFiles(request, style, control, counter, outcome);
    } catch (const RunError& error) {
        outcome.error = error;
    } catch (const std::bad_alloc&) {
        // Before the target was opened; a failed allocation ends the run like any other failure, not the program.
        outcome.error = OutOfMemory({});
    }
    outcome.count = counter.value();
    outcome.written = counter.written();
    return outcome;
}

std::string CountMessage(const RunOutcome& outcome)
{
    std::string message = std::to_string(outcome.count) + std::string(kFinishedSuffix);
    if (outcome.written && *outcome.written != outcome.count) {
        message += "\n" + std::to_string(*outcome.written)
                   + (*outcome.written == 1 ? " subtitle written" : " subtitles written");
    }
    return message;
}

std::string OutcomeMessage(const RunOutcome& outcome)
{
    const std::string utf16Note = outcome.sourceLooksLikeUtf16 ? "\n\n" + std::string(kLooksLikeUtf16) : "";
    if (outcome.error) {
        return outcome.error->description() + utf16Note;
    }
    std::string message = CountMessage(outcome) + utf16Note;
    if (!outcome.decodedFrom.empty()) {
        message += "\n\n" + DecodedFromNote(outcome.decodedFrom);
    }
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

std::string DecodedFromNote(const std::string& encoding)
{
    return "The source is not UTF-8: it was read as " + encoding + ".";
}

void RunConversion(const ConversionRequest& request, StyleSettings& style, const ShowMessage& showMessage)
{
    showMessage(OutcomeMessage(PerformConversion(request, style)));
}

} // namespace varnuth
