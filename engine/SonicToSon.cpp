#include "Converters.h"
#include "SonicListing.h"

namespace varnuth {
namespace {

constexpr std::string_view kDisplayArea = "Display_Area\t(0 2 719 479)";

constexpr std::string_view kHeader[] = {
    "st_format\t2",        "Display_Start\tnon_forced",
    "TV_Type\tNTSC",       "Tape_Type\tNON_DROP",
    "Pixel_Area\t(0 477)", "Directory",
    kDisplayArea,          "Contrast\t(15 15 15 0)",
    "Color\t(0 1 2 0)",    "SP_NUMBER\tSTART\tEND FILE_NAME",
};

} // namespace

void ConvertSonicToSon(LineReader& source, LineWriter& target, SubtitleCounter& counter, UnconvertedLines& unconverted)
{
    for (const std::string_view line : kHeader) {
        target.WriteLine(line);
    }
    while (!source.AtEnd()) {
        const std::string_view line = source.ReadLine();
        if (line.empty()) {
            continue;
        }
        const sonic::EntryFields entry = sonic::CutEntry(line, source.LineNumber());
        sonic::ReportTimecodes(entry, source.LineNumber(), unconverted);
        target.WriteLine(kDisplayArea);
        target.WriteLine({entry.number, "\t", entry.start, "\t", entry.end, "\t", entry.rest});
        counter.Increment();
    }
}

} // namespace varnuth
