#pragma once

#include "ConversionRun.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace varnuth {

/// The last part of \p name, as people know the file: what follows its last folder separator ("/", and on Windows
/// also "\\" and a drive's ":").
[[nodiscard]] std::string BaseName(const std::string& name);

/// The target of \p source in \p folder: its base name with the last extension replaced by \p format's own, so
/// "a/ep01.srt" becomes "folder/ep01.ssa". Empty when \p source names no file ("", "dir/", "." or "..").
[[nodiscard]] std::string TargetNameIn(const std::string& folder, const std::string& source, OutputFormat format);

/// One request per source, each \p model converting that source into \p folder. Throws RunError, before anything is
/// written, when \p folder is not a folder, a source names no file, two sources would write one target, or a source
/// is some source's target.
[[nodiscard]] std::vector<ConversionRequest> PlanBatch(const std::vector<std::string>& sources,
                                                       const std::string& folder, const ConversionRequest& model);

/// How a caller follows a batch and stops it. The callbacks run on the threads that run the sources; started and
/// finished are called one at a time, and finished in the order of the requests. None of them may throw.
struct BatchControl {
    unsigned jobs = 1; // sources converted at once, at most kMostTargetsInFlight; 1 runs them on the calling thread
    const std::atomic<bool>* cancel = nullptr; // ends the run in work as "Cancelled" and starts no other
    std::function<void(std::size_t index)> started;
    std::function<void(std::size_t index, std::uint64_t bytesRead)> progress;
    std::function<void(std::size_t index, const RunOutcome& outcome)> finished;
};

/// Performs every request, control.jobs at a time, and returns one outcome per request in their order. Each run
/// replaces its target as PerformConversion does, so a failure leaves that target alone and the others go on. The
/// writes of the SSA runs to \p style are those of the last request's run.
[[nodiscard]] std::vector<RunOutcome> PerformBatch(const std::vector<ConversionRequest>& requests,
                                                   StyleSettings& style, const BatchControl& control = {});

/// What a run that finished counted, as CountMessage says it, on one line.
[[nodiscard]] std::string CountLine(const RunOutcome& outcome);

/// The message a batch shows: how many sources were converted, then each source's base name with its count or its
/// failure, one line each.
[[nodiscard]] std::string BatchMessage(const std::vector<ConversionRequest>& requests,
                                       const std::vector<RunOutcome>& outcomes);

} // namespace varnuth
