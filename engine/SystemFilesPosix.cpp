#include "SystemFiles.h"

#include "RunError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace varnuth {

std::FILE* OpenSourceFile(const std::string& name)
{
    // Checked before opening: opening a FIFO would wait for a writer, and a device may never end.
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    if (error) {
        throw RunError(error, SourceContext(name));
    }
    if (std::filesystem::is_directory(status)) {
        throw RunError(std::make_error_code(std::errc::is_a_directory), SourceContext(name));
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw RunError(static_cast<int>(std::errc::invalid_argument),
                       SourceContext(name) + ": it is not a regular file");
    }
    std::FILE* const file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) {
        throw RunError(std::error_code(errno, std::generic_category()), SourceContext(name));
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

int FolderError(const std::string& name)
{
    struct stat status {};
    if (::stat(name.c_str(), &status) != 0) {
        return errno;
    }
    return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
}

} // namespace varnuth
