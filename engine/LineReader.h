#pragma once

#include "ConversionRequest.h"
#include "RunControl.h"
#include "SourceDecoder.h"
#include "TargetFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    /// the reading with a RunError "Cancelled". A source without a byte-order mark is decoded from \p encoding, an
    /// iconv name, unless it is empty. A standard stream is read from where it stands, whatever it is.
    explicit LineReader(const std::string& name, const RunControl* control = nullptr, const std::string& encoding = {},
                        Opening opening = Opening::ByName)
        : LineReader(name, control, kDefaultBufferSize, encoding, opening)
    {
    }

    /// Reads with a buffer of \p bufferSize bytes (at least kSmallestBuffer), so that tests can split lines and
    /// terminators at every position.
    LineReader(const std::string& name, std::size_t bufferSize)
        : LineReader(name, nullptr, bufferSize, {}, Opening::ByName)
    {
    }

    /// Whether the source starts with a byte-order mark, so that the target can start with one too.
    [[nodiscard]] bool HasByteOrderMark() const noexcept { return decoder_.HadByteOrderMark(); }

    /// The encoding the source was decoded from, if it was not UTF-8 or UTF-16.
    [[nodiscard]] const std::string& DecodedFrom() const noexcept { return decoder_.DecodedFrom(); }
    /// Whether the source is decoded from UTF-16, with a byte-order mark or without.
    [[nodiscard]] bool ReadsUtf16() const noexcept { return decoder_.ReadsUtf16(); }
    /// Whether the source was read as bytes although it looks like UTF-16 without a byte-order mark.
    [[nodiscard]] bool LooksLikeUtf16() const noexcept { return decoder_.LooksLikeUtf16(); }

    /// Sets \p line to the next line without its terminator, valid until the next call; false at the end of the
    /// source. Throws RunError on a read failure.
    bool Next(std::string_view& line)
    {
        assert(file_ && "Next after Close");
        const char* const data = buffer_.data();
        // Local copies, so that no store through a char pointer between two lines makes them be read again.
        std::size_t marksAt = marksAt_;
        TerminatorMask marks = marks_;
        while (marks == 0) {
            marksAt = std::max(marksAt + kScanWidth, position_);
            if (marksAt >= filled_) {
                return NextAtBufferEndInto(line);
            }
            marks = TerminatorsAt(data + marksAt);
        }
        const std::size_t stop = marksAt + static_cast<std::size_t>(std::countr_zero(marks));
        // Nearly every line ends inside the buffer with its whole terminator in view, and is read here without a
        // call; a line running to the buffer's end, or a CR that is its last byte (perhaps half of a CR LF), goes
        // the long way. Marks past the filled part stand for stale bytes and go the long way too.
        if (stop + kTerminatorRoom > filled_) {
            return NextAtBufferEndInto(line);
        }
        ++lineNumber_;
        line = {data + position_, stop - position_};
        const bool pair = IsCarriageReturnLineFeed(data + stop);
        position_ = stop + (pair ? 2 : 1);
        // The terminator's mark goes, and the LF's of a CR LF with it; an LF past the block is skipped by starting
        // the next block at position_.
        marks &= marks - 1;
        if (pair) {
            marks &= marks - 1;
        }
        marks_ = marks;
        marksAt_ = marksAt;
        return true;
    }

    /// Keeps \p text, a part of the line last read, readable through Held() (and no longer through that line) while
    /// later lines are read. It is copied only when the read buffer is reused; a line longer than the buffer is
    /// handed over, never copied.
    void Hold(std::string_view text)
    {
        assert(file_ && "Hold after Close");
        if (lineNumber_ == longLineNumber_) {
            HoldLongLine(text);
            return;
        }
        held_ = text;
        heldInBuffer_ = true;
    }

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
    LineReader(const std::string& name, const RunControl* control, std::size_t bufferSize, const std::string& encoding,
               Opening opening);
    // CR LF, CR alone and LF alone all end a line, so files from any platform read alike.
    static constexpr char kCarriageReturn = '\r';
    static constexpr char kLineFeed = '\n';
    // Two bytes: the terminator and the one after it, which may be the LF of a CR LF.
    static constexpr std::size_t kTerminatorRoom = 2;

    // The terminators of a block of bytes are found at once, one bit each, and lines shorter than a block are then
    // read without looking at their bytes again. The buffer has a block of spare bytes after its end, so that a block
    // may start anywhere in it.
    using TerminatorMask = std::uint64_t;
    static constexpr std::size_t kScanWidth = 64;
    static_assert(sizeof(TerminatorMask) * CHAR_BIT == kScanWidth);

    /// A bit for each CR or LF among the kScanWidth bytes at \p at.
    static TerminatorMask TerminatorsAt(const char* at)
    {
#if defined(__SSE2__)
        const __m128i carriageReturns = _mm_set1_epi8(kCarriageReturn);
        const __m128i lineFeeds = _mm_set1_epi8(kLineFeed);
        const auto sixteenAt = [&](std::size_t offset) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + offset));
            const __m128i found =
                _mm_or_si128(_mm_cmpeq_epi8(bytes, carriageReturns), _mm_cmpeq_epi8(bytes, lineFeeds));
            return TerminatorMask{static_cast<std::uint16_t>(_mm_movemask_epi8(found))} << offset;
        };
        // Spelled out, as the compiler keeps a loop here.
        static_assert(kScanWidth == 4 * sizeof(__m128i));
        return sixteenAt(0) | sixteenAt(16) | sixteenAt(32) | sixteenAt(48);
#else
        TerminatorMask marks = 0;
        for (std::size_t i = 0; i < kScanWidth; ++i) {
            marks |= TerminatorMask{at[i] == kCarriageReturn || at[i] == kLineFeed} << i;
        }
        return marks;
#endif
    }

    /// The first CR or LF in [at, end), or end; reads up to a block past end, which the spare bytes allow.
    static const char* FindLineEnd(const char* at, const char* end)
    {
        for (; at < end; at += kScanWidth) {
            if (const TerminatorMask marks = TerminatorsAt(at); marks != 0) {
                return std::min(at + std::countr_zero(marks), end);
            }
        }
        return end;
    }

    // Both bytes compared at once; the caller makes sure the second is in the buffer.
    static bool IsCarriageReturnLineFeed(const char* terminator)
    {
        constexpr auto kPair = std::bit_cast<std::uint16_t>(std::array<char, 2>{kCarriageReturn, kLineFeed});
        std::uint16_t pair = 0;
        std::memcpy(&pair, terminator, sizeof pair);
        return pair == kPair;
    }

    bool NextAtBufferEnd(std::string_view& line);

    // Through a copy, so that the caller's view never has its address taken and can stay in registers.
    bool NextAtBufferEndInto(std::string_view& line)
    {
        std::string_view read;
        const bool more = NextAtBufferEnd(read);
        line = read;
        return more;
    }
    bool ReadAtBufferEnd(std::string_view& line);
    void Rescan();
    void HoldLongLine(std::string_view text);
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
    std::unique_ptr<std::FILE, FileCloser> file_;
    SourceDecoder decoder_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
    // The terminators in the block at marksAt_ not yet passed: none before position_, all up to the block's end.
    std::size_t marksAt_ = 0;
    TerminatorMask marks_ = 0;
    std::string longLine_;
    // The number of the line last read if it is longLine_, so that the fast path keeps no flag.
    long longLineNumber_ = 0;
    std::string_view held_;
    std::string heldStore_;
    bool heldInBuffer_ = false;
    bool skipLineFeed_ = false;
    long lineNumber_ = 0;
};

} // namespace varnuth
