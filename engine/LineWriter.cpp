#include "LineWriter.h"

#include "RunError.h"

namespace varnuth {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
constexpr std::string_view kLineEnd = "\r\n";

} // namespace

LineWriter::LineWriter(const std::string& name, FileIdentity source) : target_(name, source)
{
    buffer_.reserve(kBufferSize);
}

LineWriter::~LineWriter()
{
    CloseAfterFailure();
}

void LineWriter::WriteLine(std::string_view text)
{
    Append(text);
    Append(kLineEnd);
}

void LineWriter::WriteLine(std::initializer_list<std::string_view> pieces)
{
    for (const std::string_view piece : pieces) {
        Append(piece);
    }
    Append(kLineEnd);
}

void LineWriter::Append(std::string_view bytes)
{
    if (buffer_.size() + bytes.size() > kBufferSize) {
        Flush();
    }
    if (bytes.size() >= kBufferSize) {
        target_.Write(bytes);
        return;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void LineWriter::Flush()
{
    if (buffer_.empty() || !open_) {
        return;
    }
    // Emptied also when the write fails: a retry could repeat the bytes the device did take.
    try {
        target_.Write({buffer_.data(), buffer_.size()});
    } catch (const RunError&) {
        buffer_.clear();
        throw;
    }
    buffer_.clear();
}

void LineWriter::Close()
{
    if (!open_) {
        return;
    }
    Flush();
    open_ = false;
    target_.Commit();
}

void LineWriter::CloseAfterFailure() noexcept
{
    // Written in place, the lines before the failure stay; a second failure here adds nothing to report.
    if (target_.WritesInPlace()) {
        try {
            Flush();
        } catch (const RunError&) {
        }
    }
    open_ = false;
    target_.Discard();
}

} // namespace varnuth
