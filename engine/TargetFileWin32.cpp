#include "TargetFile.h"

#include "RunError.h"
#include "WindowsFiles.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cerrno>
#include <mutex>
#include <random>
#include <utility>
#include <vector>

namespace varnuth {
namespace {

constexpr std::string_view kPartial = "; the target file holds only what was written before the failure";

// The temporary files in flight, by their system names. The console's control handler runs on a thread of its own
// and takes the lock as a run does: so it waits while a run creates its temporary file or puts it in place, and then
// none is created or placed before the process ends.
std::mutex inFlightLock;
std::array<const std::wstring*, kMostTargetsInFlight> inFlight{};

int LastError() noexcept
{
    return ErrorNumberOf(::GetLastError());
}

// Without the target's extension, so no file dialog pattern lists it; the random part is unguessable.
std::string TemporaryName(const std::string& name)
{
    constexpr std::size_t kKeptNameBytes = 200;
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int kRandomLetters = 10;
    const std::size_t separator = name.find_last_of("/\\:");
    const std::size_t baseStart = separator == std::string::npos ? 0 : separator + 1;
    std::string temporary = name.substr(0, baseStart) + "." + name.substr(baseStart, kKeptNameBytes) + ".";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
    for (int i = 0; i < kRandomLetters; ++i) {
        temporary += kLetters[letter(random)];
    }
    return temporary;
}

// A name under \\.\ is a device or a pipe: probing it could take the one connection a pipe offers.
bool IsDeviceName(const std::string& name)
{
    return name.starts_with("\\\\.\\") || name.starts_with("//./");
}

int DescriptorOf(HANDLE handle)
{
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
        ::CloseHandle(handle);
    }
    return descriptor;
}

HANDLE HandleOf(int descriptor)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(descriptor));
}

struct Found {
    bool exists = false;
    bool device = false;
    DWORD attributes = 0;
    FileIdentity identity;
};

// What is at the target's name now, links followed, so that another name of the source is known as the source.
Found Examine(const std::wstring& system, const std::string& name)
{
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE probe =
        ::CreateFileW(system.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) {
            return {};
        }
        throw UnchangedTargetFailure(LastError(), name);
    }
    Found found;
    found.exists = true;
    BY_HANDLE_FILE_INFORMATION information{};
    if (::GetFileType(probe) != FILE_TYPE_DISK) {
        found.device = true;
    } else if (::GetFileInformationByHandle(probe, &information) != 0 && IdentityOfHandle(probe, found.identity)) {
        found.attributes = information.dwFileAttributes;
    } else {
        const int error = LastError();
        ::CloseHandle(probe);
        throw UnchangedTargetFailure(error, name);
    }
    ::CloseHandle(probe);
    return found;
}

// The old target's access rights and attributes, given to the temporary file before its first byte: ReplaceFileW
// keeps them too, but not every system that runs the program has it do so.
bool TakeProtection(const std::wstring& target, const std::wstring& temporary, DWORD attributes)
{
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD size = 0;
    ::GetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<char> security(size);
    return size != 0 && ::GetFileSecurityW(target.c_str(), DACL_SECURITY_INFORMATION, security.data(), size, &size) != 0
           && ::SetFileSecurityW(temporary.c_str(), DACL_SECURITY_INFORMATION, security.data()) != 0
           && ::SetFileAttributesW(temporary.c_str(), (attributes & kKept) | FILE_ATTRIBUTE_NORMAL) != 0;
}

} // namespace

struct TargetFile::Platform {
    explicit Platform(const std::string& name) : name_(name) {}

    void Open(FileIdentity source);
    void OpenStandardOutput(FileIdentity source);
    void OpenDirectly(int flags);
    enum LinkRule { kRefuseLink, kFollowLink };
    void OpenInPlace(FileIdentity source, LinkRule links);
    [[nodiscard]] bool CreateTemporary(int permissions);
    void Write(std::string_view bytes);
    void Commit();
    void Discard() noexcept;
    [[nodiscard]] std::string_view FailureNote() const noexcept;

    std::string name_;
    std::string temporaryName_;
    std::wstring systemTemporary_; // what the control handler removes while inFlight lists it
    int descriptor_ = -1;
    bool replaces_ = false;
    bool regular_ = true;
};

// A pipe here is written with blocking writes, so \p cancel is not needed to end a wait.
TargetFile::TargetFile(const std::string& name, FileIdentity source, [[maybe_unused]] const std::atomic<bool>* cancel,
                       Opening opening)
    : platform_(std::make_unique<Platform>(name))
{
    opening == Opening::StandardStream ? platform_->OpenStandardOutput(source) : platform_->Open(source);
}

// A duplicate, so the process's own descriptor stays open; a console may be both the source and the target.
void TargetFile::Platform::OpenStandardOutput(FileIdentity source)
{
    descriptor_ = ::_dup(1);
    if (descriptor_ < 0) {
        throw UnchangedTargetFailure(errno, name_);
    }
    ::_setmode(descriptor_, _O_BINARY);
    FileIdentity identity;
    regular_ = ::GetFileType(HandleOf(descriptor_)) == FILE_TYPE_DISK;
    if (regular_ && IdentityOfHandle(HandleOf(descriptor_), identity) && identity == source) {
        Discard();
        throw UnchangedTargetFailure(EEXIST, name_, "it is the source file");
    }
}

TargetFile::~TargetFile()
{
    Discard();
}

void TargetFile::Write(std::string_view bytes)
{
    platform_->Write(bytes);
}

void TargetFile::Commit()
{
    platform_->Commit();
}

void TargetFile::Discard() noexcept
{
    platform_->Discard();
}

bool TargetFile::WritesInPlace() const noexcept
{
    return !platform_->replaces_;
}

std::string_view TargetFile::FailureNote() const noexcept
{
    return platform_->FailureNote();
}

void TargetFile::Platform::Open(FileIdentity source)
{
    const std::string& name = name_;
    if (IsDeviceName(name)) {
        OpenDirectly(0);
        return;
    }
    const Found found = Examine(SystemName(name), name);
    if (found.device) {
        OpenDirectly(0);
        return;
    }
    if (found.exists && found.identity == source) {
        throw UnchangedTargetFailure(EEXIST, name, "it is the source file");
    }
    if ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw UnchangedTargetFailure(EISDIR, name);
    }
    if ((found.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw UnchangedTargetFailure(EACCES, name, "the file is read-only");
    }
    if (CreateTemporary(found.exists ? static_cast<int>(found.attributes) : -1)) {
        return;
    }
    const int error = errno;
    if (!found.exists || error != EACCES) {
        throw UnchangedTargetFailure(error, name);
    }
    OpenInPlace(source, kFollowLink);
}

// \p attributes are the old target's, or -1 for a new one.
bool TargetFile::Platform::CreateTemporary(int attributes)
{
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string temporary = TemporaryName(name_);
        std::wstring system = SystemName(temporary);
        HANDLE handle = INVALID_HANDLE_VALUE;
        DWORD failure = 0;
        {
            const std::lock_guard guard(inFlightLock);
            const auto slot = std::ranges::find(inFlight, nullptr);
            if (slot == inFlight.end()) {
                throw UnchangedTargetFailure(EAGAIN, name_, "too many conversions are writing at once");
            }
            // Shared for deletion, so that the console's control handler can remove it while it is being written.
            handle = ::CreateFileW(system.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            failure = ::GetLastError();
            if (handle != INVALID_HANDLE_VALUE) {
                systemTemporary_ = std::move(system);
                *slot = &systemTemporary_;
            }
        }
        if (handle != INVALID_HANDLE_VALUE) {
            temporaryName_ = std::move(temporary);
            replaces_ = true;
            descriptor_ = DescriptorOf(handle);
            const bool protectedLikeTarget =
                attributes < 0 || TakeProtection(SystemName(name_), systemTemporary_, static_cast<DWORD>(attributes));
            if (descriptor_ < 0 || !protectedLikeTarget) {
                const int error = descriptor_ < 0 ? errno : LastError();
                Discard();
                throw UnchangedTargetFailure(error, name_);
            }
            return true;
        }
        if (failure != ERROR_FILE_EXISTS) {
            errno = ErrorNumberOf(failure);
            return false;
        }
    }
    errno = EEXIST;
    return false;
}

void TargetFile::Platform::OpenDirectly([[maybe_unused]] int flags)
{
    regular_ = false;
    HANDLE handle = ::CreateFileW(SystemName(name_).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw UnchangedTargetFailure(LastError(), name_);
    }
    descriptor_ = DescriptorOf(handle);
    if (descriptor_ < 0) {
        throw UnchangedTargetFailure(errno, name_);
    }
}

void TargetFile::Platform::OpenInPlace(FileIdentity source, [[maybe_unused]] LinkRule links)
{
    // Identity is checked on the file actually opened, before it is emptied, so no swap of names can empty the source.
    HANDLE handle = ::CreateFileW(SystemName(name_).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw UnchangedTargetFailure(LastError(), name_);
    }
    FileIdentity opened;
    int error = 0;
    std::string_view reason;
    if (!IdentityOfHandle(handle, opened) || ::SetEndOfFile(handle) == 0) {
        error = LastError();
    } else if (opened == source) {
        error = EEXIST;
        reason = "it is the source file";
    }
    if (error != 0) {
        ::CloseHandle(handle);
        throw UnchangedTargetFailure(error, name_, reason);
    }
    descriptor_ = DescriptorOf(handle);
    if (descriptor_ < 0) {
        throw UnchangedTargetFailure(errno, name_);
    }
}

void TargetFile::Platform::Write(std::string_view bytes)
{
    assert(descriptor_ >= 0 && "Write after Commit or Discard");
    constexpr std::size_t kLargestWrite = std::size_t{1} << 30U;
    while (!bytes.empty()) {
        const auto size = static_cast<unsigned>(std::min(bytes.size(), kLargestWrite));
        const int written = ::_write(descriptor_, bytes.data(), size);
        if (written <= 0) {
            // Never retried: a retry could repeat bytes the device did take.
            throw TargetFailure(written < 0 ? errno : EIO, name_);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TargetFile::Platform::Commit()
{
    if (descriptor_ < 0) {
        return;
    }
    // On the disk before it takes the target's name, so a power loss leaves the old target or the whole new one.
    const bool flushed = !replaces_ || ::FlushFileBuffers(HandleOf(descriptor_)) != 0;
    int error = flushed ? 0 : LastError();
    if (::_close(std::exchange(descriptor_, -1)) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && !temporaryName_.empty()) {
        const std::wstring& temporary = systemTemporary_;
        const std::wstring target = SystemName(name_);
        // ReplaceFileW keeps the old target's attributes and access rights; a new target is only renamed.
        const std::lock_guard guard(inFlightLock);
        const bool existed = ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
        const bool placed = existed ? ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                          != 0
                                    : ::MoveFileExW(temporary.c_str(), target.c_str(),
                                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                                          != 0;
        error = placed ? 0 : LastError();
        if (placed) {
            *std::ranges::find(inFlight, &systemTemporary_) = nullptr;
            temporaryName_.clear();
        }
    }
    if (error != 0) {
        Discard();
        throw TargetFailure(error, name_);
    }
}

void TargetFile::Platform::Discard() noexcept
{
    if (descriptor_ >= 0) {
        ::_close(std::exchange(descriptor_, -1));
    }
    if (!temporaryName_.empty()) {
        const std::lock_guard guard(inFlightLock);
        ::DeleteFileW(systemTemporary_.c_str());
        *std::ranges::find(inFlight, &systemTemporary_) = nullptr;
        temporaryName_.clear();
    }
}

std::string_view TargetFile::Platform::FailureNote() const noexcept
{
    if (replaces_) {
        return kTargetUnchanged;
    }
    return regular_ ? kPartial : std::string_view();
}

// Never unlocked: the process ends next, and no run may create or place a file before it does.
void RemoveUnfinishedTarget() noexcept
{
    inFlightLock.lock();
    for (const std::wstring* name : inFlight) {
        if (name != nullptr) {
            ::DeleteFileW(name->c_str());
        }
    }
}

} // namespace varnuth
