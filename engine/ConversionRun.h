#pragma once

#include "ConversionRequest.h"
#include "RunControl.h"
#include "RunError.h"
#include "StyleSettings.h"
#include "UnconvertedLines.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace varnuth {

/// How a run ended: the count, or the failure that stopped it, and the lines it did not convert.
struct RunOutcome {
    std::int16_t count = 0;
    std::optional<RunError> error;
    UnconvertedLines unconverted;
    std::optional<long> written;       // subtitles written, where the format counts something else
    bool sourceLooksLikeUtf16 = false; // read as bytes, though it looks like UTF-16 without a byte-order mark
    std::string decodedFrom = {}; // the source's encoding, where it was decoded from neither UTF-8 nor UTF-16

    [[nodiscard]] bool succeeded() const noexcept { return !error.has_value(); }
};

/// Shows one text to the user and returns when it has been dismissed.
using ShowMessage = std::function<void(const std::string&)>;

inline constexpr std::string_view kFinishedSuffix = " rows finished!!!";

/// Converts the request's source into its target; never throws a RunError, it returns it. An SSA run writes the
/// request's Bold, Italic and alignment choices into \p style, where they outlive the run. \p control is called on
/// the calling thread; a cancel it signals ends the run as the failure "Cancelled".
[[nodiscard]] RunOutcome PerformConversion(const ConversionRequest& request, StyleSettings& style,
                                           const RunControl& control = {});

inline constexpr std::string_view kLooksLikeUtf16 =
    "The source looks like UTF-16 without a byte-order mark; save it as UTF-8, or as UTF-16 with a mark";

/// What a run that finished counted: the count and " rows finished!!!", and on a line of its own the subtitles
/// written where that number differs.
[[nodiscard]] std::string CountMessage(const RunOutcome& outcome);

/// Why the request's style values do not fit its format, or nothing: no margin of a styled script holds a line
/// break, and an ASS script's margins are whole numbers from 0 to 9999. A run refuses such a request before it opens
/// a file.
[[nodiscard]] std::optional<std::string> StyleValuesProblem(const ConversionRequest& request);

/// The one message a run shows: the count and " rows finished!!!", followed by the encoding the source was decoded
/// from, if not UTF-8, and by how many lines were not converted and the first of them; or the failure's description.
[[nodiscard]] std::string OutcomeMessage(const RunOutcome& outcome);

/// What the outcome says of a source decoded from \p encoding.
[[nodiscard]] std::string DecodedFromNote(const std::string& encoding);

/// Performs one run and shows its outcome through \p showMessage, exactly once.
void RunConversion(const ConversionRequest& request, StyleSettings& style, const ShowMessage& showMessage);

} // namespace varnuth
