#include "TempFiles.h"

#include <fstream>
#include <iterator>
#include <random>

namespace varnuth::test {

std::string CrLf(std::initializer_list<std::string_view> lines)
{
    std::string text;
    for (const std::string_view line : lines) {
        text.append(line).append("\r\n");
    }
    return text;
}

void TempFolderTest::SetUp()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path()
              / ("varnuth-" + std::string(info->name()) + "-" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
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
    std::ofstream out(folder_ / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << name;
}

std::string TempFolderTest::ReadFile(std::string_view name) const
{
    std::ifstream in(folder_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
    return PerformConversion(request_);
}

} // namespace varnuth::test
