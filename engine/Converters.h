#pragma once

#include "ConversionRun.h"
#include "LineReader.h"
#include "LineWriter.h"
#include "SubtitleCounter.h"

namespace varnuth {

/// Writes the SSA script of a SubRip source, counting dialogue lines; closes both files at the end.
void ConvertSubRipToSsa(LineReader& source, LineWriter& target, const ConversionRequest& request,
                        SubtitleCounter& counter, UnconvertedLines& unconverted);

/// Writes the SON script of a Sonic listing, counting entries.
void ConvertSonicToSon(LineReader& source, LineWriter& target, SubtitleCounter& counter, UnconvertedLines& unconverted);

/// Writes the STL script of a Sonic listing, counting continuation lines.
void ConvertSonicToStl(LineReader& source, LineWriter& target, SubtitleCounter& counter, UnconvertedLines& unconverted);

} // namespace varnuth
