#pragma once

#include "SourceEncoding.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace varnuth {

/// The source's bytes as the text the converters read. 8-bit and UTF-8 bytes pass unchanged; a byte-order mark at
/// the start is set aside, and a source that starts with a UTF-16 mark, or whose first lines are plainly UTF-16
/// without one, is decoded to UTF-8, in constant memory. Another source is decoded from the encoding it is given,
/// if any.
class SourceDecoder {
public:
    /// \p name only names the source in failures; \p encoding, if not empty, is the iconv name of the encoding in
    /// which to read a source that starts with no byte-order mark.
    explicit SourceDecoder(std::string name, std::string encoding = {});

    /// Fills \p out with the next text, returning how much; 0 only at the end of the source. Throws RunError on a
    /// read failure, or on UTF-16 with an unpaired surrogate or an odd number of bytes.
    std::size_t Read(std::FILE* file, std::span<char> out);

    /// The bytes of the source read so far, decoded or not.
    [[nodiscard]] std::uint64_t BytesRead() const noexcept { return bytesRead_; }

    /// Whether the source started with a byte-order mark; known after the first Read.
    [[nodiscard]] bool HadByteOrderMark() const noexcept { return byteOrderMark_; }

    /// The encoding the source was decoded from, if not UTF-8 or UTF-16; known after the first Read.
    [[nodiscard]] const std::string& DecodedFrom() const noexcept { return decodedFrom_; }
    /// Whether the source is decoded from UTF-16, with a mark or without; known after the first Read.
    [[nodiscard]] bool ReadsUtf16() const noexcept
    {
        return encoding_ == Encoding::Utf16LittleEndian || encoding_ == Encoding::Utf16BigEndian;
    }
    /// Whether the source was read as bytes although its start looks like UTF-16; known after the first Read.
    [[nodiscard]] bool LooksLikeUtf16() const noexcept { return looksLikeUtf16_; }

private:
    enum class Encoding { Unknown, Bytes, Utf16LittleEndian, Utf16BigEndian, Recoded };

    std::size_t ReadFirst(std::FILE* file, std::span<char> out);
    std::size_t StartUtf16(std::FILE* file, std::span<char> out, std::size_t read, std::size_t markSize);
    std::size_t ReadBytes(std::FILE* file, char* out, std::size_t size);
    std::size_t DecodeUtf16(std::FILE* file, std::span<char> out);
    std::size_t StartRecoding(std::FILE* file, std::span<char> out, std::size_t read);
    std::size_t DecodeRecoded(std::FILE* file, std::span<char> out);
    bool EnsureUnits(std::FILE* file, std::size_t bytes);
    bool ReadMoreRaw(std::FILE* file);
    [[nodiscard]] char16_t UnitAt(std::size_t at) const;
    [[noreturn]] void FailUtf16(const std::string& what) const;

    std::string name_;
    std::string fromEncoding_;
    std::string decodedFrom_;
    std::unique_ptr<Utf8Recoder> recoder_;
    Encoding encoding_ = Encoding::Unknown;
    bool byteOrderMark_ = false;
    std::uint64_t bytesRead_ = 0;
    bool looksLikeUtf16_ = false;
    // UTF-16 bytes read but not yet decoded: raw_[rawStart_, rawEnd_), which begin at rawOffset_ in the file.
    std::vector<char> raw_;
    std::size_t rawStart_ = 0;
    std::size_t rawEnd_ = 0;
    std::uintmax_t rawOffset_ = 0;
    bool rawAtEnd_ = false;
};

} // namespace varnuth
