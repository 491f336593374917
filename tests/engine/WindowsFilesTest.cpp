#include "ConversionFixture.h"
#include "WindowsFiles.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

namespace varnuth::test {
namespace {

namespace fs = std::filesystem;

const std::string kSource = "0001  00:00:20:13  00:00:24:01  a.bmp\r\n0002  00:01:02:00  00:01:04:29  b.bmp\r\n";

// The attributes and the access rights as text, which a replaced target keeps.
std::wstring Protection(const fs::path& file)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    LPWSTR text = nullptr;
    ::GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                            nullptr, &descriptor);
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                           &text, nullptr);
    std::wstring protection = std::to_wstring(::GetFileAttributesW(file.c_str())) + L" " + (text ? text : L"none");
    ::LocalFree(text);
    ::LocalFree(descriptor);
    return protection;
}

class WindowsFilesTest : public ConversionFixture {
protected:
    void SetUp() override
    {
        previous_ = fs::current_path();
        fs::current_path(temp_.path());
        WriteBytes("source", kSource);
        WriteBytes("short", kSource + "0003  00:01:05:00  00:01:06:29\r\n");
        WriteBytes("old", "keep me");
        ASSERT_TRUE(Convert(OutputFormat::SON, kSource).succeeded());
        expected_ = Target();
    }
    void TearDown() override { fs::current_path(previous_); }

    fs::path previous_;
    std::string expected_;
};

// A replaced target keeps its hidden attribute and its access rights, as a POSIX one keeps its mode; a read-only one
// is refused; every line ends in one CR LF.
TEST_F(WindowsFilesTest, TheOutputReplacesTheTargetKeepingItsAttributesAndAccess)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1,
                                                                       &descriptor, nullptr));
    ASSERT_TRUE(::SetFileSecurityW(L"old", DACL_SECURITY_INFORMATION, descriptor));
    ::LocalFree(descriptor);
    ASSERT_TRUE(::SetFileAttributesW(L"old", FILE_ATTRIBUTE_HIDDEN));
    const std::wstring before = Protection("old");
    request_ = DefaultRequest("source", "old", OutputFormat::SON);
    ASSERT_TRUE(PerformConversion(request_, style_).succeeded());
    EXPECT_EQ(ReadBytes("old"), expected_);
    EXPECT_EQ(Protection("old"), before);
    EXPECT_EQ(expected_.find("\r\r"), std::string::npos);
    EXPECT_TRUE(expected_.ends_with("\tb.bmp\r\n"));
    WriteBytes("read-only", "keep me");
    ASSERT_TRUE(::SetFileAttributesW(L"read-only", FILE_ATTRIBUTE_READONLY));
    request_ = DefaultRequest("source", "read-only", OutputFormat::SON);
    EXPECT_EQ(PerformConversion(request_, style_).error->description(),
              "Cannot write the target file \"read-only\": the file is read-only; the target file was not changed");
    EXPECT_EQ(ReadBytes("read-only"), "keep me");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 5); // no temporary file left
}

// Names as Windows users write them: both separators, drive letters, names past MAX_PATH, any script; the source
// under another spelling, its short name among them, is refused.
TEST_F(WindowsFilesTest, NamesInEveryFormReachTheirFile)
{
    const std::string folder = Utf8Text(temp_.path().wstring());
    std::wstring longFolder = L"\\\\?\\" + temp_.path().wstring();
    for (int level = 0; level < 3; ++level) {
        longFolder += L"\\" + std::wstring(100, L'd');
        ASSERT_TRUE(::CreateDirectoryW(longFolder.c_str(), nullptr));
    }
    fs::create_directory("Subs");
    WriteBytes("Subs/a long source name.srt", kSource);
    wchar_t shortName[MAX_PATH] = {};
    ::GetShortPathNameW(L"Subs\\a long source name.srt", shortName, MAX_PATH);
    const std::string same = "\": it is the source file; the target file was not changed";
    // Source, target, and what the run says: nothing for a target that then holds the output.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"Subs\\a long source name.srt", "Subs\\out.son", ""},
        {folder + "\\source", folder + "\\Subs\\字幕.son", ""},
        {"Subs/a long source name.srt", "Subs/phụ đề.son", ""},
        {"source", Utf8Text(longFolder.substr(4)) + "\\out.son", ""},
        {folder + "\\Subs\\a long source name.srt", "subs/A LONG SOURCE NAME.SRT",
         "Cannot write the target file \"subs/A LONG SOURCE NAME.SRT" + same},
        {"Subs\\a long source name.srt", Utf8Text(shortName), "Cannot write the target file \"" + Utf8Text(shortName) + same},
        {"short", "old", "Line 3 of the source is too short for an entry line: 30 of at least 32 characters; the "
                         "target file was not changed"},
    };
    for (const auto& [source, target, message] : cases) {
        SCOPED_TRACE(target);
        request_ = DefaultRequest(source, target, OutputFormat::SON);
        const RunOutcome outcome = PerformConversion(request_, style_);
        EXPECT_EQ(outcome.error ? outcome.error->description() : "", message);
        const std::wstring wide = WideText(target);
        EXPECT_TRUE(!message.empty() || ReadBytes(wide.size() < MAX_PATH ? wide : L"\\\\?\\" + wide) == expected_);
        EXPECT_EQ(ReadBytes(fs::path(WideText(source))), source == "short" ? kSource + "0003  00:01:05:00  00:01:06:29\r\n" : kSource);
        EXPECT_EQ(ReadBytes("old"), "keep me");
    }
}

} // namespace
} // namespace varnuth::test
