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

constexpr std::string_view kTab = "\t";

void WriteEntry(LineWriter& target, const sonic::EntryFields& entry)
{
    constexpr std::size_t kFixedWidth = sonic::kNumberWidth + 2 * sonic::kTimecodeWidth + 3 * kTab.size();
    char* out = target.Reserve(kFixedWidth + entry.rest.size());
    if (out == nullptr) {
        target.WriteLine({entry.number, kTab, entry.start, kTab, entry.end, kTab, entry.rest});
        return;
    }
    out = Put(Put(Put(Put(Put(Put(out, entry.number), kTab), entry.start), kTab), entry.end), kTab);
    target.CommitLine(Put(out, entry.rest));
}

} // namespace

void ConvertSonicToSon(LineReader& source, LineWriter& target, const ConversionRequest& /*request*/,
                       StyleSettings& /*style*/, SubtitleCounter& counter, UnconvertedLines& unconverted)
{
    target.WriteLines(kHeader);
    std::string_view line;
    while (source.Next(line)) {
        if (line.empty()) {
            continue;
        }
        const sonic::EntryFields entry = sonic::CutEntry(line, source.LineNumber());
        sonic::ReportTimecodes(entry, source.LineNumber(), unconverted);
        target.CommitLine(Put(target.Reserve(kDisplayArea.size()), kDisplayArea));
        WriteEntry(target, entry);
        counter.Increment();
    }
}

} // namespace varnuth
