#pragma once

#include "RunControl.h"
#include "RunError.h"
#include "StyleSettings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnuth {

enum class OutputFormat { SSA, SON, STL };

/// The values one run takes from the window when Convert is pressed.
struct ConversionRequest {
    explicit ConversionRequest(StyleSettings& styleSettings) : style(styleSettings) {}

    std::string sourceName;
    std::string targetName;
    OutputFormat format = OutputFormat::SSA;
    int boldValue = 0;   // 0 clear, 1 ticked, 2 greyed
    int italicValue = 0; // as boldValue
    bool alignLeft = false;
    bool alignCentre = false;
    bool alignRight = false;
    std::string marginLeft;
    std::string marginRight;
    std::string marginBottom;
    bool ssaSections = false; // the SSA v4 section and format lines around the same lines, for today's players
    std::reference_wrapper<StyleSettings> style; // the SSA run writes bold, italic and txtAlignment back
};

/// A source line the run dropped or could not read as its format intends, and why.
struct UnconvertedLine {
    long number = 0;
    std::string reason;
};

/// The lines a run did not convert: only the first kKept of them and how many in all, so that memory stays constant.
struct UnconvertedLines {
    static constexpr std::size_t kKept = 20;

    void Add(long number, std::string_view reason);

    std::vector<UnconvertedLine> first;
    long total = 0;
};

/// How a run ended: the count, or the failure that stopped it, and the lines it did not convert.
struct RunOutcome {
    std::int16_t count = 0;
    std::optional<RunError> error;
    UnconvertedLines unconverted;

    [[nodiscard]] bool succeeded() const noexcept { return !error.has_value(); }
};

/// Shows one text to the user and returns when it has been dismissed.
using ShowMessage = std::function<void(const std::string&)>;

inline constexpr std::string_view kFinishedSuffix = " rows finished!!!";

/// Converts the request's source into its target; never throws a RunError, it returns it. \p control is
/// called on the calling thread; a cancel it signals ends the run as the failure "Cancelled".
[[nodiscard]] RunOutcome PerformConversion(const ConversionRequest& request, const RunControl& control = {});

/// The one message a run shows: the count and " rows finished!!!", followed by how many lines were not converted and
/// the first of them, or the failure's description.
[[nodiscard]] std::string OutcomeMessage(const RunOutcome& outcome);

/// Performs one run and shows its outcome through \p showMessage, exactly once.
void RunConversion(const ConversionRequest& request, const ShowMessage& showMessage);

} // namespace varnuth
