// Apart from the rest of the style settings: only the window needs it, and it alone needs the maths library.

#include "StyleSettings.h"

#include <array>
#include <charconv>
#include <cmath>

namespace varnuth {

std::string FontSizeText(float size)
{
    constexpr int kSignificantDigits = 7;
    if (!std::isfinite(size) || size == 0.0F) {
        return "0";
    }
    const double value = size;
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = kSignificantDigits - 1 - exponent;
    // Fixed notation never shows an exponent; digits beyond the seventh are rounded away first.
    const double scale = std::pow(10.0, decimals);
    const double rounded = std::round(value * scale) / scale;
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), rounded, std::chars_format::fixed,
                                      decimals > 0 ? decimals : 0);
    std::string text(buffer.data(), result.ptr);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text;
}

} // namespace varnuth
