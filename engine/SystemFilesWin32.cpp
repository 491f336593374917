#include "SystemFiles.h"

#include "RunError.h"
#include "WindowsFiles.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>

namespace varnuth {
namespace {

// Past this length a name needs the long form; the margin is what CreateDirectoryW keeps for an 8.3 name.
constexpr std::size_t kLongName = MAX_PATH - 12;

bool StartsWith(std::wstring_view text, std::wstring_view start)
{
    return text.substr(0, start.size()) == start;
}

RunError SourceFailure(unsigned long code, const std::string& name)
{
    return {std::error_code(ErrorNumberOf(code), std::generic_category()), SourceContext(name)};
}

} // namespace

std::wstring WideText(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), units);
    return wide;
}

std::string Utf8Text(std::wstring_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::wstring SystemName(const std::string& name)
{
    std::wstring wide = WideText(name);
    if (wide.empty() || StartsWith(wide, L"\\\\?\\")) {
        return wide;
    }
    // Full, because wine's ReplaceFileW misreads a relative name; the system resolves one the same way.
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return wide;
    }
    full.resize(length);
    if (full.size() < kLongName || StartsWith(full, L"\\\\.\\")) {
        return full;
    }
    return StartsWith(full, L"\\\\") ? L"\\\\?\\UNC\\" + full.substr(2) : L"\\\\?\\" + full;
}

int ErrorNumberOf(unsigned long code) noexcept
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA: return EPIPE;
    default: return EIO;
    }
}

std::FILE* OpenSourceFile(const std::string& name)
{
    const std::wstring system = SystemName(name);
    const DWORD attributes = ::GetFileAttributesW(system.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw RunError(std::make_error_code(std::errc::is_a_directory), SourceContext(name));
    }
    // Others may go on reading, writing, renaming or deleting it, as on other systems.
    HANDLE handle = ::CreateFileW(system.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw SourceFailure(::GetLastError(), name);
    }
    // A console or a pipe may never end.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        throw RunError(static_cast<int>(std::errc::invalid_argument),
                       SourceContext(name) + ": it is not a regular file");
    }
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    std::FILE* const file = descriptor < 0 ? nullptr : ::_fdopen(descriptor, "rb");
    if (file == nullptr) {
        const int error = errno;
        descriptor < 0 ? ::CloseHandle(handle) : ::_close(descriptor);
        throw RunError(std::error_code(error, std::generic_category()), SourceContext(name));
    }
    return file;
}

bool IdentityOfHandle(void* handle, FileIdentity& identity) noexcept
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (::GetFileInformationByHandle(handle, &information) == 0) {
        return false;
    }
    identity = {information.dwVolumeSerialNumber,
                (std::uint64_t{information.nFileIndexHigh} << 32U) | information.nFileIndexLow};
    return true;
}

FileIdentity IdentityOfSource(std::FILE* file, const std::string& name)
{
    FileIdentity identity;
    if (!IdentityOfHandle(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file))), identity)) {
        throw SourceFailure(::GetLastError(), name);
    }
    return identity;
}

std::FILE* OpenStandardInput(const std::string& name)
{
    const int descriptor = ::_dup(0);
    std::FILE* const file = descriptor < 0 ? nullptr : ::_fdopen(descriptor, "rb");
    if (file == nullptr) {
        const int error = errno;
        if (descriptor >= 0) {
            ::_close(descriptor);
        }
        throw RunError(std::error_code(error, std::generic_category()), SourceContext(name));
    }
    ::_setmode(descriptor, _O_BINARY);
    return file;
}

std::optional<FileIdentity> IdentityOfName(const std::string& name)
{
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE probe = ::CreateFileW(SystemName(name).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FileIdentity identity;
    const bool known = IdentityOfHandle(probe, identity);
    ::CloseHandle(probe);
    return known ? std::optional(identity) : std::nullopt;
}

std::optional<std::uint64_t> RegularFileSize(const std::string& name)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(SystemName(name).c_str(), GetFileExInfoStandard, &data) == 0
        || (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32U) | data.nFileSizeLow;
}

int FolderError(const std::string& name)
{
    const DWORD attributes = ::GetFileAttributesW(SystemName(name).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return ErrorNumberOf(::GetLastError());
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ENOTDIR;
}

} // namespace varnuth
