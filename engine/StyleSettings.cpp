#include "StyleSettings.h"

namespace varnuth {

std::string SettingValue::TextForm() const
{
    if (const auto* text = std::get_if<std::string>(&value_)) {
        return *text;
    }
    if (const auto* number = std::get_if<std::int32_t>(&value_)) {
        return std::to_string(*number);
    }
    return {};
}

void StyleSettings::SetDefaults()
{
    str_fontname = kDefaultFontName;
    str_fontsize = kDefaultFontSize;
    bold = "0";
    italic = "0";
    txtAlignment = Alignment::Centre;
    primarycolor = kWhite;
    secondarycolor = kWhite;
    tertiarycolor = kWhite;
}

} // namespace varnuth
