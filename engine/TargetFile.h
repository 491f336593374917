#pragma once

#include "ConversionRequest.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace varnuth {

/// What tells one file from another, whatever name reached it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

/// Where a run's output goes.
///
/// A regular file (or a new name) is written as a hidden temporary file in the target's folder, which Commit
/// renames over the target: a run that fails or is killed leaves the old target exactly as it was. A folder the
/// user cannot write to gets the target written in place instead; a character device or a pipe is written directly.
class TargetFile {
public:
    /// Opens the output for \p name; throws RunError if it cannot be written or is the file \p source. Standard
    /// output is written where it stands, after whatever it holds, and \p name only names it in messages.
    TargetFile(const std::string& name, FileIdentity source, Opening opening = Opening::ByName);
    TargetFile(const TargetFile&) = delete;
    TargetFile& operator=(const TargetFile&) = delete;
    ~TargetFile();

    /// Writes all of \p bytes; throws RunError if the file takes fewer.
    void Write(std::string_view bytes);

    /// Closes and puts the output in place; throws RunError, and then the target is as Discard leaves it.
    void Commit();

    /// Closes without putting the output in place. Does nothing once closed.
    void Discard() noexcept;

    /// True if what was written reaches the target even when the run fails.
    [[nodiscard]] bool WritesInPlace() const noexcept { return !replaces_; }

    /// What a failed run leaves of the target, said at the end of the failure's description.
    [[nodiscard]] std::string_view FailureNote() const noexcept;

private:
    void OpenDirectly(int flags);
    void OpenStandardOutput(FileIdentity source);
    enum LinkRule { kRefuseLink, kFollowLink };
    void OpenInPlace(FileIdentity source, LinkRule links);
    [[nodiscard]] bool CreateTemporary(int permissions);

    std::string name_;
    std::string temporaryName_;
    int descriptor_ = -1;
    bool replaces_ = false;
    bool regular_ = true;
};

/// Removes the temporary file of the run in progress, if any. Async-signal-safe, for a handler that then ends the
/// process.
void RemoveUnfinishedTarget() noexcept;

} // namespace varnuth
