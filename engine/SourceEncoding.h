#pragma once

#include <cstddef>
#include <string>

namespace varnuth {

/// Whether this build detects the encoding of a source that is neither UTF-8 nor UTF-16. The Windows build has no
/// detector: there such a source's encoding must be named.
extern const bool kDetectsEncodings;

/// The encoding in which to read the source \p name for a script whose text is UTF-8: empty when the source is UTF-8
/// (ASCII included) or UTF-16, else the one uchardet detects, else windows-1252. Reads the source once, in constant
/// memory; throws RunError where LineReader would, and where this build cannot detect the encoding.
[[nodiscard]] std::string DetectSourceEncoding(const std::string& name);

/// Whether a source in \p encoding, an iconv name such as cp1251, can be decoded.
[[nodiscard]] bool IsKnownEncoding(const std::string& encoding);

/// Turns text in one encoding into UTF-8, a piece at a time.
class Utf8Recoder {
public:
    enum class Result { Done, OutputFull, Incomplete, Invalid };

    /// Throws RunError if \p encoding cannot be decoded.
    explicit Utf8Recoder(const std::string& encoding);
    Utf8Recoder(const Utf8Recoder&) = delete;
    Utf8Recoder& operator=(const Utf8Recoder&) = delete;
    ~Utf8Recoder();

    /// Decodes from \p in into \p out, moving both on and lessening their sizes, until the input is used up (Done),
    /// the output is (OutputFull), the input ends inside a character (Incomplete), or at a byte that is no
    /// character (Invalid), where \p in stops.
    Result Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft);

private:
    void* handle_;
};

} // namespace varnuth
