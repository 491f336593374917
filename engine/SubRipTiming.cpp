#include "SubRipTiming.h"

#include <algorithm>
#include <cstddef>

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

    bool Read(SsaTime& time)
    {
        time = kZeroTime;
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

// The usual shape, where '0' stands for any digit and ',' for a comma or a point: nearly every timing line of a
// real file, so it is read by position without the general parser.
constexpr std::string_view kUsualShape = "00:00:00,000 --> 00:00:00,000";
constexpr std::size_t kUsualEndAt = 17;

bool HasUsualShape(std::string_view line)
{
    if (line.size() != kUsualShape.size()) {
        return false;
    }
    // Separators first: they reject most lines that are no timing line at the first test.
    constexpr std::size_t kSeparators[] = {2, 5, 8, 12, 13, 14, 15, 16, 19, 22, 25};
    for (const std::size_t i : kSeparators) {
        const bool fits = kUsualShape[i] == ',' ? line[i] == ',' || line[i] == '.' : line[i] == kUsualShape[i];
        if (!fits) {
            return false;
        }
    }
    constexpr std::size_t kDigits[] = {0, 1, 3, 4, 6, 7, 9, 10, 11, 17, 18, 20, 21, 23, 24, 26, 27, 28};
    return std::all_of(std::begin(kDigits), std::end(kDigits), [line](std::size_t i) { return IsDigit(line[i]); });
}

// Hours' tens dropped, thousandths cut: "01:02:03,456" is 1:02:03.45.
void CutUsualTime(std::string_view time, SsaTime& out)
{
    constexpr std::size_t kClockWidth = 7;
    const std::string_view clock = time.substr(1, kClockWidth);
    std::copy(clock.begin(), clock.end(), out.begin());
    out[kHundredthsAt - 1] = '.';
    out[kHundredthsAt] = time[kHundredthsAt + 1];
    out[kHundredthsAt + 1] = time[kHundredthsAt + 2];
}

} // namespace

std::optional<SubRipTiming> ParseTimingLine(std::string_view line)
{
    // Text lines, most of a file, rarely start as a time does.
    if (line.empty() || (!IsDigit(line.front()) && line.front() != '-')) {
        return std::nullopt;
    }
    SubRipTiming timing{};
    if (HasUsualShape(line)) {
        CutUsualTime(line, timing.start);
        CutUsualTime(line.substr(kUsualEndAt), timing.end);
        return timing;
    }
    TimeReader reader(line);
    if (!reader.Read(timing.start)) {
        return std::nullopt;
    }
    reader.SkipBlanks();
    if (!reader.TakeArrow()) {
        return std::nullopt;
    }
    reader.SkipBlanks();
    if (!reader.Read(timing.end)) {
        return std::nullopt;
    }
    return timing;
}

} // namespace varnuth
