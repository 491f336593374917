#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace varnuth {

/// A setting that holds nothing, a text or a 32-bit integer; readers only see its text form.
class SettingValue {
public:
    SettingValue() = default;
    SettingValue(std::string text) : value_(std::move(text)) {}
    SettingValue(const char* text) : value_(std::string(text)) {}
    SettingValue(std::int32_t number) : value_(number) {}

    /// The text itself, the integer's decimal digits, or "" when it holds nothing.
    [[nodiscard]] std::string TextForm() const;

    friend bool operator==(const SettingValue&, const SettingValue&) = default;

private:
    std::variant<std::monostate, std::string, std::int32_t> value_;
};

/// Where the SSA text stands on the screen.
enum class Alignment { Left, Centre, Right };

/// The alignment as the style line writes it: "1", "2" or "3".
[[nodiscard]] constexpr std::string_view AlignmentCode(Alignment alignment)
{
    switch (alignment) {
    case Alignment::Left: return "1";
    case Alignment::Centre: return "2";
    case Alignment::Right: return "3";
    }
    return "2";
}

/// The window-level style values from which the SSA style line is built.
struct StyleSettings {
    SettingValue str_fontname;
    std::string str_fontsize;
    SettingValue bold;
    std::string italic;
    SettingValue primarycolor;
    SettingValue secondarycolor;
    SettingValue tertiarycolor;
    Alignment txtAlignment = Alignment::Centre;

    /// Sets every field to the default a fresh start of the program shows.
    void SetDefaults();
};

// The defaults a fresh start shows, in one place for the window, the command and the tests.
inline constexpr const char* kDefaultFontName = "VNI-Helve";
inline constexpr const char* kDefaultFontSize = "18";
inline constexpr const char* kWhite = "16777215";
inline constexpr const char* kDefaultMarginLeft = "10";
inline constexpr const char* kDefaultMarginRight = "10";
inline constexpr const char* kDefaultMarginBottom = "14";
// The frame libass assumes for a script that names none, so that an ASS script looks as the SSA one does.
inline constexpr int kDefaultPlayResX = 384;
inline constexpr int kDefaultPlayResY = 288;

/// A font size as text: at most seven significant digits, a point as separator, no exponent, no trailing zeros.
[[nodiscard]] std::string FontSizeText(float size);

} // namespace varnuth
