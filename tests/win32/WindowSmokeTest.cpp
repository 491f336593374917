#include "ControlIds.h"
#include "TestSupport.h"
#include "WindowsFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>

namespace varnuth::test {
namespace {

using namespace std::chrono_literals;
using win32::ControlId;

// Every wait ends: a cold wine takes seconds to show a window, never this long.
constexpr auto kPatience = 30s;
constexpr UINT kSendTimeoutMs = 10000;

/// The first non-null answer of \p find, asked until kPatience has passed.
template <typename Find>
auto WaitFor(Find find) -> decltype(find())
{
    const auto end = std::chrono::steady_clock::now() + kPatience;
    for (;;) {
        if (auto found = find(); found || std::chrono::steady_clock::now() > end) {
            return found;
        }
        std::this_thread::sleep_for(50ms);
    }
}

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &length);
    return {text, static_cast<std::size_t>(length)};
}

/// A visible top-level window of \p processId with the class \p className.
HWND WindowOf(DWORD processId, const wchar_t* className)
{
    struct Search {
        DWORD processId;
        const wchar_t* className;
        HWND found;
    } search{processId, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) {
            auto& wanted = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t found[64] = {};
            GetClassNameW(window, found, static_cast<int>(std::size(found)));
            if (owner == wanted.processId && IsWindowVisible(window) && std::wstring(found) == wanted.className) {
                wanted.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

/// varnuth.exe started in \p folder with \p arguments, ended at the latest when the test ends.
class WindowProcess {
public:
    WindowProcess(const std::wstring& folder, const std::wstring& arguments)
    {
        std::wstring line = L"\"" + WideText(VARNUTH_WINDOW) + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                                  &process_)
                   != FALSE;
    }
    WindowProcess(const WindowProcess&) = delete;
    WindowProcess& operator=(const WindowProcess&) = delete;
    ~WindowProcess()
    {
        if (started_) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 1);
            }
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
    }

    [[nodiscard]] bool Started() const { return started_; }
    [[nodiscard]] DWORD Id() const { return process_.dwProcessId; }
    [[nodiscard]] DWORD ThreadId() const { return process_.dwThreadId; }
    /// The exit code once it has ended, or STILL_ACTIVE.
    [[nodiscard]] DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(kPatience / 1ms)) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process_.hProcess, &code);
        }
        return code;
    }

private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

// As a user would: a source named on the command line, a target typed, Convert, the message read and dismissed,
// Close. The window's defaults give the same script as the engine's, byte for byte.
TEST(WindowSmokeTest, ConvertsTheNamedFilesShowsTheCountAndCloses)
{
    const TempFolder folder;
    const std::wstring source = folder.path().wstring() + L"\\字幕 one.srt";
    const std::wstring target = folder.path().wstring() + L"\\out.ssa";
    WriteBytes(std::filesystem::path(source), ReadBytes(VARNUTH_SCRIPTS "/entries.srt"));

    WindowProcess window(folder.path().wstring(), L"\"字幕 one.srt\"");
    ASSERT_TRUE(window.Started());
    const HWND main = WaitFor([&] { return WindowOf(window.Id(), win32::kMainWindowClass); });
    ASSERT_NE(main, nullptr) << "no window appeared; wine needs an X display (xvfb-run -a ctest --preset windows)";
    EXPECT_EQ(TextOf(main), L"Varnuth");
    EXPECT_EQ(TextOf(GetDlgItem(main, ControlId::kTxtSource)), source) << "the full name of the argument";

    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(GetDlgItem(main, ControlId::kTxtTarget), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(target.c_str()), SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    const HWND convert = GetDlgItem(main, ControlId::kCmdConvert);
    PostMessageW(convert, BM_CLICK, 0, 0);

    const HWND message = WaitFor([&] { return WindowOf(window.Id(), L"#32770"); });
    ASSERT_NE(message, nullptr) << "no message after Convert";
    EXPECT_EQ(TextOf(message), L"Varnuth");
    constexpr int kMessageTextId = 0xFFFF;
    EXPECT_EQ(TextOf(GetDlgItem(message, kMessageTextId)), L"2 rows finished!!!");
    PostMessageW(message, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return WindowOf(window.Id(), L"#32770") == nullptr; }));
    EXPECT_TRUE(WaitFor([&] {
        GUITHREADINFO focus{};
        focus.cbSize = sizeof focus;
        return GetGUIThreadInfo(window.ThreadId(), &focus) && focus.hwndFocus == convert && IsWindowEnabled(convert);
    })) << "the focus goes back to an enabled Convert";

    PostMessageW(GetDlgItem(main, ControlId::kCmdClose), BM_CLICK, 0, 0);
    EXPECT_EQ(window.ExitCode(), 0U);
    EXPECT_EQ(ReadBytes(std::filesystem::path(target)), ReadBytes(VARNUTH_SCRIPTS "/entries.ssa"));
}

// Signing out ends the process soon after the window has been told: a run still going stops first and leaves no
// temporary file beside its target.
TEST(WindowSmokeTest, TheEndOfTheSessionStopsARunWithoutLeavingItsTemporaryFile)
{
    const TempFolder folder;
    WriteBytes(folder.path() / "long.srt", Repeated(kSubRipEntry, 500'000));
    WindowProcess window(folder.path().wstring(), L"long.srt");
    ASSERT_TRUE(window.Started());
    const HWND main = WaitFor([&] { return WindowOf(window.Id(), win32::kMainWindowClass); });
    ASSERT_NE(main, nullptr);
    const std::wstring target = folder.path().wstring() + L"\\out.ssa";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(GetDlgItem(main, ControlId::kTxtTarget), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(target.c_str()), SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    SendMessageTimeoutW(GetDlgItem(main, ControlId::kCmdConvert), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                        &ignored);
    ASSERT_NE(SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored), 0);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"long.srt"});
}

} // namespace
} // namespace varnuth::test
