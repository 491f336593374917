#pragma once

#include "ConversionRequest.h"
#include "LineReader.h"
#include "LineWriter.h"
#include "StyleSettings.h"
#include "SubtitleCounter.h"
#include "UnconvertedLines.h"

#include <optional>
#include <string_view>

namespace varnuth {

// The converters have the one signature of Converter (Formats.h), so that the format table can name them.

/// Writes the SSA script of a SubRip source, counting dialogue lines; copies the request's Bold, Italic and
/// alignment choices into \p style first. Closes both files at the end.
void ConvertSubRipToSsa(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                        SubtitleCounter& counter, UnconvertedLines& unconverted);

/// Writes the ASS script of a SubRip source, as ConvertSubRipToSsa does the SSA one; SubRip's tags become override
/// blocks. The margins must have passed AssMargin.
void ConvertSubRipToAss(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                        SubtitleCounter& counter, UnconvertedLines& unconverted);

/// Copies the request's Bold, Italic and alignment choices into \p style, as every styled run does first.
void CopyStyleChoices(const ConversionRequest& request, StyleSettings& style);

/// The margin \p text as an ASS script holds it: a whole number from 0 to 9999; else nothing.
[[nodiscard]] std::optional<int> AssMargin(std::string_view text);

/// Writes the SON script of a Sonic listing, counting entries; its header is fixed, so it reads no style.
void ConvertSonicToSon(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                       SubtitleCounter& counter, UnconvertedLines& unconverted);

/// Writes the STL script of a Sonic listing, counting continuation lines; its header is fixed, so it reads no style.
void ConvertSonicToStl(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                       SubtitleCounter& counter, UnconvertedLines& unconverted);

} // namespace varnuth
