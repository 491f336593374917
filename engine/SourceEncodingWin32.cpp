// Windows has neither uchardet nor iconv: every source is read as UTF-8 or UTF-16, its other bytes unchanged.

#include "SourceEncoding.h"

#include "RunError.h"

#include <system_error>

namespace varnuth {

const bool kDecodesEncodings = false;

std::string DetectSourceEncoding(const std::string&)
{
    return {};
}

bool IsKnownEncoding(const std::string&)
{
    return false;
}

Utf8Recoder::Utf8Recoder(const std::string& encoding) : handle_(nullptr)
{
    throw RunError(static_cast<int>(std::errc::not_supported),
                   "This build cannot decode a source in \"" + encoding + "\"");
}

Utf8Recoder::~Utf8Recoder() = default;

Utf8Recoder::Result Utf8Recoder::Convert(const char*&, std::size_t&, char*&, std::size_t&)
{
    return Result::Invalid;
}

} // namespace varnuth
