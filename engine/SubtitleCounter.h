#pragma once

#include "RunError.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace varnuth {

/// The count of one run: 16-bit signed, so it stops with an overflow failure at 32767.
class SubtitleCounter {
public:
    /// Adds 1, or fails with the overflow RunError and keeps 32767.
    void Increment()
    {
        if (value_ == std::numeric_limits<std::int16_t>::max()) {
            throw RunError(static_cast<int>(std::errc::value_too_large), "Overflow: a run counts at most 32767 rows");
        }
        ++value_;
    }

    [[nodiscard]] std::int16_t value() const noexcept { return value_; }

    /// Records the subtitles written, for a format whose count stands for something else.
    void SetWritten(long written) noexcept { written_ = written; }

    /// The subtitles written, if the format recorded them.
    [[nodiscard]] std::optional<long> written() const noexcept { return written_; }

private:
    std::int16_t value_ = 0;
    std::optional<long> written_;
};

} // namespace varnuth
