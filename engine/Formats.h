#pragma once

#include "ConversionRequest.h"

#include <array>
#include <string>
#include <string_view>

namespace varnuth {

class LineReader;
class LineWriter;
class SubtitleCounter;
struct StyleSettings;
struct UnconvertedLines;

/// Converts an open source into an open target, counting what its format counts. Only the converters whose row says
/// usesStyle read the request's style fields and write \p style.
using Converter = void (*)(LineReader& source, LineWriter& target, const ConversionRequest& request,
                           StyleSettings& style, SubtitleCounter& counter, UnconvertedLines& unconverted);

/// One output format: a new format is one more row here and its converter. Everything that lists formats (the
/// window's option buttons, its frames and target filter, the command's --format and --help) reads these rows.
struct FormatEntry {
    OutputFormat format;
    std::string_view name;        // for people: messages and test names
    std::string_view commandWord; // the value of varnuth-convert's --format
    std::string_view caption;     // the window's option button
    int optionIndex;              // the option button's index in the window's format group
    std::string_view extension;   // of a target file, without the dot
    std::string_view filterEntry; // the target filter's "description|pattern" entry
    bool usesStyle;               // whether the font, colour and margin values reach the script
    bool utf8Text;                // whether the script's text is UTF-8, decoded from a source in another encoding
    Converter convert;
};

extern const std::array<FormatEntry, 4> kFormats;

/// The row of \p format.
[[nodiscard]] const FormatEntry& FormatOf(OutputFormat format);

/// The row whose command word is \p word, or nullptr.
[[nodiscard]] const FormatEntry* FindFormat(std::string_view word);

/// The row whose option button has \p index, or nullptr.
[[nodiscard]] const FormatEntry* FindFormatByOption(int index);

/// The target dialog's filter: every row's entry, the plain-text entry after the styled scripts, then all files.
[[nodiscard]] std::string TargetFilter();

/// The command words joined by \p separator, in the table's order: "ssa|son|stl".
[[nodiscard]] std::string CommandWords(std::string_view separator);

} // namespace varnuth
