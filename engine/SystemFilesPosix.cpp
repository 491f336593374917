#include "SystemFiles.h"

#include "RunError.h"

#include <sys/stat.h>

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

} // namespace varnuth
