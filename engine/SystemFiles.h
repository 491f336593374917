#pragma once

#include "TargetFile.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace varnuth {

/// Opens the regular file \p name (UTF-8) to read its bytes; throws RunError naming it as the source if it cannot.
[[nodiscard]] std::FILE* OpenSourceFile(const std::string& name);

/// Standard input, read from where it stands: a pipe is what it is for. Throws RunError naming \p name as the source
/// if it is closed.
[[nodiscard]] std::FILE* OpenStandardInput(const std::string& name);

/// The identity of the file \p name leads to, links followed; nothing when there is none or it cannot be known.
[[nodiscard]] std::optional<FileIdentity> IdentityOfName(const std::string& name);

/// 0 when \p name is a folder, else the C library's number for why not (ENOENT, ENOTDIR, ...).
[[nodiscard]] int FolderError(const std::string& name);

/// The size of the regular file \p name leads to, links followed; nothing when it leads to none.
[[nodiscard]] std::optional<std::uint64_t> RegularFileSize(const std::string& name);

/// The identity of the file \p file has open; throws RunError naming \p name as the source if it cannot be known.
[[nodiscard]] FileIdentity IdentityOfSource(std::FILE* file, const std::string& name);

} // namespace varnuth
