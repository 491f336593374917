#include "SourceDecoder.h"

#include "RunError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>

namespace varnuth {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

constexpr std::size_t kUnitBytes = 2;
constexpr std::size_t kPairBytes = 4;
constexpr std::size_t kMaxUtf8Bytes = 4;

constexpr char16_t kHighSurrogateFirst = 0xD800;
constexpr char16_t kLowSurrogateFirst = 0xDC00;
constexpr char16_t kSurrogateEnd = 0xE000;
constexpr char32_t kSupplementaryFirst = 0x10000;

constexpr unsigned kByteBits = 8;
constexpr unsigned kSurrogateBits = 10;
constexpr unsigned kContinuationBits = 6;
constexpr char32_t kContinuationMask = 0x3F;
constexpr char32_t kContinuationLead = 0x80;

bool IsHighSurrogate(char16_t unit)
{
    return unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst;
}
bool IsLowSurrogate(char16_t unit)
{
    return unit >= kLowSurrogateFirst && unit < kSurrogateEnd;
}

// How much of the start decides whether a source without a mark is UTF-16: the first lines, as far as the first
// buffer holds them.
constexpr std::size_t kSniffedBytes = 512;
constexpr std::size_t kSniffedTerminators = 6; // CR and LF each count: three lines with CR LF

// A character that text in any 8-bit encoding or in UTF-8 is mostly made of.
bool IsAsciiText(unsigned char byte)
{
    constexpr unsigned char kFirstPrintable = 0x20;
    constexpr unsigned char kDelete = 0x7F;
    return (byte >= kFirstPrintable && byte < kDelete) || byte == '\t' || byte == '\r' || byte == '\n';
}

// A UTF-16 unit that is no NUL character and no ASCII character in the other byte order. Units of other scripts
// may hold any two bytes that are not NUL, such as the "-N" of U+4E2D.
bool FitsUtf16(unsigned char low, unsigned char high)
{
    return low != 0 || (high != 0 && !IsAsciiText(high));
}

enum class Utf16Evidence { None, Likely, LittleEndian, BigEndian };

// UTF-16 puts a NUL beside every ASCII byte, on one side; 8-bit and UTF-8 text has no NUL at all. Plain when every
// unit up to the first line ends fits one byte order and a line end is among them; likely when many of the bytes on
// one side are NUL.
Utf16Evidence SniffUtf16(std::span<const char> bytes)
{
    bytes = bytes.first(std::min(bytes.size(), kSniffedBytes) & ~std::size_t{1});
    std::size_t units = 0;
    std::size_t terminators = 0;
    std::array<std::size_t, 2> nuls{}; // NUL bytes at even and at odd positions
    bool littleEndian = true;
    bool bigEndian = true;
    for (; units * kUnitBytes < bytes.size() && terminators < kSniffedTerminators; ++units) {
        const auto first = static_cast<unsigned char>(bytes[units * kUnitBytes]);
        const auto second = static_cast<unsigned char>(bytes[units * kUnitBytes + 1]);
        nuls[0] += first == 0 ? 1 : 0;
        nuls[1] += second == 0 ? 1 : 0;
        littleEndian = littleEndian && FitsUtf16(first, second);
        bigEndian = bigEndian && FitsUtf16(second, first);
        const auto ascii = static_cast<unsigned char>(first | second);
        terminators += (first == 0 || second == 0) && (ascii == '\r' || ascii == '\n') ? 1 : 0;
    }
    if (terminators > 0 && (littleEndian || bigEndian)) {
        return littleEndian ? Utf16Evidence::LittleEndian : Utf16Evidence::BigEndian;
    }
    // A quarter of the units with a NUL on one side: no 8-bit or UTF-8 text has that.
    constexpr std::size_t kLikelyShare = 4;
    return units > 0 && std::max(nuls[0], nuls[1]) * kLikelyShare >= units ? Utf16Evidence::Likely
                                                                           : Utf16Evidence::None;
}

bool StartsWith(std::span<const char> bytes, std::string_view mark)
{
    return bytes.size() >= mark.size() && std::memcmp(bytes.data(), mark.data(), mark.size()) == 0;
}

char Byte(char32_t bits)
{
    return static_cast<char>(static_cast<unsigned char>(bits));
}

std::size_t EncodeUtf8(char32_t codePoint, char* out)
{
    constexpr char32_t kOneByteEnd = 0x80;
    constexpr char32_t kTwoBytesEnd = 0x800;
    constexpr char32_t kTwoBytesLead = 0xC0;
    constexpr char32_t kThreeBytesLead = 0xE0;
    constexpr char32_t kFourBytesLead = 0xF0;
    if (codePoint < kOneByteEnd) {
        out[0] = Byte(codePoint);
        return 1;
    }
    if (codePoint < kTwoBytesEnd) {
        out[0] = Byte(kTwoBytesLead | (codePoint >> kContinuationBits));
        out[1] = Byte(kContinuationLead | (codePoint & kContinuationMask));
        return 2;
    }
    if (codePoint < kSupplementaryFirst) {
        out[0] = Byte(kThreeBytesLead | (codePoint >> (2 * kContinuationBits)));
        out[1] = Byte(kContinuationLead | ((codePoint >> kContinuationBits) & kContinuationMask));
        out[2] = Byte(kContinuationLead | (codePoint & kContinuationMask));
        return 3;
    }
    out[0] = Byte(kFourBytesLead | (codePoint >> (3 * kContinuationBits)));
    out[1] = Byte(kContinuationLead | ((codePoint >> (2 * kContinuationBits)) & kContinuationMask));
    out[2] = Byte(kContinuationLead | ((codePoint >> kContinuationBits) & kContinuationMask));
    out[3] = Byte(kContinuationLead | (codePoint & kContinuationMask));
    return kMaxUtf8Bytes;
}

} // namespace

SourceDecoder::SourceDecoder(std::string name, std::string encoding)
    : name_(std::move(name)), fromEncoding_(std::move(encoding))
{
}

std::size_t SourceDecoder::Read(std::FILE* file, std::span<char> out)
{
    switch (encoding_) {
    case Encoding::Unknown: return ReadFirst(file, out);
    case Encoding::Bytes: return ReadBytes(file, out.data(), out.size());
    case Encoding::Utf16LittleEndian:
    case Encoding::Utf16BigEndian: return DecodeUtf16(file, out);
    case Encoding::Recoded: return DecodeRecoded(file, out);
    }
    return 0;
}

std::size_t SourceDecoder::ReadFirst(std::FILE* file, std::span<char> out)
{
    const std::size_t read = ReadBytes(file, out.data(), out.size());
    const std::span<const char> bytes = out.first(read);
    if (StartsWith(bytes, kUtf8Mark)) {
        // The mark is no character of the first line; the writer puts it back at the start of the target.
        byteOrderMark_ = true;
        encoding_ = Encoding::Bytes;
        const std::size_t rest = read - kUtf8Mark.size();
        std::memmove(out.data(), out.data() + kUtf8Mark.size(), rest);
        return rest != 0 ? rest : Read(file, out);
    }
    const bool littleEndian = StartsWith(bytes, kUtf16LittleEndianMark);
    if (littleEndian || StartsWith(bytes, kUtf16BigEndianMark)) {
        byteOrderMark_ = true;
        encoding_ = littleEndian ? Encoding::Utf16LittleEndian : Encoding::Utf16BigEndian;
        return StartUtf16(file, out, read, kUnitBytes);
    }
    switch (SniffUtf16(bytes)) {
    case Utf16Evidence::LittleEndian: encoding_ = Encoding::Utf16LittleEndian; return StartUtf16(file, out, read, 0);
    case Utf16Evidence::BigEndian: encoding_ = Encoding::Utf16BigEndian; return StartUtf16(file, out, read, 0);
    case Utf16Evidence::Likely: looksLikeUtf16_ = true; break;
    case Utf16Evidence::None: break;
    }
    if (!fromEncoding_.empty()) {
        return StartRecoding(file, out, read);
    }
    encoding_ = Encoding::Bytes;
    return read;
}

// The first \p read bytes are in \p out, the mark of \p markSize bytes first: they become the first undecoded units.
std::size_t SourceDecoder::StartUtf16(std::FILE* file, std::span<char> out, std::size_t read, std::size_t markSize)
{
    raw_.assign(out.begin() + static_cast<std::ptrdiff_t>(markSize), out.begin() + static_cast<std::ptrdiff_t>(read));
    raw_.resize(out.size());
    rawEnd_ = read - markSize;
    rawOffset_ = markSize;
    return DecodeUtf16(file, out);
}

// The first \p read bytes, in \p out, become the first undecoded ones.
std::size_t SourceDecoder::StartRecoding(std::FILE* file, std::span<char> out, std::size_t read)
{
    recoder_ = std::make_unique<Utf8Recoder>(fromEncoding_);
    decodedFrom_ = fromEncoding_;
    encoding_ = Encoding::Recoded;
    raw_.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(read));
    raw_.resize(out.size());
    rawEnd_ = read;
    return DecodeRecoded(file, out);
}

std::size_t SourceDecoder::DecodeRecoded(std::FILE* file, std::span<char> out)
{
    char* to = out.data();
    std::size_t room = out.size();
    while (room > 0 && (rawStart_ < rawEnd_ || ReadMoreRaw(file))) {
        const char* from = raw_.data() + rawStart_;
        std::size_t left = rawEnd_ - rawStart_;
        const Utf8Recoder::Result result = recoder_->Convert(from, left, to, room);
        rawStart_ = static_cast<std::size_t>(from - raw_.data());
        if (result == Utf8Recoder::Result::OutputFull) {
            break;
        }
        if (result == Utf8Recoder::Result::Invalid
            || (result == Utf8Recoder::Result::Incomplete && !ReadMoreRaw(file))) {
            throw RunError(static_cast<int>(std::errc::illegal_byte_sequence),
                           SourceContext(name_) + ": the byte at offset " + std::to_string(rawOffset_ + rawStart_)
                               + " is no character of " + fromEncoding_);
        }
    }
    return out.size() - room;
}

std::size_t SourceDecoder::ReadBytes(std::FILE* file, char* out, std::size_t size)
{
    const std::size_t read = std::fread(out, 1, size, file);
    if (read < size && std::ferror(file) != 0) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name_));
    }
    bytesRead_ += read;
    return read;
}

std::size_t SourceDecoder::DecodeUtf16(std::FILE* file, std::span<char> out)
{
    std::size_t written = 0;
    while (written + kMaxUtf8Bytes <= out.size() && EnsureUnits(file, kUnitBytes)) {
        const char16_t unit = UnitAt(rawStart_);
        char32_t codePoint = unit;
        std::size_t used = kUnitBytes;
        if (IsHighSurrogate(unit)) {
            if (!EnsureUnits(file, kPairBytes) || !IsLowSurrogate(UnitAt(rawStart_ + kUnitBytes))) {
                FailUtf16("an unpaired surrogate");
            }
            codePoint = kSupplementaryFirst
                        + ((static_cast<char32_t>(unit - kHighSurrogateFirst) << kSurrogateBits)
                           | static_cast<char32_t>(UnitAt(rawStart_ + kUnitBytes) - kLowSurrogateFirst));
            used = kPairBytes;
        } else if (IsLowSurrogate(unit)) {
            FailUtf16("an unpaired surrogate");
        }
        written += EncodeUtf8(codePoint, out.data() + written);
        rawStart_ += used;
    }
    return written;
}

// True when at least \p bytes undecoded bytes are at hand, reading more as needed; false at the end of the source.
bool SourceDecoder::EnsureUnits(std::FILE* file, std::size_t bytes)
{
    while (rawEnd_ - rawStart_ < bytes && ReadMoreRaw(file)) {
    }
    const std::size_t left = rawEnd_ - rawStart_;
    if (left % kUnitBytes != 0 && rawAtEnd_ && left < bytes) {
        FailUtf16("an odd number of bytes");
    }
    return left >= bytes;
}

// Moves the undecoded bytes to the front and reads after them; false at the end of the source.
bool SourceDecoder::ReadMoreRaw(std::FILE* file)
{
    if (rawAtEnd_) {
        return false;
    }
    const std::size_t kept = rawEnd_ - rawStart_;
    std::memmove(raw_.data(), raw_.data() + rawStart_, kept);
    rawOffset_ += rawStart_;
    rawStart_ = 0;
    const std::size_t read = ReadBytes(file, raw_.data() + kept, raw_.size() - kept);
    rawEnd_ = kept + read;
    rawAtEnd_ = read == 0;
    return !rawAtEnd_;
}

char16_t SourceDecoder::UnitAt(std::size_t at) const
{
    const auto first = static_cast<unsigned char>(raw_[at]);
    const auto second = static_cast<unsigned char>(raw_[at + 1]);
    return encoding_ == Encoding::Utf16LittleEndian ? static_cast<char16_t>(first | (second << kByteBits))
                                                    : static_cast<char16_t>((first << kByteBits) | second);
}

void SourceDecoder::FailUtf16(const std::string& what) const
{
    throw RunError(static_cast<int>(std::errc::illegal_byte_sequence), SourceContext(name_) + ": it is UTF-16 with "
                                                                           + what + " at byte "
                                                                           + std::to_string(rawOffset_ + rawStart_));
}

} // namespace varnuth
