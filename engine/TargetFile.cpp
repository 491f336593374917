#include "TargetFile.h"

#include "RunError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

namespace varnuth {
namespace {

constexpr std::string_view kUnchanged = "; the target file was not changed";
constexpr std::string_view kPartial = "; the target file holds only what was written before the failure";

// The temporary file's name, kept where a signal handler may read it without allocating or locking.
constexpr std::size_t kSlotSize = 4352;
char pendingName[kSlotSize];
volatile std::sig_atomic_t pendingArmed = 0;

void ArmSlot(const std::string& name) noexcept
{
    if (name.size() >= kSlotSize) {
        return;
    }
    pendingArmed = 0;
    std::memcpy(pendingName, name.c_str(), name.size() + 1);
    pendingArmed = 1;
}

void DisarmSlot(const std::string& name) noexcept
{
    if (pendingArmed != 0 && name == pendingName) {
        pendingArmed = 0;
    }
}

RunError Failure(int number, const std::string& name, std::string_view reason = {})
{
    const std::string text =
        reason.empty() ? std::error_code(number, std::generic_category()).message() : std::string(reason);
    return {number, TargetContext(name) + ": " + text};
}

RunError OpenFailure(int number, const std::string& name, std::string_view reason = {})
{
    return {number, Failure(number, name, reason).description() + std::string(kUnchanged)};
}

FileIdentity IdentityOf(const struct stat& status)
{
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

// Hidden and without the target's extension, so no file dialog pattern lists it; the random part is unguessable.
std::string TemporaryName(const std::string& name)
{
    constexpr std::size_t kKeptNameBytes = 200;
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int kRandomLetters = 10;
    const std::size_t slash = name.rfind('/');
    const std::size_t baseStart = slash == std::string::npos ? 0 : slash + 1;
    std::string temporary = name.substr(0, baseStart) + "." + name.substr(baseStart, kKeptNameBytes) + ".";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
    for (int i = 0; i < kRandomLetters; ++i) {
        temporary += kLetters[letter(random)];
    }
    return temporary;
}

// A name under /dev or /proc (/dev/stdout, /dev/fd/3) stands for a descriptor the system lends the process: replacing
// that link would break it for every program, so the file it leads to is written in place, as the shell's > does.
bool IsSystemName(const std::string& name)
{
    const std::size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash == 0 ? 1 : slash);
    char* const resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) {
        return false;
    }
    const std::string_view path(resolved);
    const bool system = path == "/dev" || path.starts_with("/dev/") || path == "/proc" || path.starts_with("/proc/");
    std::free(resolved);
    return system;
}

} // namespace

TargetFile::TargetFile(const std::string& name, FileIdentity source, Opening opening) : name_(name)
{
    if (opening == Opening::StandardStream) {
        OpenStandardOutput(source);
        return;
    }
    struct stat found {};
    const bool exists = ::lstat(name.c_str(), &found) == 0;
    if (!exists && errno != ENOENT) {
        throw OpenFailure(errno, name);
    }
    if (exists && S_ISLNK(found.st_mode) && ::stat(name.c_str(), &found) != 0) {
        found.st_mode = 0; // a dangling link is replaced like a new name
    }
    if (exists && IdentityOf(found) == source) {
        throw OpenFailure(EEXIST, name, "it is the source file");
    }
    if (S_ISDIR(found.st_mode)) {
        throw OpenFailure(EISDIR, name);
    }
    // Written where it is: there is nothing to replace, and a pipe may stand for a program waiting for the output.
    if (S_ISCHR(found.st_mode)) {
        OpenDirectly(O_WRONLY);
        return;
    }
    if (S_ISFIFO(found.st_mode)) {
        OpenDirectly(O_WRONLY | O_NONBLOCK);
        return;
    }
    if (found.st_mode != 0 && !S_ISREG(found.st_mode)) {
        throw OpenFailure(EINVAL, name, "it is neither a regular file, a character device nor a pipe");
    }
    // Refused as before, though a rename could replace it: root could otherwise overwrite a read-only file.
    constexpr mode_t kPermissions = S_IRWXU | S_IRWXG | S_IRWXO;
    constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    const bool replacesFile = exists && S_ISREG(found.st_mode);
    if (replacesFile && (found.st_mode & kAnyWrite) == 0) {
        throw OpenFailure(EACCES, name, "the file is read-only");
    }
    if (replacesFile && IsSystemName(name)) {
        OpenInPlace(source, kFollowLink);
        return;
    }
    if (CreateTemporary(replacesFile ? static_cast<int>(found.st_mode & kPermissions) : -1)) {
        return;
    }
    const int error = errno;
    if (!exists || (error != EACCES && error != EPERM && error != EROFS)) {
        throw OpenFailure(error, name);
    }
    OpenInPlace(source, kRefuseLink);
}

TargetFile::~TargetFile()
{
    Discard();
}

bool TargetFile::CreateTemporary(int permissions)
{
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string temporary = TemporaryName(name_);
        descriptor_ = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (descriptor_ >= 0) {
            temporaryName_ = std::move(temporary);
            replaces_ = true;
            ArmSlot(temporaryName_);
            // Like sed -i: the replaced target keeps its permissions; a new one gets 0666 less the umask.
            if (permissions >= 0 && ::fchmod(descriptor_, static_cast<mode_t>(permissions)) != 0) {
                const int error = errno;
                Discard();
                throw OpenFailure(error, name_);
            }
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

void TargetFile::OpenDirectly(int flags)
{
    regular_ = false;
    descriptor_ = ::open(name_.c_str(), flags | O_NOCTTY | O_CLOEXEC);
    if (descriptor_ < 0) {
        if (errno == ENXIO && (flags & O_NONBLOCK) != 0) {
            throw OpenFailure(ENXIO, name_, "it is a pipe that no program is reading from");
        }
        throw OpenFailure(errno, name_);
    }
    // Open now, so a reader exists; from here a full pipe waits for it like any other write.
    if ((flags & O_NONBLOCK) != 0 && ::fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        Discard();
        throw OpenFailure(error, name_);
    }
}

// A duplicate, so the process's own descriptor stays open; a terminal may be both the source and the target.
void TargetFile::OpenStandardOutput(FileIdentity source)
{
    descriptor_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    struct stat opened {};
    if (descriptor_ < 0 || ::fstat(descriptor_, &opened) != 0) {
        const int error = errno;
        Discard();
        throw OpenFailure(error, name_);
    }
    regular_ = S_ISREG(opened.st_mode);
    if (regular_ && IdentityOf(opened) == source) {
        Discard();
        throw OpenFailure(EEXIST, name_, "it is the source file");
    }
}

void TargetFile::OpenInPlace(FileIdentity source, LinkRule links)
{
    // Identity is checked on the file actually opened, before it is emptied, so no swap of names can empty the source.
    const int noFollow = links == kRefuseLink ? O_NOFOLLOW : 0;
    descriptor_ = ::open(name_.c_str(), O_WRONLY | noFollow | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor_ < 0) {
        const int error = errno;
        throw OpenFailure(error, name_,
                          error == ELOOP ? "it is a symbolic link in a folder where it cannot be replaced" : "");
    }
    struct stat opened {};
    int error = 0;
    std::string_view reason;
    const bool examined = ::fstat(descriptor_, &opened) == 0;
    if (examined && !S_ISREG(opened.st_mode)) {
        error = EINVAL;
        reason = "it is no longer a regular file";
    } else if (examined && IdentityOf(opened) == source) {
        error = EEXIST;
        reason = "it is the source file";
    } else if (!examined || ::ftruncate(descriptor_, 0) != 0) {
        error = errno;
    }
    if (error != 0) {
        Discard();
        throw OpenFailure(error, name_, reason);
    }
}

void TargetFile::Write(std::string_view bytes)
{
    assert(descriptor_ >= 0 && "Write after Commit or Discard");
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // Never retried: a retry could repeat bytes the device did take.
            throw Failure(written < 0 ? errno : EIO, name_);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TargetFile::Commit()
{
    if (descriptor_ < 0) {
        return;
    }
    if (::close(std::exchange(descriptor_, -1)) != 0) {
        const int error = errno;
        Discard();
        throw Failure(error, name_);
    }
    if (temporaryName_.empty()) {
        return;
    }
    if (::rename(temporaryName_.c_str(), name_.c_str()) != 0) {
        const int error = errno;
        Discard();
        throw Failure(error, name_);
    }
    DisarmSlot(temporaryName_);
    temporaryName_.clear();
}

void TargetFile::Discard() noexcept
{
    if (descriptor_ >= 0) {
        ::close(std::exchange(descriptor_, -1));
    }
    if (!temporaryName_.empty()) {
        ::unlink(temporaryName_.c_str());
        DisarmSlot(temporaryName_);
        temporaryName_.clear();
    }
}

std::string_view TargetFile::FailureNote() const noexcept
{
    if (replaces_) {
        return kUnchanged;
    }
    return regular_ ? kPartial : std::string_view();
}

void RemoveUnfinishedTarget() noexcept
{
    if (pendingArmed != 0) {
        ::unlink(pendingName);
    }
}

} // namespace varnuth
