#pragma once

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

    /// Writes the UTF-8 byte-order mark; only before the first line, for a source that started with one.
    void WriteByteOrderMark();

    /// Flushes and closes; throws RunError if that fails. Does nothing if already closed.
    void Close();

    /// Keeps what was written and closes without reporting, for a run that has already failed.
    void CloseAfterFailure() noexcept;

private:
    void Append(std::string_view bytes);
    void Flush();

    struct FileCloser {
        void operator()(std::FILE* file) const noexcept { std::fclose(file); }
    };

    std::string name_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::vector<char> buffer_;
};

} // namespace varnuth
