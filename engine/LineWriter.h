#pragma once

#include "ConversionRequest.h"
#include "TargetFile.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace varnuth {

/// The target file written as whole lines, each followed by CR LF, through one buffer.
class LineWriter {
public:
    /// Opens the output for \p name (see TargetFile); throws RunError if it cannot be written or is \p source.
    LineWriter(const std::string& name, FileIdentity source, const std::atomic<bool>* cancel = nullptr,
               Opening opening = Opening::ByName);
    /// Appends the lines to \p memory instead, as a preview does: the same bytes, nothing on disk.
    explicit LineWriter(std::string& memory);
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;
    ~LineWriter();

    /// Writes \p text unchanged and CR LF; throws RunError on a write failure.
    void WriteLine(std::string_view text);

    /// Writes the pieces one after another as one line, so callers need not join them first.
    void WriteLine(std::initializer_list<std::string_view> pieces);

    /// Writes each of \p lines as WriteLine does.
    void WriteLines(std::span<const std::string_view> lines);

    /// Writes the UTF-8 byte-order mark; only before the first line, for a source that started with one.
    void WriteByteOrderMark();

    /// Room for a line of up to \p size characters at the end of the output, so that callers compose it in place;
    /// nullptr when the line would not fit in the buffer, to be written with WriteLine instead. \p kept characters
    /// of the line may already stand in the room an earlier Reserve gave (nothing written since): they are kept, and
    /// moved with the room when the buffer is flushed first, so a line can grow before it is committed.
    [[nodiscard]] char* Reserve(std::size_t size, std::size_t kept = 0)
    {
        assert(open_ && "Reserve after Close");
        assert(kept <= size && "Reserve keeps only a part of the line");
        if (kBufferSize - used_ < size + kLineEnd.size()) {
            return ReserveAfterFlush(size, kept);
        }
        return buffer_.get() + used_;
    }

    /// Writes the line composed in the room Reserve gave, up to \p end, and CR LF.
    void CommitLine(char* end) noexcept
    {
        assert(end >= buffer_.get() + used_ && end + kLineEnd.size() <= buffer_.get() + kBufferSize
               && "CommitLine ends the line in the room Reserve gave");
        std::memcpy(end, kLineEnd.data(), kLineEnd.size());
        used_ = static_cast<std::size_t>(end - buffer_.get()) + kLineEnd.size();
    }

    /// Flushes, closes and puts the output in place; throws RunError if that fails. Does nothing if already closed.
    void Close();

    /// Closes without reporting, for a run that has already failed: a replacement is dropped, a file written in
    /// place keeps what was written.
    void CloseAfterFailure() noexcept;

    /// What the failed run leaves of the target, to end its description.
    [[nodiscard]] std::string_view FailureNote() const noexcept
    {
        return target_ ? target_->FailureNote() : std::string_view();
    }

private:
    static constexpr std::size_t kBufferSize = std::size_t{128} * 1024;
    static constexpr std::string_view kLineEnd = "\r\n";

    char* ReserveAfterFlush(std::size_t size, std::size_t kept);
    void Append(std::string_view bytes);
    void Flush();
    void Emit(std::string_view bytes);

    std::optional<TargetFile> target_; // none when writing into memory_
    std::string* memory_ = nullptr;
    std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::size_t used_ = 0;
    bool open_ = true;
};

/// Copies \p text into room that LineWriter::Reserve gave, at \p out; returns the end of the copy.
inline char* Put(char* out, std::string_view text) noexcept
{
    return std::copy(text.begin(), text.end(), out);
}

} // namespace varnuth
