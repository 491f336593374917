#pragma once

#include <string_view>

namespace varnuth {

/// Ends the first header line of the SSA, ASS and STL scripts.
inline constexpr std::string_view kContactAddress = "tavendrel@varnuth.org";

/// The section that players look for on a script's first line.
inline constexpr std::string_view kScriptInfo = "[Script Info]";

/// The header values after the title line, the same in the SSA and the ASS script.
inline constexpr std::string_view kScriptHeader[] = {
    "Title: Tavendrel",
    "Original Script: Tavendrel",
    "Original Editing: Tavendrel",
    "Original Timing: Tavendrel",
    "Original Script Checking: Tavendrel",
    "Synch Point: Side 1 0m00s",
    "Collisions: Normal",
    "Timer: 100.0000",
};

} // namespace varnuth
