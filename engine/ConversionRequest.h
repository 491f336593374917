#pragma once

#include <string>

#include "StyleSettings.h"

namespace varnuth {

enum class OutputFormat { SSA, SON, STL, ASS };

/// How a run reaches a file: by its name, or, for the command's "-", as the process's own standard input or output,
/// used as it is open (never reopened, never emptied).
enum class Opening { ByName, StandardStream };

/// A check box's three states, as the window's Bold and Italic boxes hold them.
enum class CheckState { Unchecked, Checked, Greyed };

/// The values one run takes from the window when Convert is pressed. The style record the SSA run reads and
/// writes is not part of it: the run takes it as its own argument, so the call shows what the run changes.
struct ConversionRequest {
    std::string sourceName;
    std::string targetName;
    OutputFormat format = OutputFormat::SSA;
    CheckState boldValue = CheckState::Unchecked;
    CheckState italicValue = CheckState::Unchecked;
    bool alignLeft = false;
    bool alignCentre = false;
    bool alignRight = false;
    std::string marginLeft;
    std::string marginRight;
    std::string marginBottom;
    bool ssaSections = false; // the SSA v4 section and format lines around the same lines, for today's players
    int playResX = kDefaultPlayResX; // the ASS script's frame, in which sizes and margins are measured
    int playResY = kDefaultPlayResY;
    std::string sourceEncoding = {}; // for a UTF-8 script, the iconv name of the source's encoding; empty: detect it
    Opening sourceOpening = Opening::ByName;
    Opening targetOpening = Opening::ByName;
};

} // namespace varnuth
