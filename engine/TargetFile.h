#pragma once

#include "ConversionRequest.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace varnuth {

/// What tells one file from another, whatever name reached it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

/// How many targets may be written at once: the clean-up after a signal follows that many temporary files.
inline constexpr std::size_t kMostTargetsInFlight = 64;

/// Where a run's output goes.
///
/// A regular file (or a new name, or a link, which is replaced and never followed) is written as a hidden
/// temporary file in the target's folder, readable by its owner alone until it takes the target's owner, group,
/// permissions and extended attributes (ACLs among them). Commit syncs it and renames it over the target. Where it
/// cannot take all of those, where the target has other names, or where the rename is refused, Commit copies the
/// finished output over the target instead. A run that fails before Commit leaves the old target as it was.
/// A folder the user cannot write to gets the target written in place; a character device, a pipe, and the names of
/// the process's own descriptors (/dev/stdout, /dev/fd/N) are written directly.
class TargetFile {
public:
    /// Opens the output for \p name; throws RunError if it cannot be written or is the file \p source. A write that
    /// waits for a pipe gives up with "Cancelled" once \p cancel is true. Standard output is written where it
    /// stands, after whatever it holds, and \p name only names it in messages.
    TargetFile(const std::string& name, FileIdentity source, const std::atomic<bool>* cancel = nullptr,
               Opening opening = Opening::ByName);
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;
    ~TargetFile();

    /// Writes all of \p bytes; throws RunError if the file takes fewer.
    void Write(std::string_view bytes);

    /// Closes and puts the output in place; throws RunError, and then the target is as FailureNote says.
    void Commit();

    /// Closes without putting the output in place. Does nothing once closed.
    void Discard() noexcept;

    /// True if what was written reaches the target even when the run fails.
    [[nodiscard]] bool WritesInPlace() const noexcept;

    /// What a failed run leaves of the target, said at the end of the failure's description.
    [[nodiscard]] std::string_view FailureNote() const noexcept;

    /// What the platform's file holds of one target.
    struct Platform;

private:
    std::unique_ptr<Platform> platform_;
};

/// Removes the temporary file of every run still writing one, for a handler that then ends the process. On POSIX it
/// is async-signal-safe; on Windows it waits for a run that is creating or placing its file, and lets none do so after.
void RemoveUnfinishedTarget() noexcept;

#ifndef _WIN32
/// What a signal that ends the process does once a run has begun to put its output in place.
enum class PlacedOutput {
    EndsWithTheSignal, // the process ends as soon as the output is in place
    IsReported,        // the signal is dropped, so that the caller reports what the run did; a second one ends it
};

/// Makes every signal that would end the process, and still has its default action, first remove the temporary
/// files of the runs in progress. One that comes while a run puts its output in place waits for that. SIGPIPE and
/// SIGXFSZ are ignored: a reader that quit or a file-size limit is a failure the run reports.
void CleanUpOnSignals(PlacedOutput placed);
#endif

} // namespace varnuth
