#include "LineWriter.h"

#include "RunError.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <utility>

namespace varnuth {

LineWriter::LineWriter(const std::string& name, FileIdentity source, const std::atomic<bool>* cancel, Opening opening)
    : target_(std::in_place, name, source, cancel, opening)
{
}

LineWriter::LineWriter(std::string& memory) : memory_(&memory) {}

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

void LineWriter::WriteLines(std::span<const std::string_view> lines)
{
    for (const std::string_view line : lines) {
        WriteLine(line);
    }
}

void LineWriter::WriteByteOrderMark()
{
    assert(used_ == 0 && "the byte-order mark comes before the first line");
    Append("\xEF\xBB\xBF");
}

char* LineWriter::ReserveAfterFlush(std::size_t size, std::size_t kept)
{
    if (size > kBufferSize - kLineEnd.size()) {
        return nullptr;
    }
    // The line begun is no part of what Flush writes, and stays where it is until moved to the emptied buffer.
    const std::size_t begun = used_;
    Flush();
    std::memmove(buffer_.get(), buffer_.get() + begun, kept);
    return buffer_.get();
}

void LineWriter::Append(std::string_view bytes)
{
    assert(open_ && "WriteLine after Close");
    if (kBufferSize - used_ < bytes.size()) {
        Flush();
    }
    if (bytes.size() >= kBufferSize) {
        Emit(bytes);
        return;
    }
    // std::copy, not memcpy: an empty view may have no data pointer at all.
    std::copy(bytes.begin(), bytes.end(), buffer_.get() + used_);
    used_ += bytes.size();
}

void LineWriter::Flush()
{
    if (used_ == 0 || !open_) {
        return;
    }
    // Emptied also when the write fails: a retry could repeat the bytes the device did take.
    const std::size_t used = std::exchange(used_, 0);
    Emit({buffer_.get(), used});
}

void LineWriter::Emit(std::string_view bytes)
{
    if (memory_ != nullptr) {
        memory_->append(bytes);
    } else {
        target_->Write(bytes);
    }
}

void LineWriter::Close()
{
    if (!open_) {
        return;
    }
    Flush();
    open_ = false;
    if (target_) {
        target_->Commit();
    }
}

void LineWriter::CloseAfterFailure() noexcept
{
    // Written in place, the lines before the failure stay; a second failure here adds nothing to report.
    if (target_ && target_->WritesInPlace()) {
        try {
            Flush();
        } catch (const RunError&) {
        }
    }
    open_ = false;
    if (target_) {
        target_->Discard();
    }
}

} // namespace varnuth
