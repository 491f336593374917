#include "Formats.h"

#include "Converters.h"

#include <algorithm>
#include <cassert>

namespace varnuth {

const std::array<FormatEntry, 4> kFormats = {{
    {OutputFormat::SSA, "SSA", "ssa", "SSA", 0, "ssa", "SSA script (*.ssa)|*.ssa", true, false, ConvertSubRipToSsa},
    {OutputFormat::SON, "SON", "son", "SON Maestro", 2, "son", "SON DVDMaestro (*.son)|*.son", false, false,
     ConvertSonicToSon},
    {OutputFormat::STL, "STL", "stl", "STL Maestro", 3, "stl", "STL DVDMaestro (*.stl)|*.stl", false, false,
     ConvertSonicToStl},
    {OutputFormat::ASS, "ASS", "ass", "ASS", 4, "ass", "ASS script (*.ass)|*.ass", true, true,
     ConvertSubRipToAss},
}};

namespace {

template <typename Predicate>
const FormatEntry* FindRow(Predicate matches)
{
    const auto* entry = std::find_if(kFormats.begin(), kFormats.end(), matches);
    return entry == kFormats.end() ? nullptr : entry;
}

} // namespace

const FormatEntry& FormatOf(OutputFormat format)
{
    const FormatEntry* entry = FindRow([format](const FormatEntry& row) { return row.format == format; });
    assert(entry != nullptr && "every OutputFormat has its row in kFormats");
    return *entry;
}

const FormatEntry* FindFormat(std::string_view word)
{
    return FindRow([word](const FormatEntry& row) { return row.commandWord == word; });
}

const FormatEntry* FindFormatByOption(int index)
{
    return FindRow([index](const FormatEntry& row) { return row.optionIndex == index; });
}

// Fabsub Text is no format of ours: the window has always offered it after the styled scripts.
std::string TargetFilter()
{
    std::string filter;
    for (const bool styled : {true, false}) {
        for (const FormatEntry& row : kFormats) {
            if (row.usesStyle == styled) {
                filter.append(row.filterEntry).append("|");
            }
        }
        if (styled) {
            filter += "Fabsub Text (*.txt)|*.txt|";
        }
    }
    return filter + "All files|*.*";
}

std::string CommandWords(std::string_view separator)
{
    std::string words;
    for (const FormatEntry& row : kFormats) {
        words.append(words.empty() ? std::string_view() : separator).append(row.commandWord);
    }
    return words;
}

} // namespace varnuth
