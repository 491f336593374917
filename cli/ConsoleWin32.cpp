#include "Console.h"

#include "TargetFile.h"
#include "SystemFiles.h"
#include "WindowsFiles.h"

#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <algorithm>
#include <iostream>
#include <memory>
#include <streambuf>
#include <thread>

namespace {

// The bytes at the end of \p text that start a character whose other bytes are still to come.
std::size_t UnfinishedCharacter(const std::string& text)
{
    constexpr unsigned char kContinuationMask = 0xC0;
    constexpr unsigned char kContinuation = 0x80;
    constexpr std::size_t kLongest = 4;
    for (std::size_t back = 1; back <= std::min(text.size(), kLongest - 1); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & kContinuationMask) == kContinuation) {
            continue;
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// A console shows UTF-16 as typed whatever its code page; a pipe or a file gets the UTF-8 bytes unchanged.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pending_ += traits_type::to_char_type(c);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* text, std::streamsize size) override
    {
        pending_.append(text, static_cast<std::size_t>(size));
        return size;
    }

    int sync() override
    {
        const std::size_t complete = pending_.size() - UnfinishedCharacter(pending_);
        const auto bytes = static_cast<int>(complete);
        const int units = ::MultiByteToWideChar(CP_UTF8, 0, pending_.data(), bytes, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(units), L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, pending_.data(), bytes, wide.data(), units);
        pending_.erase(0, complete);
        for (std::size_t at = 0; at < wide.size();) {
            DWORD written = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
            if (::WriteConsoleW(console_, wide.data() + at, chunk, &written, nullptr) == 0 || written == 0) {
                return -1;
            }
            at += written;
        }
        return 0;
    }

private:
    HANDLE console_;
    std::string pending_;
};

// Restores the streams' own buffers at exit, so their last flush never reaches a buffer already destroyed.
class ConsoleStream {
public:
    ConsoleStream(std::ostream& stream, HANDLE console) : stream_(stream), buffer_(console)
    {
        original_ = stream_.rdbuf(&buffer_);
    }
    ConsoleStream(const ConsoleStream&) = delete;
    ConsoleStream& operator=(const ConsoleStream&) = delete;
    ~ConsoleStream()
    {
        stream_.flush();
        stream_.rdbuf(original_);
    }

private:
    std::ostream& stream_;
    ConsoleBuffer buffer_;
    std::streambuf* original_ = nullptr;
};

void Prepare(std::ostream& stream, std::FILE* file, DWORD handleNumber)
{
    ::_setmode(::_fileno(file), _O_BINARY);
    HANDLE handle = ::GetStdHandle(handleNumber);
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode) != 0) {
        static std::vector<std::unique_ptr<ConsoleStream>> consoles;
        consoles.push_back(std::make_unique<ConsoleStream>(stream, handle));
    }
}

// Ends the process itself, with the status Windows gives a program stopped by Ctrl+C, so no caller takes it for a
// success (wine's own ending of it exits with 0).
BOOL WINAPI EndOnControl(DWORD /*event*/)
{
    varnuth::RemoveUnfinishedTarget();
    ::ExitProcess(static_cast<UINT>(STATUS_CONTROL_C_EXIT));
}

} // namespace

std::vector<std::string> CommandArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* const wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(varnuth::Utf8Text(wide[i]));
    }
    ::LocalFree(static_cast<HLOCAL>(wide));
    return arguments;
}

void PrepareStandardStreams()
{
    Prepare(std::cout, stdout, STD_OUTPUT_HANDLE);
    Prepare(std::cerr, stderr, STD_ERROR_HANDLE);
}

// Ctrl+C, Ctrl+Break and closing the console.
void InstallInterruptCleanup()
{
    ::SetConsoleCtrlHandler(EndOnControl, TRUE);
}

unsigned UsableProcessors()
{
    return std::max(1U, std::thread::hardware_concurrency());
}

// The progress line is redrawn with terminal sequences, which a console follows once asked to.
std::size_t StandardErrorColumns()
{
    HANDLE console = ::GetStdHandle(STD_ERROR_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    DWORD mode = 0;
    if (::GetConsoleScreenBufferInfo(console, &screen) == 0 || ::GetConsoleMode(console, &mode) == 0
        || ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0) {
        return 0;
    }
    const int columns = screen.srWindow.Right - screen.srWindow.Left + 1;
    return static_cast<std::size_t>(std::max(columns, 2));
}

bool IsStandardOutput(const std::string& name)
{
    const std::optional<varnuth::FileIdentity> named = varnuth::IdentityOfName(name);
    varnuth::FileIdentity output;
    HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
    return named && ::GetFileType(handle) == FILE_TYPE_DISK && varnuth::IdentityOfHandle(handle, output)
           && output == *named;
}

// Ctrl+C already ends the command after the handler has removed what is in flight.
void EndBatchOnInterrupt() {}

// The Windows heap keeps freed blocks for reuse by itself.
void KeepFreedMemory() {}
