#pragma once

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace varnuth {

/// The target file written as whole lines, each followed by CR LF, through one buffer.
class LineWriter {
public:
    /// Creates or empties \p name; throws RunError if it cannot be opened for writing.
    explicit LineWriter(const std::string& name);
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;
    ~LineWriter();

    /// Writes \p text unchanged and CR LF; throws RunError on a write failure.
    void WriteLine(std::string_view text);

    /// Writes the pieces one after another as one line, so callers need not join them first.
    void WriteLine(std::initializer_list<std::string_view> pieces);

    /// Room for a line of up to \p size characters at the end of the output, so that callers compose it in place;
    /// nullptr when the line would not fit in the buffer, to be written with WriteLine instead.
    [[nodiscard]] char* Reserve(std::size_t size)
    {
        if (kBufferSize - used_ < size + kLineEnd.size()) {
            return ReserveAfterFlush(size);
        }
        return buffer_.get() + used_;
    }

    /// Writes the line composed in the room Reserve gave, up to \p end, and CR LF.
    void CommitLine(char* end) noexcept
    {
        std::memcpy(end, kLineEnd.data(), kLineEnd.size());
        used_ = static_cast<std::size_t>(end - buffer_.get()) + kLineEnd.size();
    }

    /// Flushes and closes; throws RunError if that fails. Does nothing if already closed.
    void Close();

    /// Keeps what was written and closes without reporting, for a run that has already failed.
    void CloseAfterFailure() noexcept;

private:
    static constexpr std::size_t kBufferSize = std::size_t{128} * 1024;
    static constexpr std::string_view kLineEnd = "\r\n";

    char* ReserveAfterFlush(std::size_t size);
    void Append(std::string_view bytes);
    void Flush();

    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    std::string name_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::unique_ptr<char[]> buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    std::size_t used_ = 0;
};

/// Copies \p text into room that LineWriter::Reserve gave, at \p out; returns the end of the copy.
inline char* Put(char* out, std::string_view text) noexcept
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

} // namespace varnuth
