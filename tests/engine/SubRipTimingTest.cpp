#include "SubRipTiming.h"

#include <gtest/gtest.h>

#include <string>

namespace varnuth::test {
namespace {

std::string Times(std::string_view line)
{
    const std::optional<SubRipTiming> timing = ParseTimingLine(line);
    if (!timing) {
        return "not a timing line";
    }
    return std::string(timing->start.begin(), timing->start.end()) + ","
           + std::string(timing->end.begin(), timing->end.end());
}

TEST(SubRipTimingTest, ReadsTheShapesRealFilesWriteAndNothingElse)
{
    const std::pair<const char*, const char*> cases[] = {
        // The usual form: the tens of the hours and the thousandths are cut, never rounded.
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
        // Usual length, but a byte next to the digits, or a digit with its high bit set (octal 260), where a digit
        // belongs.
        {"00:00:01,000 --> 00:00:0:,000", "0:00:01.00,0:00:00.00"},
        {"00:00:01,000 --> 00:00:04,/00", "not a timing line"},
        {"00:00:01,000 --> 00:00:04,\26000", "not a timing line"},
        // Not timing lines.
        {"ab:cd:ef,ghi --> jk:lm:no,pqr", "not a timing line"},
        {"00:00:01,000 -> 00:00:04,000", "not a timing line"},
        {"00:00:01,000 ==> 00:00:04,000", "not a timing line"},
        {"-->00:01,000 --> 00:00:04,000", "not a timing line"},
        {" 00:00:01,000 --> 00:00:04,000", "not a timing line"},
        {"00:00:01,0000 --> 00:00:04,000", "not a timing line"},
        {"00:00:01, --> 00:00:04,000", "not a timing line"},
        {"00:000:01,000 --> 00:00:04,000", "not a timing line"},
        {"00:00 --> 00:04", "not a timing line"},
        {"00:00:01;000 --> 00:00:04,000", "not a timing line"},
        {"00:00:01,000 --> ", "not a timing line"},
        {"00:00:01,000", "not a timing line"},
        {"", "not a timing line"},
    };
    for (const auto& [line, times] : cases) {
        EXPECT_EQ(Times(line), times) << line;
    }
}

} // namespace
} // namespace varnuth::test
