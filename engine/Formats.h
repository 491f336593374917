#pragma once

#include "ConversionRequest.h"

#include <array>
#include <string_view>

namespace varnuth {

class LineReader;
class LineWriter;
class SubtitleCounter;
struct StyleSettings;
struct UnconvertedLines;

/// Converts an open source into an open target, counting what its format counts. Only the SSA converter reads the
/// request's style fields and writes \p style.
using Converter = void (*)(LineReader& source, LineWriter& target, const ConversionRequest& request,
                           StyleSettings& style, SubtitleCounter& counter, UnconvertedLines& unconverted);

/// One output format: a new format is one more row here and its converter.
struct FormatEntry {
    OutputFormat format;
    std::string_view name;        // for people: messages and test names
    std::string_view commandWord; // the value of varnuth-convert's --format
    std::string_view extension;   // a target's file name ending, without its dot
    Converter convert;
};

extern const std::array<FormatEntry, 3> kFormats;

/// The row of \p format.
[[nodiscard]] const FormatEntry& FormatOf(OutputFormat format);

/// The row whose command word is \p word, or nullptr.
[[nodiscard]] const FormatEntry* FindFormat(std::string_view word);

} // namespace varnuth
