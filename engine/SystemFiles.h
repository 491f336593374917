#pragma once

#include "TargetFile.h"

#include <cstdio>
#include <string>

namespace varnuth {

/// Opens the regular file \p name (UTF-8) to read its bytes; throws RunError naming it as the source if it cannot.
[[nodiscard]] std::FILE* OpenSourceFile(const std::string& name);

/// The identity of the file \p file has open; throws RunError naming \p name as the source if it cannot be known.
[[nodiscard]] FileIdentity IdentityOfSource(std::FILE* file, const std::string& name);

} // namespace varnuth
