#include "LineReader.h"

#include "RunError.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include <sys/stat.h>

namespace varnuth {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
// More than any prefix a conversion puts in place of a long line's start, so that never doubles its storage.
constexpr std::size_t kPrefixRoom = 256;

// CR LF, CR alone and LF alone all end a line, so files from any platform read alike.
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';

// The LF right after a CR is the second half of its terminator and starts no empty line.
bool StartsPair(char terminator)
{
    return terminator == kCarriageReturn;
}
bool EndsPair(char next)
{
    return next == kLineFeed;
}

std::string SourceContext(const std::string& name)
{
    return "Cannot read the source file \"" + name + "\"";
}

// Checked before opening: opening a FIFO would wait for a writer, and a device may never end.
void RequireRegularFile(const std::string& name)
{
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    if (error) {
        throw RunError(error, SourceContext(name));
    }
    if (std::filesystem::is_directory(status)) {
        throw RunError(std::make_error_code(std::errc::is_a_directory), SourceContext(name));
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw RunError(static_cast<int>(std::errc::invalid_argument),
                       SourceContext(name) + ": it is not a regular file");
    }
}

} // namespace

LineReader::LineReader(const std::string& name, const RunControl* control)
    : name_(name), control_(control), buffer_(kBufferSize)
{
    RequireRegularFile(name);
    file_.reset(std::fopen(name.c_str(), "rb"));
    if (!file_) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name));
    }
}

bool LineReader::AtEnd()
{
    while (position_ == filled_) {
        if (!Refill()) {
            return true;
        }
    }
    if (skipLineFeed_) {
        skipLineFeed_ = false;
        if (EndsPair(buffer_[position_])) {
            ++position_;
            return AtEnd();
        }
    }
    return false;
}

std::string_view LineReader::ReadLine()
{
    line_ = {};
    if (AtEnd()) {
        return {};
    }
    ++lineNumber_;
    longLine_.clear();
    bool spansBuffers = false;
    for (;;) {
        const std::size_t stop = FindLineEnd();
        const std::string_view piece(buffer_.data() + position_, stop - position_);
        if (stop != filled_) {
            position_ = stop + 1;
            skipLineFeed_ = StartsPair(buffer_[stop]);
            if (!spansBuffers) {
                line_ = piece;
                return line_;
            }
            AppendToLongLine(piece);
            line_ = longLine_;
            return line_;
        }
        AppendToLongLine(piece);
        spansBuffers = true;
        position_ = filled_;
        if (!Refill()) {
            line_ = longLine_;
            return line_;
        }
    }
}

void LineReader::MoveLineInto(std::string& out, std::string_view prefix, std::size_t replaced)
{
    if (line_.data() != longLine_.data() || line_.empty()) {
        out.assign(prefix).append(line_.substr(replaced));
        return;
    }
    // The caller's old storage becomes the next long line's, so nothing is allocated or copied whole.
    out.swap(longLine_);
    out.replace(0, replaced, prefix);
    line_ = {};
}

void LineReader::AppendToLongLine(std::string_view piece)
{
    const std::size_t needed = longLine_.size() + piece.size() + kPrefixRoom;
    if (needed > longLine_.capacity()) {
        longLine_.reserve(std::max(needed, 2 * longLine_.capacity()));
    }
    longLine_.append(piece);
}

std::size_t LineReader::FindLineEnd()
{
    // One pass for both terminators, eight bytes at a time: a byte equal to CR or LF becomes zero after the
    // XOR, and the classic zero-byte test marks it. The lowest mark is always exact on a little-endian machine.
    const char* const data = buffer_.data();
    std::size_t at = position_;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101U;
        constexpr std::uint64_t kHighBits = 0x8080808080808080U;
        constexpr std::uint64_t kCarriageReturns = kOnes * static_cast<unsigned char>(kCarriageReturn);
        constexpr std::uint64_t kLineFeeds = kOnes * static_cast<unsigned char>(kLineFeed);
        for (; at + sizeof(std::uint64_t) <= filled_; at += sizeof(std::uint64_t)) {
            std::uint64_t word = 0;
            std::memcpy(&word, data + at, sizeof word);
            const std::uint64_t returns = word ^ kCarriageReturns;
            const std::uint64_t feeds = word ^ kLineFeeds;
            const std::uint64_t marks =
                ((returns - kOnes) & ~returns & kHighBits) | ((feeds - kOnes) & ~feeds & kHighBits);
            if (marks != 0) {
                return at + static_cast<std::size_t>(std::countr_zero(marks)) / CHAR_BIT;
            }
        }
    }
    for (; at < filled_; ++at) {
        if (data[at] == kCarriageReturn || data[at] == kLineFeed) {
            return at;
        }
    }
    return filled_;
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
    filled_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
    if (filled_ == 0 && std::ferror(file_.get()) != 0) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name_));
    }
    bytesRead_ += filled_;
    if (control_ != nullptr && control_->progress) {
        control_->progress(bytesRead_);
    }
    return filled_ > 0;
}

FileIdentity LineReader::Identity() const
{
    struct stat status {};
    if (!file_ || ::fstat(::fileno(file_.get()), &status) != 0) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name_));
    }
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

void LineReader::Close() noexcept
{
    file_.reset();
}

} // namespace varnuth
