// The text forms of single fields: SubRip timing lines as real files write them, and the font size.

#include "StyleSettings.h"
#include "SubRipTiming.h"

#include <gtest/gtest.h>

namespace varnuth::test {
namespace {

TEST(TextFieldsTest, TimingLinesReadAsRealFilesWriteThemAndNothingElse)
{
    const std::pair<const char*, const char*> cases[] = {
        // The tens of the hours and the thousandths are cut, never rounded.
        {"00:01:02,345 --> 00:01:05,678", "0:01:02.34,0:01:05.67"},
        {"00:00:01.000 --> 00:00:04.000", "0:00:01.00,0:00:04.00"},
        {"12:00:00,000 --> 13:59:59,999", "2:00:00.00,3:59:59.99"},
        {"0:55:40,920 --> 0:55:44,760", "0:55:40.92,0:55:44.76"},
        {"123:4:5,6 --> 1:02:03", "3:04:05.60,1:02:03.00"},
        {"00:02:04,08 --> 00:02:12.16", "0:02:04.08,0:02:12.16"},
        {"00:01:39 --> 00:01:41,04", "0:01:39.00,0:01:41.04"},
        {"-00:00:06,843 --> -00:00:01,471", "0:00:00.00,0:00:00.00"},
        {"00:00:01,000-->00:00:04,000", "0:00:01.00,0:00:04.00"},
        {"00:00:01,000 \t -->\t00:00:04,000   ", "0:00:01.00,0:00:04.00"},
        {"00:00:04,000 --> 00:00:08,000  X1:100 X2:600 Y1:1 Y2:4", "0:00:04.00,0:00:08.00"},
        {"00:31:37,894 --> 00:31:39,928 hack the gibson", "0:31:37.89,0:31:39.92"},
        {"00:00:01,000 --> 00:00:04,00a", "0:00:01.00,0:00:04.00"},
        {"00:00:01,000 --> 00:00:0:,000", "0:00:01.00,0:00:00.00"},
    };
    for (const auto& [line, times] : cases) {
        const std::optional<SubRipTiming> timing = ParseTimingLine(line);
        ASSERT_TRUE(timing) << line;
        EXPECT_EQ(std::string(timing->start.begin(), timing->start.end()) + ","
                      + std::string(timing->end.begin(), timing->end.end()),
                  times);
    }
    for (const char* line :
         {"ab:cd:ef,ghi --> jk:lm:no,pqr", "00:00:01,000 -> 00:00:04,000", "00:00:01,000 ==> 00:00:04,000",
          "-->00:01,000 --> 00:00:04,000", " 00:00:01,000 --> 00:00:04,000", "00:00:01,0000 --> 00:00:04,000",
          "00:00:01, --> 00:00:04,000", "00:000:01,000 --> 00:00:04,000", "00:00 --> 00:04",
          "00:00:01;000 --> 00:00:04,000", "00:00:01,000 --> ", "00:00:01,000", "", "00:00:01,000 --> 00:00:04,/00",
          "00:00:01,000 --> 00:00:04,\26000"}) {
        EXPECT_FALSE(ParseTimingLine(line)) << line;
    }
}

TEST(TextFieldsTest, FontSizeHasAPointAndNoSpareDigits)
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
