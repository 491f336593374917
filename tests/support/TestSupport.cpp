#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace varnuth::test {

TempFolder::TempFolder()
{
    // As mkdtemp does, which Windows lacks: a new folder of a random name, for its owner alone.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = std::filesystem::temp_directory_path() / ("varnuth-test-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(path_, error)) {
            std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
            return;
        }
    }
    std::abort();
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes)
{
    if (!std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        std::abort();
    }
}

std::string Utf16(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8U);
        const auto low = static_cast<char>(unit & 0xFFU);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string Repeated(std::string_view text, std::size_t times)
{
    std::string out;
    while (times-- > 0) {
        out += text;
    }
    return out;
}

std::vector<std::string> PlainLines(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        lines.emplace_back(bytes.substr(start, end - start));
        start = bytes.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    }
    return lines;
}

ConversionRequest DefaultRequest(std::string source, std::string target, OutputFormat format)
{
    return {std::move(source), std::move(target), format, {}, {}, false, true, false,
            kDefaultMarginLeft, kDefaultMarginRight, kDefaultMarginBottom};
}

StyleSettings DefaultStyle()
{
    StyleSettings style;
    style.SetDefaults();
    return style;
}

RunOutcome Convert(const std::filesystem::path& source, const std::filesystem::path& target, OutputFormat format)
{
    StyleSettings style = DefaultStyle();
    return PerformConversion(DefaultRequest(source.string(), target.string(), format), style);
}

} // namespace varnuth::test
