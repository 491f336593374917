#include "SourceEncoding.h"

#include "RunError.h"
#include "SystemFiles.h"
#include "Utf8Check.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>

namespace varnuth {
namespace {

constexpr std::string_view kFallback = "windows-1252";

struct DetectorDeleter {
    void operator()(uchardet* detector) const noexcept { uchardet_delete(detector); }
};

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

std::string Lowercase(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

} // namespace

const bool kDetectsEncodings = true;

std::string DetectSourceEncoding(const std::string& name)
{
    const std::unique_ptr<std::FILE, FileCloser> file(OpenSourceFile(name));
    const std::unique_ptr<uchardet, DetectorDeleter> detector(uchardet_new());
    if (!detector) {
        throw std::bad_alloc();
    }
    Utf8Check utf8;
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    std::array<char, kChunk> buffer{};
    bool first = true;
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), file.get())) {
        const std::string_view bytes(buffer.data(), read);
        if (first && (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))) {
            return {};
        }
        first = false;
        utf8.Feed(bytes);
        // Only a source that is not UTF-8 needs the detector, from the buffer where it stopped being so.
        if (!utf8.ValidSoFar() && uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0) {
            throw std::bad_alloc();
        }
    }
    if (std::ferror(file.get()) != 0) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name));
    }
    if (utf8.Valid()) {
        return {};
    }
    // UTF-8 to its last character, which the source ends inside: the decoding names that byte.
    if (utf8.ValidSoFar()) {
        return "UTF-8";
    }
    uchardet_data_end(detector.get());
    // Text called ISO-8859-1 is nearly always windows-1252, whose quotes and dashes stand where ISO-8859-1 has
    // control characters: browsers read it so too.
    const std::string detected = Lowercase(uchardet_get_charset(detector.get()));
    return detected.empty() || detected == "iso-8859-1" || !IsKnownEncoding(detected) ? std::string(kFallback)
                                                                                      : detected;
}

bool IsKnownEncoding(const std::string& encoding)
{
    const iconv_t handle = iconv_open("UTF-8", encoding.c_str());
    if (handle == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    iconv_close(handle);
    return true;
}

Utf8Recoder::Utf8Recoder(const std::string& encoding) : handle_(iconv_open("UTF-8", encoding.c_str()))
{
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
        throw RunError(static_cast<int>(std::errc::invalid_argument), "Unknown encoding \"" + encoding + "\"");
    }
}

Utf8Recoder::~Utf8Recoder()
{
    iconv_close(handle_);
}

Utf8Recoder::Result Utf8Recoder::Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft)
{
    // iconv's input is not const only for historical reasons; it never writes there.
    char* input = const_cast<char*>(in);
    const std::size_t result = iconv(handle_, &input, &inLeft, &out, &outLeft);
    in = input;
    if (result != static_cast<std::size_t>(-1)) {
        return Result::Done;
    }
    switch (errno) {
    case E2BIG: return Result::OutputFull;
    case EINVAL: return Result::Incomplete;
    default: return Result::Invalid;
    }
}

} // namespace varnuth
