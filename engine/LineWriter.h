#pragma once

#include "TargetFile.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace varnuth {

/// The target file written as whole lines, each followed by CR LF, through one buffer.
class LineWriter {
public:
    /// Opens the output for \p name (see TargetFile); throws RunError if it cannot be written or is \p source.
    LineWriter(const std::string& name, FileIdentity source);
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;
    ~LineWriter();

    /// Writes \p text unchanged and CR LF; throws RunError on a write failure.
    void WriteLine(std::string_view text);

    /// Writes the pieces one after another as one line, so callers need not join them first.
    void WriteLine(std::initializer_list<std::string_view> pieces);

    /// Flushes, closes and puts the output in place; throws RunError if that fails. Does nothing if already closed.
    void Close();

    /// Closes without reporting, for a run that has already failed: a replacement is dropped, a file written in
    /// place keeps what was written.
    void CloseAfterFailure() noexcept;

    /// What the failed run leaves of the target, to end its description.
    [[nodiscard]] std::string_view FailureNote() const noexcept { return target_.FailureNote(); }

private:
    void Append(std::string_view bytes);
    void Flush();

    TargetFile target_;
    std::vector<char> buffer_;
    bool open_ = true;
};

} // namespace varnuth
