#pragma once

#include "RunControl.h"
#include "SourceDecoder.h"
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
/// very end of the file starts no further, empty line. A byte-order mark is no part of the first line, and
/// a UTF-16 source reads as UTF-8 (see SourceDecoder).
class LineReader {
public:
    static constexpr std::size_t kDefaultBufferSize = std::size_t{64} * 1024;
    // Room for a whole byte-order mark and for one character decoded from UTF-16.
    static constexpr std::size_t kSmallestBuffer = 4;

    /// Opens \p name for reading and reads its start; throws RunError if it is missing, not a regular file,
    /// unreadable, or UTF-16 that cannot be decoded. \p control, if given, hears of every buffer read and may stop
    /// the reading with a RunError "Cancelled".
    explicit LineReader(const std::string& name, const RunControl* control = nullptr)
        : LineReader(name, control, kDefaultBufferSize)
    {
    }

    /// Reads with a buffer of \p bufferSize bytes (at least kSmallestBuffer), so that tests can split lines and
    /// terminators at every position.
    LineReader(const std::string& name, std::size_t bufferSize) : LineReader(name, nullptr, bufferSize) {}

    /// Whether the source starts with a byte-order mark, so that the target can start with one too.
    [[nodiscard]] bool HasByteOrderMark() const noexcept { return decoder_.HadByteOrderMark(); }

    /// Sets \p line to the next line without its terminator, valid until the next call; false at the end of the
    /// source. Throws RunError on a read failure.
    bool Next(std::string_view& line);

    /// Keeps \p text, a part of the line last read, readable through Held() (and no longer through that line) while
    /// later lines are read. It is copied only when the read buffer is reused; a line longer than the buffer is
    /// handed over, never copied.
    void Hold(std::string_view text);

    /// The text last held; empty after MoveHeldInto.
    [[nodiscard]] std::string_view Held() const noexcept { return held_; }

    /// Makes \p out the held text, with \p prefix in place of its first \p replaced characters, and holds nothing
    /// more. Text held in the reader's own storage is handed over, so a huge line is held once, not twice.
    void MoveHeldInto(std::string& out, std::string_view prefix, std::size_t replaced = 0);

    /// The identity of the file actually open, so that no other name of it becomes the target.
    [[nodiscard]] FileIdentity Identity() const;

    /// The number of lines read so far, so that failures can name the line.
    [[nodiscard]] long LineNumber() const noexcept { return lineNumber_; }

    /// Closes the file; does nothing if it is already closed.
    void Close() noexcept;

private:
    LineReader(const std::string& name, const RunControl* control, std::size_t bufferSize);
    bool Refill();
    bool NextAcrossBuffers(std::string_view& line);
    bool LoadNextLine();
    bool Load();
    void SkipLineFeedAfter(std::size_t carriageReturn);
    void AppendToLongLine(const char* begin, const char* end);

    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    std::string name_;
    const RunControl* control_;
    std::uint64_t bytesRead_ = 0;
    std::unique_ptr<std::FILE, FileCloser> file_;
    SourceDecoder decoder_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    std::string longLine_;
    bool lineIsLong_ = false;
    std::string_view held_;
    std::string heldStore_;
    bool heldInBuffer_ = false;
    bool skipLineFeed_ = false;
    long lineNumber_ = 0;
};

} // namespace varnuth
