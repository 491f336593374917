#include "Formats.h"

#include "Converters.h"

#include <algorithm>
#include <cassert>

namespace varnuth {

const std::array<FormatEntry, 3> kFormats = {{
    {OutputFormat::SSA, "SSA", "ssa", "ssa", ConvertSubRipToSsa},
    {OutputFormat::SON, "SON", "son", "son", ConvertSonicToSon},
    {OutputFormat::STL, "STL", "stl", "stl", ConvertSonicToStl},
}};

const FormatEntry& FormatOf(OutputFormat format)
{
    const auto* entry = std::find_if(kFormats.begin(), kFormats.end(),
                                     [format](const FormatEntry& row) { return row.format == format; });
    assert(entry != kFormats.end() && "every OutputFormat has its row in kFormats");
    return *entry;
}

const FormatEntry* FindFormat(std::string_view word)
{
    const auto* entry = std::find_if(kFormats.begin(), kFormats.end(),
                                     [word](const FormatEntry& row) { return row.commandWord == word; });
    return entry == kFormats.end() ? nullptr : entry;
}

} // namespace varnuth
