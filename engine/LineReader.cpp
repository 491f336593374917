#include "LineReader.h"

#include "RunError.h"
#include "SystemFiles.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstddef>

namespace varnuth {
namespace {

// More than any prefix a conversion puts in place of a long line's start, so that never doubles its storage.
constexpr std::size_t kPrefixRoom = 256;

} // namespace

LineReader::LineReader(const std::string& name, const RunControl* control, std::size_t bufferSize,
                       const std::string& encoding, Opening opening)
    : name_(name), control_(control), decoder_(name, encoding),
      buffer_(std::max(bufferSize, kSmallestBuffer) + kScanWidth)
{
    file_.reset(opening == Opening::StandardStream ? OpenStandardInput(name) : OpenSourceFile(name));
    // The byte-order mark must be known before the target's first line is written.
    Refill();
    Rescan();
}

bool LineReader::NextAtBufferEnd(std::string_view& line)
{
    const bool read = ReadAtBufferEnd(line);
    Rescan();
    return read;
}

void LineReader::Rescan()
{
    marksAt_ = position_;
    marks_ = TerminatorsAt(buffer_.data() + position_);
}

bool LineReader::ReadAtBufferEnd(std::string_view& line)
{
    if (position_ == filled_ && !LoadNextLine()) {
        return false;
    }
    ++lineNumber_;
    const char* const data = buffer_.data();
    const char* const stop = FindLineEnd(data + position_, data + filled_);
    if (stop == data + filled_) {
        return NextAcrossBuffers(line);
    }
    line = {data + position_, static_cast<std::size_t>(stop - (data + position_))};
    SkipLineFeedAfter(static_cast<std::size_t>(stop - data));
    return true;
}

// The line runs to the end of the buffer: it is gathered in longLine_ from as many reads as it takes.
bool LineReader::NextAcrossBuffers(std::string_view& line)
{
    longLine_.clear();
    AppendToLongLine(buffer_.data() + position_, buffer_.data() + filled_);
    position_ = filled_;
    while (Load()) {
        const char* const data = buffer_.data();
        const char* const stop = FindLineEnd(data, data + filled_);
        AppendToLongLine(data, stop);
        if (stop != data + filled_) {
            SkipLineFeedAfter(static_cast<std::size_t>(stop - data));
            break;
        }
        position_ = filled_;
    }
    line = longLine_;
    longLineNumber_ = lineNumber_;
    return true;
}

void LineReader::AppendToLongLine(const char* begin, const char* end)
{
    const auto size = static_cast<std::size_t>(end - begin);
    const std::size_t needed = longLine_.size() + size + kPrefixRoom;
    if (needed > longLine_.capacity()) {
        longLine_.reserve(std::max(needed, 2 * longLine_.capacity()));
    }
    longLine_.append(begin, end);
}

// Called when the buffer is used up between two lines; false at the end of the source.
bool LineReader::LoadNextLine()
{
    do {
        if (!Load()) {
            return false;
        }
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            position_ = buffer_[0] == kLineFeed ? 1 : 0;
        }
    } while (position_ == filled_);
    return true;
}

bool LineReader::Load()
{
    if (heldInBuffer_) {
        heldStore_.assign(held_);
        held_ = heldStore_;
        heldInBuffer_ = false;
    }
    return Refill();
}

void LineReader::SkipLineFeedAfter(std::size_t terminator)
{
    // The LF right after a CR is the second half of its terminator and starts no empty line.
    position_ = terminator + 1;
    if (buffer_[terminator] != kCarriageReturn) {
        return;
    }
    if (position_ == filled_) {
        skipLineFeed_ = true;
    } else if (buffer_[position_] == kLineFeed) {
        ++position_;
    }
}

void LineReader::HoldLongLine(std::string_view text)
{
    assert(text.data() >= longLine_.data() && text.data() + text.size() <= longLine_.data() + longLine_.size()
           && "Hold takes a part of the line last read");
    // Handed over whole, so a huge line is never copied; longLine_ takes the old storage for the next long line.
    const auto offset = static_cast<std::size_t>(text.data() - longLine_.data());
    heldStore_.swap(longLine_);
    held_ = std::string_view(heldStore_).substr(offset, text.size());
    heldInBuffer_ = false;
    longLineNumber_ = 0;
}

void LineReader::MoveHeldInto(std::string& out, std::string_view prefix, std::size_t replaced)
{
    assert(replaced <= held_.size() && "MoveHeldInto replaces only held characters");
    if (!heldInBuffer_ && held_.data() == heldStore_.data() && held_.size() == heldStore_.size()) {
        out.swap(heldStore_);
        out.replace(0, replaced, prefix);
    } else {
        out.assign(prefix).append(held_.substr(replaced));
    }
    held_ = {};
    heldInBuffer_ = false;
}

bool LineReader::Refill()
{
    if (!file_) {
        return false;
    }
    if (control_ != nullptr && control_->cancel != nullptr && control_->cancel->load(std::memory_order_relaxed)) {
        throw RunError(static_cast<int>(std::errc::operation_canceled), "Cancelled");
    }
    position_ = 0;
    filled_ = decoder_.Read(file_.get(), {buffer_.data(), buffer_.size() - kScanWidth});
    if (control_ != nullptr && control_->progress) {
        control_->progress(decoder_.BytesRead());
    }
    return filled_ > 0;
}

FileIdentity LineReader::Identity() const
{
    if (!file_) {
        throw RunError(static_cast<int>(std::errc::bad_file_descriptor), SourceContext(name_) + ": it is closed");
    }
    return IdentityOfSource(file_.get(), name_);
}

void LineReader::Close() noexcept
{
    file_.reset();
}

} // namespace varnuth
