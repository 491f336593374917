#include "ConversionBatch.h"

#include "Formats.h"
#include "SystemFiles.h"
#include "TargetFile.h"

#include <algorithm>
#include <mutex>
#include <string_view>
#include <set>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

namespace varnuth {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\:";
#else
constexpr std::string_view kSeparators = "/";
#endif

RunError Refusal(std::errc number, const std::string& description)
{
    return {static_cast<int>(number), description};
}

std::string Quoted(const std::string& name)
{
    return "\"" + name + "\"";
}

void RequireFolder(const std::string& folder, std::size_t sources)
{
    if (folder.empty()) {
        throw Refusal(std::errc::invalid_argument,
                      "Name a target folder for the " + std::to_string(sources) + " source files");
    }
    if (const int error = FolderError(folder); error != 0) {
        throw RunError(std::error_code(error, std::generic_category()), "The target folder " + Quoted(folder));
    }
}

RunOutcome CancelledBeforeStart()
{
    RunOutcome outcome;
    outcome.error = RunError(static_cast<int>(std::errc::operation_canceled),
                             "Cancelled before it started; the target file was not changed");
    return outcome;
}

/// The sources still to start, handed to the workers one at a time, and the outcomes, handed on in order.
class Batch {
public:
    Batch(const std::vector<ConversionRequest>& requests, const BatchControl& control)
        : requests_(requests), control_(control), outcomes_(requests.size()), done_(requests.size(), false)
    {
    }

    /// Runs sources until none is left, with \p style as this worker's own; returns the last index it ran.
    std::size_t Work(StyleSettings& style)
    {
        std::size_t last = 0;
        for (std::size_t index = next_++; index < requests_.size(); index = next_++) {
            Finish(index, Cancelled() ? CancelledBeforeStart() : Run(index, style));
            last = index;
        }
        return last;
    }

    std::vector<RunOutcome> TakeOutcomes() { return std::move(outcomes_); }

private:
    [[nodiscard]] bool Cancelled() const { return control_.cancel != nullptr && control_.cancel->load(); }

    RunOutcome Run(std::size_t index, StyleSettings& style)
    {
        if (control_.started) {
            const std::lock_guard lock(mutex_);
            control_.started(index);
        }
        RunControl run{{}, control_.cancel};
        if (control_.progress) {
            run.progress = [this, index](std::uint64_t bytesRead) { control_.progress(index, bytesRead); };
        }
        return PerformConversion(requests_[index], style, run);
    }

    void Finish(std::size_t index, RunOutcome outcome)
    {
        const std::lock_guard lock(mutex_);
        outcomes_[index] = std::move(outcome);
        done_[index] = true;
        for (; reported_ < done_.size() && done_[reported_]; ++reported_) {
            if (control_.finished) {
                control_.finished(reported_, outcomes_[reported_]);
            }
        }
    }

    const std::vector<ConversionRequest>& requests_;
    const BatchControl& control_;
    std::atomic<std::size_t> next_ = 0;
    std::mutex mutex_;
    std::vector<RunOutcome> outcomes_;
    std::vector<bool> done_;
    std::size_t reported_ = 0;
};

} // namespace

std::string BaseName(const std::string& name)
{
    const std::size_t slash = name.find_last_of(kSeparators);
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string TargetNameIn(const std::string& folder, const std::string& source, OutputFormat format)
{
    const std::string base = BaseName(source);
    if (base.empty() || base == "." || base == "..") {
        return {};
    }
    // A leading dot starts a hidden name, not an extension.
    const std::size_t dot = base.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
    const bool separated = folder.empty() || kSeparators.find(folder.back()) != std::string_view::npos;
    const std::string separator = separated ? "" : "/";
    return folder + separator + stem + "." + std::string(FormatOf(format).extension);
}

std::vector<ConversionRequest> PlanBatch(const std::vector<std::string>& sources, const std::string& folder,
                                         const ConversionRequest& model)
{
    RequireFolder(folder, sources.size());
    std::vector<ConversionRequest> requests;
    std::unordered_map<std::string, const std::string*> sourceOfTarget;
    std::set<std::pair<std::uint64_t, std::uint64_t>> sourceFiles;
    for (const std::string& source : sources) {
        ConversionRequest& request = requests.emplace_back(model);
        request.sourceName = source;
        request.targetName = TargetNameIn(folder, source, model.format);
        if (request.targetName.empty()) {
            throw Refusal(std::errc::invalid_argument, "The source " + Quoted(source) + " names no file");
        }
        const auto [earlier, added] = sourceOfTarget.try_emplace(request.targetName, &source);
        if (!added) {
            throw Refusal(std::errc::file_exists, "The sources " + Quoted(*earlier->second) + " and " + Quoted(source)
                                                      + " would both write " + Quoted(request.targetName));
        }
        if (const std::optional<FileIdentity> identity = IdentityOfName(source)) {
            sourceFiles.emplace(identity->device, identity->inode);
        }
    }
    for (const ConversionRequest& request : requests) {
        const std::optional<FileIdentity> identity = IdentityOfName(request.targetName);
        if (identity && sourceFiles.contains({identity->device, identity->inode})) {
            throw Refusal(std::errc::file_exists, "The target " + Quoted(request.targetName) + " of "
                                                      + Quoted(request.sourceName) + " is also a source");
        }
    }
    return requests;
}

std::vector<RunOutcome> PerformBatch(const std::vector<ConversionRequest>& requests, StyleSettings& style,
                                     const BatchControl& control)
{
    if (requests.empty()) {
        return {};
    }
    Batch batch(requests, control);
    const std::size_t workers = std::clamp<std::size_t>(control.jobs, 1, std::min(requests.size(), kMostTargetsInFlight));
    // Every worker has its own style record: the SSA runs write into it.
    std::vector<StyleSettings> styles(workers, style);
    std::vector<std::size_t> lastRun(workers, 0);
    {
        std::vector<std::jthread> others;
        for (std::size_t worker = 1; worker < workers; ++worker) {
            others.emplace_back([&, worker] { lastRun[worker] = batch.Work(styles[worker]); });
        }
        lastRun[0] = batch.Work(styles[0]);
    }
    style = styles[static_cast<std::size_t>(std::max_element(lastRun.begin(), lastRun.end()) - lastRun.begin())];
    return batch.TakeOutcomes();
}

std::string CountLine(const RunOutcome& outcome)
{
    std::string line = CountMessage(outcome);
    for (std::size_t end = line.find('\n'); end != std::string::npos; end = line.find('\n', end)) {
        line.replace(end, 1, ", ");
    }
    return line;
}

std::string BatchMessage(const std::vector<ConversionRequest>& requests, const std::vector<RunOutcome>& outcomes)
{
    const auto converted = std::count_if(outcomes.begin(), outcomes.end(), [](const RunOutcome& outcome) {
        return outcome.succeeded();
    });
    const std::string total = std::to_string(outcomes.size());
    std::string message = static_cast<std::size_t>(converted) == outcomes.size()
                              ? total + " files converted"
                              : std::to_string(converted) + " of " + total + " files converted, "
                                    + std::to_string(outcomes.size() - static_cast<std::size_t>(converted))
                                    + " failed";
    message += ":\n";
    for (std::size_t i = 0; i < outcomes.size() && i < requests.size(); ++i) {
        const RunOutcome& outcome = outcomes[i];
        message += "\n" + BaseName(requests[i].sourceName) + ": ";
        if (outcome.sourceLooksLikeUtf16) {
            message += std::string(kLooksLikeUtf16) + "; ";
        }
        if (!outcome.succeeded()) {
            message += outcome.error->description();
            continue;
        }
        message += CountLine(outcome);
        if (!outcome.decodedFrom.empty()) {
            message += "; " + DecodedFromNote(outcome.decodedFrom);
        }
        const UnconvertedLines& unconverted = outcome.unconverted;
        if (unconverted.total > 0) {
            message += ", " + std::to_string(unconverted.total) + " source line"
                       + (unconverted.total == 1 ? "" : "s") + " not converted, the first at line "
                       + std::to_string(unconverted.first.front().number) + ": " + unconverted.first.front().reason;
        }
    }
    return message;
}

} // namespace varnuth
