#include "SubRipTiming.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace varnuth {
namespace {

constexpr std::string_view kArrow = "-->";
constexpr SsaTime kZeroTime = {'0', ':', '0', '0', ':', '0', '0', '.', '0', '0'};
constexpr std::size_t kMinutesAt = 2;
constexpr std::size_t kSecondsAt = 5;
constexpr std::size_t kHundredthsAt = 8;
constexpr std::size_t kMaxFieldDigits = 2;
constexpr std::size_t kMaxFractionDigits = 3;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads a time from the front of the text it is given and consumes it.
class TimeReader {
public:
    explicit TimeReader(std::string_view text) : rest_(text) {}

    bool Read(SsaTime& time, std::string_view& hoursDigits)
    {
        time = kZeroTime;
        hoursDigits = "0";
        const bool negative = Take('-');
        std::string_view hours;
        std::string_view minutes;
        std::string_view seconds;
        if (!Digits(hours) || !Take(':') || !Digits(minutes) || minutes.size() > kMaxFieldDigits || !Take(':')
            || !Digits(seconds) || seconds.size() > kMaxFieldDigits) {
            return false;
        }
        std::string_view fraction;
        if (Take(',') || Take('.')) {
            if (!Digits(fraction) || fraction.size() > kMaxFractionDigits) {
                return false;
            }
        }
        if (negative) {
            return true;
        }
        // Only the units of the hours fit the one hour digit; the digits before it are dropped.
        hoursDigits = hours;
        time[0] = hours.back();
        CopyRight(minutes, time.data() + kMinutesAt);
        CopyRight(seconds, time.data() + kSecondsAt);
        // A decimal fraction: ",5" is 50 hundredths, and a third digit is cut.
        for (std::size_t i = 0; i < fraction.size() && i < kMaxFieldDigits; ++i) {
            time[kHundredthsAt + i] = fraction[i];
        }
        return true;
    }

    void SkipBlanks()
    {
        while (!rest_.empty() && (rest_.front() == ' ' || rest_.front() == '\t')) {
            rest_.remove_prefix(1);
        }
    }

    bool TakeArrow()
    {
        if (!rest_.starts_with(kArrow)) {
            return false;
        }
        rest_.remove_prefix(kArrow.size());
        return true;
    }

private:
    bool Take(char c)
    {
        if (rest_.empty() || rest_.front() != c) {
            return false;
        }
        rest_.remove_prefix(1);
        return true;
    }

    bool Digits(std::string_view& digits)
    {
        std::size_t count = 0;
        while (count < rest_.size() && IsDigit(rest_[count])) {
            ++count;
        }
        digits = rest_.substr(0, count);
        rest_.remove_prefix(count);
        return count > 0;
    }

    // A one-digit field keeps the leading zero of the two-digit slot.
    static void CopyRight(std::string_view digits, char* slot)
    {
        slot[kMaxFieldDigits - digits.size()] = digits.front();
        slot[kMaxFieldDigits - 1] = digits.back();
    }

    std::string_view rest_;
};

} // namespace

std::optional<SubRipTiming> ParseUnusualTimingLine(std::string_view line)
{
    SubRipTiming timing{};
    TimeReader reader(line);
    if (!reader.Read(timing.start, timing.startHours)) {
        return std::nullopt;
    }
    reader.SkipBlanks();
    if (!reader.TakeArrow()) {
        return std::nullopt;
    }
    reader.SkipBlanks();
    if (!reader.Read(timing.end, timing.endHours)) {
        return std::nullopt;
    }
    return timing;
}

} // namespace varnuth
