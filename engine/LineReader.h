#pragma once

#include "SourceDecoder.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnuth {

/// The source file read as lines of 8-bit characters, one buffered pass from the first byte to the last.
///
/// A line ends at CR LF, at CR alone or at LF alone, and at the end of the file; a terminator at the
/// very end of the file starts no further, empty line. A byte-order mark is no part of the first line, and
/// a UTF-16 source reads as UTF-8 (see SourceDecoder).
class LineReader {
public:
    /// Opens \p name for reading and reads its start; throws RunError if it is missing, not a regular file,
    /// unreadable, or UTF-16 that cannot be decoded.
    explicit LineReader(const std::string& name);

    /// Whether the source starts with a byte-order mark, so that the target can start with one too.
    [[nodiscard]] bool HasByteOrderMark() const noexcept { return decoder_.HadByteOrderMark(); }

    /// True when no character of the source is left to read; throws RunError on a read failure.
    [[nodiscard]] bool AtEnd();

    /// The next line without its terminator; valid until the next call. Call only while !AtEnd().
    std::string_view ReadLine();

    /// Makes \p out the line last read, with \p prefix in place of its first \p replaced characters. A line
    /// longer than the read buffer is handed over instead of copied, so a huge line is held once, not twice.
    void MoveLineInto(std::string& out, std::string_view prefix, std::size_t replaced = 0);

    /// The number of lines read so far, so that failures can name the line.
    [[nodiscard]] long LineNumber() const noexcept { return lineNumber_; }

    /// Closes the file; does nothing if it is already closed.
    void Close() noexcept;

private:
    bool Refill();
    std::size_t FindLineEnd();

    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    std::unique_ptr<std::FILE, FileCloser> file_;
    SourceDecoder decoder_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::string longLine_;
    std::string_view line_;
    bool skipLineFeed_ = false;
    long lineNumber_ = 0;
};

} // namespace varnuth
