#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace varnuth::test {

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "varnuth-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    path_ = pattern;
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
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::abort();
    }
}

std::string CrLf(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (const std::string_view line : lines) {
        text.append(line).append("\r\n");
    }
    return text;
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
    out.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
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

std::string SubRipSource(std::size_t bytes)
{
    std::string source;
    for (int entry = 1; source.size() < bytes; ++entry) {
        source += std::to_string(entry) + "\r\n00:00:01,000 --> 00:00:04,000\r\nSome words of text\r\n\r\n";
    }
    return source;
}

std::string SonicSource(std::size_t bytes)
{
    constexpr std::string_view kEntry = "0001  00:00:20:13  00:00:24:01  Some words of text\r\n\r\n";
    return Repeated(kEntry, (bytes + kEntry.size() - 1) / kEntry.size());
}

ConversionRequest DefaultRequest(std::string source, std::string target, OutputFormat format)
{
    ConversionRequest request;
    request.sourceName = std::move(source);
    request.targetName = std::move(target);
    request.format = format;
    request.alignCentre = true;
    request.marginLeft = "10";
    request.marginRight = "10";
    request.marginBottom = "14";
    return request;
}

StyleSettings DefaultStyle()
{
    StyleSettings style;
    style.SetDefaults();
    return style;
}

std::vector<std::string> Reported(const RunOutcome& outcome)
{
    std::vector<std::string> lines;
    for (const UnconvertedLine& line : outcome.unconverted.first) {
        lines.push_back(std::to_string(line.number) + ": " + line.reason);
    }
    return lines;
}

} // namespace varnuth::test
