#include "FormatOptions.h"

namespace varnuth {

namespace {

constexpr int kFormatRowLeft = 120;
constexpr int kFormatRowTop = 3360;
constexpr int kFormatOptionHeight = 375;
constexpr int kFormatOptionGap = 105;
constexpr int kNarrowFormatOption = 735;
constexpr int kWideFormatOption = 1335;
constexpr std::size_t kNarrowCaptionLength = 3;

} // namespace

std::array<TwipsPlace, kFormats.size()> FormatOptionPlaces()
{
    std::array<TwipsPlace, kFormats.size()> places{};
    int left = kFormatRowLeft;
    for (std::size_t i = 0; i < kFormats.size(); ++i) {
        const int width = kFormats[i].caption.size() <= kNarrowCaptionLength ? kNarrowFormatOption : kWideFormatOption;
        places[i] = {left, kFormatRowTop, width, kFormatOptionHeight};
        left += width + kFormatOptionGap;
    }
    return places;
}

} // namespace varnuth
