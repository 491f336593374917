#pragma once

#include "Formats.h"

#include <array>

namespace varnuth {

/// A place in twips (15 to a pixel at 96 dots per inch) from the window's top-left corner.
struct TwipsPlace {
    int left;
    int top;
    int width;
    int height;
};

/// Where the format option buttons stand, one per format row in the table's order: a short caption on a narrow
/// button, a longer one on a wide button, each a small gap after the one before. The first three stand where they
/// have always been.
[[nodiscard]] std::array<TwipsPlace, kFormats.size()> FormatOptionPlaces();

} // namespace varnuth
