#include "StyleSettings.h"

#include <gtest/gtest.h>

namespace varnuth::test {
namespace {

TEST(StyleSettingsTest, FontSizeTextHasAPointAndNoSpareDigits)
{
    const std::pair<float, const char*> cases[] = {{18.0F, "18"},       {10.5F, "10.5"},
                                                   {8.25F, "8.25"},     {0.5F, "0.5"},
                                                   {12.1F, "12.1"},     {9.999999F, "9.999999"},
                                                   {99.999999F, "100"}, {1234567.0F, "1234567"},
                                                   {1638.0F, "1638"},   {123456789.0F, "123456800"}};
    for (const auto& [size, text] : cases) {
        EXPECT_EQ(FontSizeText(size), text) << size;
    }
}

} // namespace
} // namespace varnuth::test
