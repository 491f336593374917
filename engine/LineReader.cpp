#include "LineReader.h"

#include "RunError.h"

#include <bit>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace varnuth {
namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

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

LineReader::LineReader(const std::string& name) : decoder_(name), buffer_(kBufferSize)
{
    RequireRegularFile(name);
    file_.reset(std::fopen(name.c_str(), "rb"));
    if (!file_) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name));
    }
    // The byte-order mark must be known before the target's first line is written.
    Refill();
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
            longLine_.append(piece);
            line_ = longLine_;
            return line_;
        }
        longLine_.append(piece);
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
    position_ = 0;
    filled_ = decoder_.Read(file_.get(), buffer_);
    return filled_ > 0;
}

void LineReader::Close() noexcept
{
    file_.reset();
}

} // namespace varnuth
