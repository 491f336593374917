#pragma once

#include "ConversionRequest.h"
#include "LineReader.h"
#include "LineWriter.h"
#include "StyleSettings.h"
#include "SubtitleCounter.h"
#include "UnconvertedLines.h"

namespace varnuth {

// All three have the one signature of Converter (Formats.h), so that the format table can name them.

/// Writes the SSA script of a SubRip source, counting dialogue lines; copies the request's Bold, Italic and
/// alignment choices into \p style first. Closes both files at the end.
void ConvertSubRipToSsa(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                        SubtitleCounter& counter, UnconvertedLines& unconverted);

/// Writes the SON script of a Sonic listing, counting entries; its header is fixed, so it reads no style.
void ConvertSonicToSon(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                       SubtitleCounter& counter, UnconvertedLines& unconverted);

/// Writes the STL script of a Sonic listing, counting continuation lines; its header is fixed, so it reads no style.
void ConvertSonicToStl(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                       SubtitleCounter& counter, UnconvertedLines& unconverted);

} // namespace varnuth
