#pragma once

#include "RunControl.h"
#include "TargetFile.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnuth {

/// The source file read as lines of 8-bit characters, one buffered pass from the first byte to the last.
///
/// A line ends at CR LF, at CR alone or at LF alone, and at the end of the file; a terminator at the
/// very end of the file starts no further, empty line.
class LineReader {
public:
    /// Opens \p name for reading; throws RunError if it is missing, not a regular file or unreadable.
    /// \p control, if given, hears of every buffer read and may stop the reading with a RunError "Cancelled".
    explicit LineReader(const std::string& name, const RunControl* control = nullptr);

    /// True when no character of the source is left to read; throws RunError on a read failure.
    [[nodiscard]] bool AtEnd();

    /// The next line without its terminator; valid until the next call. Call only while !AtEnd().
    std::string_view ReadLine();

    /// Makes \p out the line last read, with \p prefix in place of its first \p replaced characters. A line
    /// longer than the read buffer is handed over instead of copied, so a huge line is held once, not twice.
    void MoveLineInto(std::string& out, std::string_view prefix, std::size_t replaced = 0);

    /// The identity of the file actually open, so that no other name of it becomes the target.
    [[nodiscard]] FileIdentity Identity() const;

    /// The number of lines read so far, so that failures can name the line.
    [[nodiscard]] long LineNumber() const noexcept { return lineNumber_; }

    /// Closes the file; does nothing if it is already closed.
    void Close() noexcept;

private:
    bool Refill();
    std::size_t FindLineEnd();
    void AppendToLongLine(std::string_view piece);

    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    std::string name_;
    const RunControl* control_;
    std::uint64_t bytesRead_ = 0;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::string longLine_;
    std::string_view line_;
    bool skipLineFeed_ = false;
    long lineNumber_ = 0;
};

} // namespace varnuth
