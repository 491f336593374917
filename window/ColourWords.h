#pragma once

#include <cstdint>
#include <string>

namespace varnuth {

/// A screen reader's words for a colour (red + 256 * green + 65536 * blue): the nearest common name and the number
/// the SSA script holds, such as "white, 16777215".
[[nodiscard]] std::string ColourWords(std::int32_t colour);

} // namespace varnuth
