#pragma once

#include <string_view>

namespace varnuth {

/// Ends the first header line of the SSA and STL scripts.
inline constexpr std::string_view kContactAddress = "tavendrel@varnuth.org";

} // namespace varnuth
