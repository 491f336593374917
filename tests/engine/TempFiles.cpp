#include "TempFiles.h"

#include <cstdlib>

#include <fstream>
#include <iterator>

namespace varnuth::test {

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
        const char high = static_cast<char>(unit >> 8U);
        const char low = static_cast<char>(unit & 0xFFU);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::vector<std::string> Reported(const RunOutcome& outcome)
{
    std::vector<std::string> lines;
    for (const UnconvertedLine& line : outcome.unconverted.first) {
        lines.push_back(std::to_string(line.number) + ": " + line.reason);
    }
    return lines;
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
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

void TempFolderTest::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "varnuth-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
}

void TempFolderTest::TearDown()
{
    std::error_code ignored;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(folder_, ignored);
}

std::string TempFolderTest::PathOf(std::string_view name) const
{
    return (folder_ / name).string();
}

void TempFolderTest::WriteFile(std::string_view name, std::string_view bytes) const
{
    WriteBytes(folder_ / name, bytes);
}

std::string TempFolderTest::ReadFile(std::string_view name) const
{
    return ReadBytes(folder_ / name);
}

void ConversionTest::SetUp()
{
    TempFolderTest::SetUp();
    style_.SetDefaults();
    request_.sourceName = PathOf("source");
    request_.targetName = PathOf("target");
    request_.alignCentre = true;
    request_.marginLeft = "10";
    request_.marginRight = "10";
    request_.marginBottom = "14";
}

RunOutcome ConversionTest::Convert(OutputFormat format, std::string_view source)
{
    WriteFile("source", source);
    request_.format = format;
    return PerformConversion(request_, style_);
}

} // namespace varnuth::test
