// varnuth-convert: the window's conversion, run from a shell or a script.

#include "ConversionRun.h"
#include "StyleSettings.h"

#include <getopt.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace varnuth;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage = R"(Usage: varnuth-convert [options] SOURCE TARGET
Converts a SubRip file to an SSA script, or a Sonic listing to a SON or STL script.

  -f, --format ssa|son|stl          output format (default ssa)
      --font NAME                   font face (default VNI-Helve)
      --size TEXT                   font size (default 18)
      --bold, --italic              bold or italic text
      --align left|centre|right     alignment (default centre; center also accepted)
      --margin-left TEXT, --margin-right TEXT, --margin-bottom TEXT
                                    margins (defaults 10, 10, 14), copied as typed
      --primary, --secondary, --tertiary COLOUR
                                    a decimal colour value (red + 256 x green + 65536 x blue)
                                    or #RRGGBB (default 16777215)
  -h, --help                        show this help and exit
      --version                     show the version and exit

Prints "N rows finished!!!" and exits 0 on success; prints the failure and exits 1 otherwise.
)";

enum Option : int {
    kFont = 256,
    kSize,
    kBold,
    kItalic,
    kAlign,
    kMarginLeft,
    kMarginRight,
    kMarginBottom,
    kPrimary,
    kSecondary,
    kTertiary,
    kSections,
    kStrict,
    kVersion,
};

constexpr option kLongOptions[] = {
    {"format", required_argument, nullptr, 'f'},
    {"font", required_argument, nullptr, kFont},
    {"size", required_argument, nullptr, kSize},
    {"bold", no_argument, nullptr, kBold},
    {"italic", no_argument, nullptr, kItalic},
    {"align", required_argument, nullptr, kAlign},
    {"margin-left", required_argument, nullptr, kMarginLeft},
    {"margin-right", required_argument, nullptr, kMarginRight},
    {"margin-bottom", required_argument, nullptr, kMarginBottom},
    {"primary", required_argument, nullptr, kPrimary},
    {"secondary", required_argument, nullptr, kSecondary},
    {"tertiary", required_argument, nullptr, kTertiary},
    {"sections", no_argument, nullptr, kSections},
    {"strict", no_argument, nullptr, kStrict},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

struct UsageError {
    std::string message;
};

std::optional<OutputFormat> ParseFormat(std::string_view text)
{
    if (text == "ssa") {
        return OutputFormat::SSA;
    }
    if (text == "son") {
        return OutputFormat::SON;
    }
    if (text == "stl") {
        return OutputFormat::STL;
    }
    return std::nullopt;
}

// Either the packed decimal value the colour dialog reports, or #RRGGBB as on the web.
std::optional<std::int32_t> ParseColour(std::string_view text)
{
    constexpr std::int32_t kWhiteValue = 0xFFFFFF;
    constexpr std::size_t kHexDigits = 6;
    std::int32_t value = 0;
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
        std::uint32_t rgb = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
        if (text.size() != kHexDigits || error != std::errc() || end != text.data() + text.size()) {
            return std::nullopt;
        }
        const std::uint32_t red = rgb >> 16U;
        const std::uint32_t green = (rgb >> 8U) & 0xFFU;
        const std::uint32_t blue = rgb & 0xFFU;
        return static_cast<std::int32_t>(red | (green << 8U) | (blue << 16U));
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 || value > kWhiteValue) {
        return std::nullopt;
    }
    return value;
}

void SetAlignment(std::string_view text, ConversionRequest& request)
{
    request.alignLeft = text == "left";
    request.alignCentre = text == "centre" || text == "center";
    request.alignRight = text == "right";
    if (!request.alignLeft && !request.alignCentre && !request.alignRight) {
        throw UsageError{"unknown alignment '" + std::string(text) + "'"};
    }
}

SettingValue ColourOption(std::string_view name, const char* text)
{
    const std::optional<std::int32_t> colour = ParseColour(text);
    if (!colour) {
        throw UsageError{"invalid colour for --" + std::string(name) + ": '" + text + "'"};
    }
    return *colour;
}

enum class Action { Convert, Help, Version };

struct Options {
    bool strict = false;
};

Action ParseArguments(int argc, char** argv, ConversionRequest& request, StyleSettings& style, Options& options)
{
    opterr = 0;
    int code = 0;
    while ((code = getopt_long(argc, argv, ":f:h", kLongOptions, nullptr)) != -1) {
        switch (code) {
        case 'f': {
            const std::optional<OutputFormat> format = ParseFormat(optarg);
            if (!format) {
                throw UsageError{"unknown format '" + std::string(optarg) + "'"};
            }
            request.format = *format;
            break;
        }
        case kFont: style.str_fontname = std::string(optarg); break;
        case kSize: style.str_fontsize = optarg; break;
        case kBold: request.boldValue = 1; break;
        case kItalic: request.italicValue = 1; break;
        case kAlign: SetAlignment(optarg, request); break;
        case kMarginLeft: request.marginLeft = optarg; break;
        case kMarginRight: request.marginRight = optarg; break;
        case kMarginBottom: request.marginBottom = optarg; break;
        case kPrimary: style.primarycolor = ColourOption("primary", optarg); break;
        case kSecondary: style.secondarycolor = ColourOption("secondary", optarg); break;
        case kTertiary: style.tertiarycolor = ColourOption("tertiary", optarg); break;
        case kSections: request.ssaSections = true; break;
        case kStrict: options.strict = true; break;
        case 'h': return Action::Help;
        case kVersion: return Action::Version;
        case ':': throw UsageError{"option '" + std::string(argv[optind - 1]) + "' needs a value"};
        default: throw UsageError{"unknown option '" + std::string(argv[optind - 1]) + "'"};
        }
    }
    if (request.ssaSections && request.format != OutputFormat::SSA) {
        throw UsageError{"--sections is for the SSA format only"};
    }
    constexpr int kOperands = 2;
    if (argc - optind != kOperands) {
        throw UsageError{argc - optind < kOperands ? "SOURCE and TARGET are both needed" : "too many operands"};
    }
    request.sourceName = argv[optind];
    request.targetName = argv[optind + 1];
    return Action::Convert;
}

} // namespace

int main(int argc, char** argv)
{
    StyleSettings style;
    style.SetDefaults();
    ConversionRequest request(style);
    request.alignCentre = true;
    request.marginLeft = "10";
    request.marginRight = "10";
    request.marginBottom = "14";
    Options options;
    try {
        switch (ParseArguments(argc, argv, request, style, options)) {
        case Action::Help: std::cout << kUsage; return 0;
        case Action::Version: std::cout << "varnuth-convert " << VARNUTH_VERSION << '\n'; return 0;
        case Action::Convert: break;
        }
    } catch (const UsageError& error) {
        std::cerr << "varnuth-convert: " << error.message << "\n"
                  << "Usage: varnuth-convert [options] SOURCE TARGET (see --help)\n";
        return kExitUsage;
    }

    const RunOutcome outcome = PerformConversion(request);
    if (!outcome.succeeded()) {
        std::cerr << "varnuth-convert: " << OutcomeMessage(outcome) << '\n';
        return kExitFailure;
    }
    std::cout << outcome.count << kFinishedSuffix << '\n';
    const UnconvertedLines& unconverted = outcome.unconverted;
    for (const UnconvertedLine& line : unconverted.first) {
        std::cerr << "varnuth-convert: line " << line.number << ": " << line.reason << '\n';
    }
    if (unconverted.total > static_cast<long>(unconverted.first.size())) {
        std::cerr << "varnuth-convert: ... and " << unconverted.total - static_cast<long>(unconverted.first.size())
                  << " more\n";
    }
    return options.strict && unconverted.total > 0 ? kExitFailure : 0;
}
