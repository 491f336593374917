#include "StyleSettings.h"

#include <gtest/gtest.h>

namespace varnuth::test {
namespace {

TEST(StyleSettingsTest, DefaultsReadAsAFreshStartShowsThem)
{
    StyleSettings style;
    EXPECT_EQ(style.str_fontname.TextForm(), "");
    style.SetDefaults();
    EXPECT_EQ(style.str_fontname.TextForm(), "VNI-Helve");
    EXPECT_EQ(style.str_fontsize, "18");
    EXPECT_EQ(style.bold.TextForm(), "0");
    EXPECT_EQ(style.italic, "0");
    EXPECT_EQ(style.primarycolor.TextForm(), "16777215");
    EXPECT_EQ(style.secondarycolor.TextForm(), "16777215");
    EXPECT_EQ(style.tertiarycolor.TextForm(), "16777215");
    EXPECT_EQ(style.txtAlignment, "2");
}

TEST(StyleSettingsTest, ColoursHeldAsNumbersReadAsTheirDigits)
{
    EXPECT_EQ(SettingValue(0xFFFFFF).TextForm(), SettingValue("16777215").TextForm());
    EXPECT_EQ(SettingValue(255).TextForm(), "255");
    EXPECT_EQ(SettingValue(65280).TextForm(), "65280");
    EXPECT_EQ(SettingValue(16711680).TextForm(), "16711680");
    EXPECT_EQ(SettingValue(-1).TextForm(), "-1");
    EXPECT_EQ(SettingValue(0).TextForm(), "0");
}

TEST(StyleSettingsTest, FontSizeTextHasAPointAndNoSpareDigits)
{
    const std::pair<float, const char*> cases[] = {
        {18.0F, "18"},
        {10.5F, "10.5"},
        {8.25F, "8.25"},
        {0.5F, "0.5"},
        {72.0F, "72"},
        {1638.0F, "1638"},
        {12.1F, "12.1"},
        {9.999999F, "9.999999"},
        {99.999999F, "100"},
        {1234567.0F, "1234567"},
        {123456789.0F, "123456800"},
    };
    for (const auto& [size, text] : cases) {
        EXPECT_EQ(FontSizeText(size), text) << size;
    }
}

} // namespace
} // namespace varnuth::test
