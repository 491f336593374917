#include "ColourWords.h"

#include <limits>

namespace varnuth {

namespace {

struct NamedColour {
    const char* name;
    int red;
    int green;
    int blue;
};

constexpr NamedColour kColourNames[] = {
    {"black", 0, 0, 0},        {"white", 255, 255, 255}, {"grey", 128, 128, 128},  {"light grey", 192, 192, 192},
    {"dark grey", 64, 64, 64}, {"red", 255, 0, 0},       {"dark red", 128, 0, 0},  {"green", 0, 255, 0},
    {"dark green", 0, 128, 0}, {"blue", 0, 0, 255},      {"dark blue", 0, 0, 128}, {"yellow", 255, 255, 0},
    {"olive", 128, 128, 0},    {"cyan", 0, 255, 255},    {"teal", 0, 128, 128},    {"magenta", 255, 0, 255},
    {"purple", 128, 0, 128},   {"orange", 255, 165, 0},  {"pink", 255, 192, 203},  {"brown", 165, 42, 42},
};

constexpr int kByte = 0xFF;
constexpr int kGreenShift = 8;
constexpr int kBlueShift = 16;

int SquaredDistance(std::int32_t colour, const NamedColour& named)
{
    const int red = (colour & kByte) - named.red;
    const int green = ((colour >> kGreenShift) & kByte) - named.green;
    const int blue = ((colour >> kBlueShift) & kByte) - named.blue;
    return red * red + green * green + blue * blue;
}

} // namespace

std::string ColourWords(std::int32_t colour)
{
    const NamedColour* nearest = nullptr;
    int nearestDistance = std::numeric_limits<int>::max();
    for (const NamedColour& named : kColourNames) {
        if (const int distance = SquaredDistance(colour, named); distance < nearestDistance) {
            nearest = &named;
            nearestDistance = distance;
        }
    }
    return std::string(nearest->name) + ", " + std::to_string(colour);
}

} // namespace varnuth
