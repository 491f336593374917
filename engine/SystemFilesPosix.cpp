#include "SystemFiles.h"

#include "RunError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace varnuth {

// Opened without waiting for a writer, then judged by what was opened: a name swapped for a FIFO cannot hang the run.
// Above the standard three descriptors, so that with one of them closed the source does not take its name.
std::FILE* OpenSourceFile(const std::string& name)
{
    constexpr int kFirstFree = 3;
    int descriptor = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor >= 0 && descriptor < kFirstFree) {
        const int low = descriptor;
        descriptor = ::fcntl(low, F_DUPFD_CLOEXEC, kFirstFree);
        ::close(low);
    }
    if (descriptor < 0) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name));
    }
    struct stat status {};
    int error = ::fstat(descriptor, &status) != 0 ? errno : 0;
    if (error == 0 && S_ISDIR(status.st_mode)) {
        error = EISDIR;
    }
    if (error == 0 && !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        throw RunError(static_cast<int>(std::errc::invalid_argument),
                       SourceContext(name) + ": it is not a regular file");
    }
    std::FILE* const file = error == 0 ? ::fdopen(descriptor, "rb") : nullptr;
    if (file == nullptr) {
        error = error != 0 ? error : errno;
        ::close(descriptor);
        throw RunError(std::error_code(error, std::generic_category()), SourceContext(name));
    }
    return file;
}

FileIdentity IdentityOfSource(std::FILE* file, const std::string& name)
{
    struct stat status {};
    if (::fstat(::fileno(file), &status) != 0) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name));
    }
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

std::FILE* OpenStandardInput(const std::string& name)
{
    const int descriptor = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    std::FILE* const file = descriptor < 0 ? nullptr : ::fdopen(descriptor, "rb");
    if (file == nullptr) {
        const int error = errno;
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        throw RunError(std::error_code(error, std::generic_category()), SourceContext(name));
    }
    return file;
}

std::optional<FileIdentity> IdentityOfName(const std::string& name)
{
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

std::optional<std::uint64_t> RegularFileSize(const std::string& name)
{
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

int FolderError(const std::string& name)
{
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0) {
        return errno;
    }
    return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
}

} // namespace varnuth
