// The target on POSIX systems. Its folder is held open and every name in it is reached through that descriptor, so
// a folder renamed during the run changes nothing and a name of any length that the shell can write to can be
// replaced.

#include "TargetFile.h"

#include "RunError.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

namespace varnuth {
namespace {

constexpr std::string_view kPartial = "; the target file holds only what was written before the failure";
constexpr std::string_view kLost = "; the old target file is lost: it holds only part of the new output";

// ---- The temporary files in flight, where a signal handler finds them without allocating or locking ----

constexpr std::size_t kSlots = kMostTargetsInFlight;
constexpr std::size_t kNameRoom = 256;

enum SlotState : int {
    kFree,
    kFilling, // being claimed or named: the handler passes it by
    kArmed,   // the temporary file may exist: the handler removes it
    kPlacing, // becoming the target: the handler leaves it and waits
};

struct Slot {
    std::atomic<int> state = kFree;
    int folder = -1;
    char name[kNameRoom] = {};
};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

Slot slots[kSlots];
std::atomic<int> deferredSignal = 0;
std::atomic<bool> anyPlaced = false;
std::atomic<bool> reportPlaced = false;

Slot* ClaimSlot() noexcept
{
    for (Slot& slot : slots) {
        int expected = kFree;
        if (slot.state.compare_exchange_strong(expected, kFilling)) {
            return &slot;
        }
    }
    return nullptr;
}

// Armed before the file is created, so that a signal during the open leaves nothing either.
void Arm(Slot& slot, int folder, const std::string& name) noexcept
{
    assert(name.size() < kNameRoom && "a temporary name is made short");
    slot.state = kFilling;
    slot.folder = folder;
    std::memcpy(slot.name, name.c_str(), name.size() + 1);
    slot.state = kArmed;
}

// Removes the armed temporary files; true if some run is placing its output.
bool RemoveArmed() noexcept
{
    bool placing = false;
    for (Slot& slot : slots) {
        const int state = slot.state;
        if (state == kArmed) {
            ::unlinkat(slot.folder, slot.name, 0);
        }
        placing = placing || state == kPlacing;
    }
    return placing;
}

// Inside the handler the signal is blocked: it ends the process as soon as the handler returns.
void EndBy(int number) noexcept
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigaction(number, &action, nullptr);
    ::raise(number);
}

extern "C" void EndOnSignal(int number)
{
    const int savedError = errno;
    if (reportPlaced && anyPlaced) {
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        ::sigaction(number, &action, nullptr);
        errno = savedError;
        return;
    }
    deferredSignal = number;
    if (!RemoveArmed()) {
        EndBy(number);
    }
    errno = savedError;
}

void BeginPlacing(Slot& slot) noexcept
{
    anyPlaced = true;
    slot.state = kPlacing;
}

// A signal that waited for this run ends the process now, unless another run is still placing its output.
void EndPlacing(Slot& slot) noexcept
{
    slot.state = kFree;
    const int waiting = deferredSignal;
    if (waiting != 0 && !reportPlaced && !RemoveArmed()) {
        EndBy(waiting);
    }
}

// ---- Names and descriptors ----

FileIdentity IdentityOf(const struct stat& status)
{
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

// Above the standard three, so that with one of them closed no file of the run takes its place and its name.
int Lifted(int descriptor) noexcept
{
    constexpr int kFirstFree = 3;
    if (descriptor < 0 || descriptor >= kFirstFree) {
        return descriptor;
    }
    const int lifted = ::fcntl(descriptor, F_DUPFD_CLOEXEC, kFirstFree);
    const int error = errno;
    ::close(descriptor);
    errno = error;
    return lifted;
}

void Close(int& descriptor) noexcept
{
    if (descriptor >= 0) {
        ::close(std::exchange(descriptor, -1));
    }
}

// Hidden and without the target's extension, so no file dialog pattern lists it; the random part is unguessable.
std::string TemporaryName(std::string_view base)
{
    constexpr std::size_t kKeptNameBytes = 200;
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int kRandomLetters = 10;
    std::string temporary = "." + std::string(base.substr(0, kKeptNameBytes)) + ".";
    std::random_device random;
    std::uniform_int_distribution<std::size_t> letter(0, kLetters.size() - 1);
    for (int i = 0; i < kRandomLetters; ++i) {
        temporary += kLetters[letter(random)];
    }
    return temporary;
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The number of the descriptor that \p base names in the folder \p folder, or -1. Only these names are written
// through as the shell's > does: they stand for a descriptor the process was given, and replacing them would break
// them for every program. Any other name under /dev or /proc is a file like any other.
int DescriptorNamed(const std::string& folder, std::string_view base)
{
    constexpr std::string_view kStandard[] = {"stdin", "stdout", "stderr"};
    int number = -1;
    for (int i = 0; i < 3; ++i) {
        number = base == kStandard[i] ? i : number;
    }
    if (number < 0 && !AllDigits(base)) {
        return -1;
    }
    char* const resolved = ::realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) {
        return -1;
    }
    const std::string path(resolved);
    std::free(resolved);
    const std::string process = "/proc/" + std::to_string(::getpid());
    if (number >= 0) {
        return path == "/dev" ? number : -1;
    }
    const bool descriptors = path == process + "/fd"
                             || (path.starts_with(process + "/task/") && path.ends_with("/fd")
                                 && AllDigits(path.substr(process.size() + 6, path.size() - process.size() - 9)));
    constexpr int kMostDigits = 9;
    return descriptors && base.size() <= kMostDigits ? std::atoi(std::string(base).c_str()) : -1;
}

std::string DescriptorText(int number)
{
    constexpr const char* kStandard[] = {"standard input", "standard output", "standard error"};
    return (number < 3 ? kStandard[number] : "descriptor " + std::to_string(number)) + std::string(" is not open");
}

mode_t CreationMask()
{
    // Read, not set and restored: another thread may be creating a file meanwhile.
    char status[4096];
    const int file = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    const ssize_t size = file < 0 ? -1 : ::read(file, status, sizeof status - 1);
    if (file >= 0) {
        ::close(file);
    }
    const char* const line = size > 0 ? std::strstr((status[size] = '\0', status), "\nUmask:") : nullptr;
    constexpr int kOctal = 8;
    return line != nullptr ? static_cast<mode_t>(std::strtoul(line + 7, nullptr, kOctal)) : S_IWGRP | S_IWOTH;
}

// The names of \p file's extended attributes, each ending in a NUL; empty where the file system keeps none.
bool ListAttributes(int file, std::vector<char>& names)
{
    for (;;) {
        const ssize_t size = ::flistxattr(file, nullptr, 0);
        if (size < 0) {
            names.clear();
            return errno == ENOTSUP;
        }
        names.resize(static_cast<std::size_t>(size));
        const ssize_t listed = ::flistxattr(file, names.data(), names.size());
        if (listed >= 0) {
            names.resize(static_cast<std::size_t>(listed));
            return true;
        }
        if (errno != ERANGE) {
            return false;
        }
    }
}

bool Listed(const std::vector<char>& names, std::string_view name)
{
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
        if (name == names.data() + at) {
            return true;
        }
    }
    return false;
}

// Gives \p to exactly the extended attributes of \p from, ACLs among them; false if any is refused.
bool CopyAttributes(int from, int to)
{
    std::vector<char> names;
    std::vector<char> own;
    std::vector<char> value;
    if (!ListAttributes(from, names) || !ListAttributes(to, own)) {
        return false;
    }
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
        const char* const name = names.data() + at;
        const ssize_t size = ::fgetxattr(from, name, nullptr, 0);
        value.resize(static_cast<std::size_t>(std::max<ssize_t>(size, 0)));
        if (size < 0 || ::fgetxattr(from, name, value.data(), value.size()) != size
            || ::fsetxattr(to, name, value.data(), value.size(), 0) != 0) {
            return false;
        }
    }
    for (std::size_t at = 0; at < own.size(); at += std::strlen(own.data() + at) + 1) {
        if (!Listed(names, own.data() + at) && ::fremovexattr(to, own.data() + at) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

struct TargetFile::Platform {
    enum class Mode {
        kReplace,  // a temporary file renamed over the target
        kCopyBack, // a temporary file copied over the target
        kInPlace,  // the target itself, emptied first
        kDirect,   // a device or a pipe
    };

    Platform(std::string targetName, FileIdentity sourceIdentity, const std::atomic<bool>* cancelled)
        : name(std::move(targetName)), source(sourceIdentity), cancel(cancelled)
    {
    }

    void Open();
    void OpenStandardOutput();
    void UseDirectly(int file, bool descriptorName);
    void OpenExisting(const struct stat& found);
    [[nodiscard]] bool CreateTemporary();
    [[nodiscard]] bool TakeOldAttributes(int old, const struct stat& status);
    [[nodiscard]] int OpenTargetForWriting() const;
    void WaitUntilWritable() const;
    void Replace();
    void CopyBack();
    void Discard() noexcept;

    std::string name;
    FileIdentity source;
    const std::atomic<bool>* cancel;
    std::string base;
    int folder = -1;
    int descriptor = -1;
    int target = -1;
    Slot* slot = nullptr;
    Mode mode = Mode::kReplace;
    bool hadTarget = false;
    bool lost = false;
};

void TargetFile::Platform::Open()
{
    const std::size_t slash = name.rfind('/');
    const std::string folderName = slash == std::string::npos ? "." : name.substr(0, slash == 0 ? 1 : slash);
    base = slash == std::string::npos ? name : name.substr(slash + 1);
    if (const int number = DescriptorNamed(folderName, base); number >= 0) {
        const int file = Lifted(::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        const int error = errno;
        if (file < 0) {
            throw UnchangedTargetFailure(error, name, error == ENOENT ? DescriptorText(number) : "");
        }
        UseDirectly(file, true);
        return;
    }
    folder = Lifted(::open(folderName.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder < 0) {
        throw UnchangedTargetFailure(errno, name);
    }
    struct stat found {};
    if (base.empty() || base == "." || base == "..") {
        throw UnchangedTargetFailure(EISDIR, name);
    }
    if (::fstatat(folder, base.c_str(), &found, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            throw UnchangedTargetFailure(errno, name);
        }
        if (!CreateTemporary()) {
            throw UnchangedTargetFailure(errno, name);
        }
        return;
    }
    if (S_ISLNK(found.st_mode)) {
        struct stat pointee {};
        if (::fstatat(folder, base.c_str(), &pointee, 0) == 0 && IdentityOf(pointee) == source) {
            throw UnchangedTargetFailure(EEXIST, name, "it is the source file");
        }
        // Replaced like a new name, never followed.
        if (!CreateTemporary()) {
            const int error = errno;
            const bool readOnlyFolder = error == EACCES || error == EPERM || error == EROFS;
            throw UnchangedTargetFailure(
                readOnlyFolder ? ELOOP : error, name,
                readOnlyFolder ? "it is a symbolic link in a folder where it cannot be replaced" : "");
        }
        return;
    }
    OpenExisting(found);
}

void TargetFile::Platform::OpenExisting(const struct stat& found)
{
    if (IdentityOf(found) == source) {
        throw UnchangedTargetFailure(EEXIST, name, "it is the source file");
    }
    if (S_ISDIR(found.st_mode)) {
        throw UnchangedTargetFailure(EISDIR, name);
    }
    // Written where it is: there is nothing to replace, and a pipe may stand for a program waiting for the output.
    if (S_ISCHR(found.st_mode) || S_ISFIFO(found.st_mode)) {
        const int file =
            Lifted(::openat(folder, base.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
        const int error = errno;
        if (file < 0) {
            throw UnchangedTargetFailure(
                error, name,
                error == ENXIO && S_ISFIFO(found.st_mode) ? "it is a pipe that no program is reading from" : "");
        }
        UseDirectly(file, false);
        return;
    }
    if (!S_ISREG(found.st_mode)) {
        throw UnchangedTargetFailure(EINVAL, name, "it is neither a regular file, a character device nor a pipe");
    }
    // Refused as before, though a rename could replace it: root could otherwise overwrite a read-only file.
    constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    if ((found.st_mode & kAnyWrite) == 0) {
        throw UnchangedTargetFailure(EACCES, name, "the file is read-only");
    }
    hadTarget = true;
    if (!CreateTemporary()) {
        const int error = errno;
        if (error != EACCES && error != EPERM && error != EROFS) {
            throw UnchangedTargetFailure(error, name);
        }
        // A folder the user cannot write to: the target is the only file there is.
        mode = Mode::kInPlace;
        descriptor = OpenTargetForWriting();
        if (::ftruncate(descriptor, 0) != 0) {
            throw UnchangedTargetFailure(errno, name);
        }
        return;
    }
    const int old = Lifted(::openat(folder, base.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    const bool keeps = old >= 0 && ::fstat(old, &status) == 0 && IdentityOf(status) == IdentityOf(found)
                       && status.st_nlink == 1 && TakeOldAttributes(old, status);
    if (old >= 0) {
        ::close(old);
    }
    if (!keeps) {
        // Opened now, so that a target the user may not write fails the run before it starts.
        mode = Mode::kCopyBack;
        target = OpenTargetForWriting();
    }
}

// Owner and group first (a change of owner clears the set-id bits), then the ACLs, then the permissions, whose group
// part is the ACL's mask.
bool TargetFile::Platform::TakeOldAttributes(int old, const struct stat& status)
{
    struct stat own {};
    constexpr mode_t kModeBits = 07777;
    return ::fstat(descriptor, &own) == 0
           && ((own.st_uid == status.st_uid && own.st_gid == status.st_gid)
               || ::fchown(descriptor, status.st_uid, status.st_gid) == 0)
           && CopyAttributes(old, descriptor) && ::fchmod(descriptor, status.st_mode & kModeBits) == 0;
}

// Only its owner may read it until Commit or TakeOldAttributes gives it the target's permissions.
bool TargetFile::Platform::CreateTemporary()
{
    slot = ClaimSlot();
    if (slot == nullptr) {
        throw UnchangedTargetFailure(EAGAIN, name, "too many conversions are writing at once");
    }
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::string temporary = TemporaryName(base);
        Arm(*slot, folder, temporary);
        descriptor = Lifted(
            ::openat(folder, temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR));
        if (descriptor >= 0) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const int error = errno;
    std::exchange(slot, nullptr)->state = kFree;
    errno = error;
    return false;
}

// The target itself, checked on what was opened, so that no swap of names empties another file or the source.
int TargetFile::Platform::OpenTargetForWriting() const
{
    const int file = Lifted(::openat(folder, base.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file < 0) {
        const int error = errno;
        throw UnchangedTargetFailure(
            error, name, error == ELOOP ? "it is a symbolic link in a folder where it cannot be replaced" : "");
    }
    struct stat opened {};
    int error = ::fstat(file, &opened) != 0 ? errno : 0;
    std::string_view reason;
    if (error == 0 && !S_ISREG(opened.st_mode)) {
        error = EINVAL;
        reason = "it is no longer a regular file";
    } else if (error == 0 && IdentityOf(opened) == source) {
        error = EEXIST;
        reason = "it is the source file";
    }
    if (error != 0) {
        ::close(file);
        throw UnchangedTargetFailure(error, name, reason);
    }
    return file;
}

// Our own descriptor for a device or a pipe, non-blocking, so that a run waiting for a reader can be cancelled.
void TargetFile::Platform::UseDirectly(int file, bool descriptorName)
{
    mode = Mode::kDirect;
    descriptor = file;
    struct stat opened {};
    if (::fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        return;
    }
    if (!descriptorName) {
        throw UnchangedTargetFailure(EINVAL, name, "it is no longer a character device or a pipe");
    }
    // A descriptor name that stands for a regular file: written in place, as the shell's > does.
    mode = Mode::kInPlace;
    if (IdentityOf(opened) == source) {
        throw UnchangedTargetFailure(EEXIST, name, "it is the source file");
    }
    if (::ftruncate(descriptor, 0) != 0) {
        throw UnchangedTargetFailure(errno, name);
    }
}

void TargetFile::Platform::WaitUntilWritable() const
{
    constexpr int kCancelCheckMs = 100;
    for (;;) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            throw RunError(static_cast<int>(std::errc::operation_canceled), "Cancelled");
        }
        pollfd ready{descriptor, POLLOUT, 0};
        const int result = ::poll(&ready, 1, kCancelCheckMs);
        if (result > 0) {
            return;
        }
        if (result < 0 && errno != EINTR) {
            throw TargetFailure(errno, name);
        }
    }
}

// The temporary file's data reaches the disk before its name does: after a power cut the target is the old file or
// the new one, never an empty one.
void TargetFile::Platform::Replace()
{
    // A file system that cannot sync (EINVAL) has nothing better to offer.
    if (hadTarget ? ::fdatasync(descriptor) != 0 && errno != EINVAL
                  : ::fchmod(descriptor, 0666 & ~CreationMask()) != 0) {
        throw TargetFailure(errno, name);
    }
    if (::close(std::exchange(descriptor, -1)) != 0) {
        throw TargetFailure(errno, name);
    }
    BeginPlacing(*slot);
    if (::renameat(folder, slot->name, folder, base.c_str()) == 0) {
        EndPlacing(*std::exchange(slot, nullptr));
        return;
    }
    // A sticky folder or a file mounted on its own takes new contents, not a new file.
    const int refused = errno;
    slot->state = kArmed;
    if (refused != EPERM && refused != EACCES && refused != EBUSY && refused != EXDEV) {
        throw TargetFailure(refused, name);
    }
    target = OpenTargetForWriting();
    descriptor = Lifted(::openat(folder, slot->name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (descriptor < 0) {
        throw TargetFailure(errno, name);
    }
    CopyBack();
}

// The one step after which a failure loses the old target; the message then says so.
void TargetFile::Platform::CopyBack()
{
    BeginPlacing(*slot);
    constexpr std::size_t kChunk = std::size_t{64} * 1024;
    std::vector<char> chunk(kChunk);
    int error = ::ftruncate(target, 0) != 0 ? errno : 0;
    lost = error == 0;
    for (off_t at = 0; error == 0;) {
        const ssize_t read = ::pread(descriptor, chunk.data(), chunk.size(), at);
        if (read <= 0) {
            error = read < 0 && errno != EINTR ? errno : 0;
            if (read == 0 || error != 0) {
                break;
            }
            continue;
        }
        for (ssize_t written = 0; written < read && error == 0;) {
            const ssize_t step = ::write(target, chunk.data() + written, static_cast<std::size_t>(read - written));
            error = step < 0 && errno != EINTR ? errno : step == 0 ? EIO : 0;
            written += std::max<ssize_t>(step, 0);
        }
        at += read;
    }
    if (error == 0 && (::fdatasync(target) != 0 || ::close(std::exchange(target, -1)) != 0)) {
        error = errno;
    }
    if (error == 0) {
        lost = false;
    }
    slot->state = kArmed;
    Discard();
    if (error != 0) {
        throw TargetFailure(error, name);
    }
}

void TargetFile::Platform::Discard() noexcept
{
    Close(descriptor);
    Close(target);
    if (slot != nullptr) {
        ::unlinkat(folder, slot->name, 0);
        EndPlacing(*std::exchange(slot, nullptr));
    }
    Close(folder);
}

// A duplicate of the process's own descriptor, so that it stays open; a terminal may be both the source and the
// target.
void TargetFile::Platform::OpenStandardOutput()
{
    mode = Mode::kDirect;
    descriptor = Lifted(::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0));
    struct stat opened {};
    if (descriptor < 0 || ::fstat(descriptor, &opened) != 0) {
        throw UnchangedTargetFailure(errno, name);
    }
    if (S_ISREG(opened.st_mode)) {
        mode = Mode::kInPlace;
        if (IdentityOf(opened) == source) {
            throw UnchangedTargetFailure(EEXIST, name, "it is the source file");
        }
    }
}

TargetFile::TargetFile(const std::string& name, FileIdentity source, const std::atomic<bool>* cancel, Opening opening)
    : platform_(std::make_unique<Platform>(name, source, cancel))
{
    try {
        opening == Opening::StandardStream ? platform_->OpenStandardOutput() : platform_->Open();
    } catch (...) {
        platform_->Discard();
        throw;
    }
}

TargetFile::~TargetFile()
{
    Discard();
}

void TargetFile::Write(std::string_view bytes)
{
    Platform& file = *platform_;
    assert(file.descriptor >= 0 && "Write after Commit or Discard");
    while (!bytes.empty()) {
        const ssize_t written = ::write(file.descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0 && errno == EAGAIN) {
            file.WaitUntilWritable();
            continue;
        }
        if (written <= 0) {
            // Never retried: a retry could repeat bytes the device did take.
            throw TargetFailure(written < 0 ? errno : EIO, file.name);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TargetFile::Commit()
{
    Platform& file = *platform_;
    if (file.descriptor < 0) {
        return;
    }
    try {
        switch (file.mode) {
        case Platform::Mode::kReplace: file.Replace(); break;
        case Platform::Mode::kCopyBack: file.CopyBack(); break;
        case Platform::Mode::kInPlace:
        case Platform::Mode::kDirect:
            if (::close(std::exchange(file.descriptor, -1)) != 0) {
                throw TargetFailure(errno, file.name);
            }
            break;
        }
    } catch (...) {
        file.Discard();
        throw;
    }
    file.Discard();
}

void TargetFile::Discard() noexcept
{
    platform_->Discard();
}

bool TargetFile::WritesInPlace() const noexcept
{
    return platform_->mode == Platform::Mode::kInPlace || platform_->mode == Platform::Mode::kDirect;
}

std::string_view TargetFile::FailureNote() const noexcept
{
    switch (platform_->mode) {
    case Platform::Mode::kReplace:
    case Platform::Mode::kCopyBack: return platform_->lost ? kLost : kTargetUnchanged;
    case Platform::Mode::kInPlace: return kPartial;
    case Platform::Mode::kDirect: break;
    }
    return {};
}

void RemoveUnfinishedTarget() noexcept
{
    RemoveArmed();
}

void CleanUpOnSignals(PlacedOutput placed)
{
    reportPlaced = placed == PlacedOutput::IsReported;
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<int> ending = {SIGHUP,    SIGINT,  SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM,
                               SIGVTALRM, SIGPROF, SIGXCPU, SIGPOLL, SIGPWR,  SIGSYS,  SIGTRAP,
                               SIGABRT,   SIGSEGV, SIGBUS,  SIGFPE,  SIGILL};
#ifdef SIGSTKFLT
    ending.push_back(SIGSTKFLT);
#endif
    for (int number = SIGRTMIN; number <= SIGRTMAX; ++number) {
        ending.push_back(number);
    }
    struct sigaction action {};
    action.sa_handler = EndOnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int number : ending) {
        sigaddset(&action.sa_mask, number);
    }
    // A signal the parent ignores (nohup) or a sanitizer watches keeps its handling.
    for (const int number : ending) {
        struct sigaction current {};
        if (::sigaction(number, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0
            && current.sa_handler == SIG_DFL) {
            ::sigaction(number, &action, nullptr);
        }
    }
}

} // namespace varnuth
