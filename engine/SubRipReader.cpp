#include "SubRipReader.h"

namespace varnuth::subrip_reports {

void ReportOutsideEntry(std::string_view line, long number, UnconvertedLines& unconverted)
{
    if (HasArrow(line)) {
        unconverted.Add(number, "'-->' but no times that can be read; dropped");
    } else if (line.find_first_not_of(" \t") == std::string_view::npos) {
        unconverted.Add(number, "spaces or tabs outside an entry; dropped");
    } else {
        unconverted.Add(number, "text outside an entry; dropped");
    }
}

void ReportNumberWithoutTiming(long number, UnconvertedLines& unconverted)
{
    unconverted.Add(number, "an entry number with no timing line after it; dropped");
}

void ReportUnreadableTimingKept(long number, UnconvertedLines& unconverted)
{
    unconverted.Add(number, "'-->' but no times that can be read; kept as text");
}

void ReportEntryWithoutText(long number, UnconvertedLines& unconverted)
{
    unconverted.Add(number, "an entry without text; nothing written");
}

} // namespace varnuth::subrip_reports
