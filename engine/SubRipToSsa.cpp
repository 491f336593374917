#include "Contact.h"
#include "Converters.h"
#include "SubRipTiming.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <tuple>

namespace varnuth {
namespace {

constexpr std::string_view kTitlePrefix = "! SSA Varnuth by Tavendrel - ";

constexpr std::string_view kHeader[] = {
    "Title: Tavendrel",
    "Original Script: Tavendrel",
    "Original Editing: Tavendrel",
    "Original Timing: Tavendrel",
    "Original Script Checking: Tavendrel",
    "Synch Point: Side 1 0m00s",
    "Collisions: Normal",
    "Timer: 100.0000",
};

// Only with sections: renderers such as libass refuse a script without them. The styles' format line names the
// fields of the style line in the order it writes them, which is not the full SSA v4 order.
constexpr std::string_view kScriptInfo = "[Script Info]";
constexpr std::string_view kScriptType = "ScriptType: v4.00";
constexpr std::string_view kStyles = "[V4 Styles]";
constexpr std::string_view kStyleFormat = "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
                                          "TertiaryColour, BackColour, Bold, Italic, Outline, Shadow, Alignment, "
                                          "MarginL, MarginR, MarginV";
constexpr std::string_view kEvents = "[Events]";
constexpr std::string_view kEventFormat =
    "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text";
constexpr std::string_view kBeforeStyle[] = {kScriptType, "", kStyles, kStyleFormat};
constexpr std::string_view kAfterStyle[] = {"", kEvents, kEventFormat};

constexpr std::string_view kDialogueStart = "Dialogue: Marked=0,";
constexpr std::string_view kDialogueFields = ",Default,TAV,0000,0000,0000,!Effect,";
constexpr std::string_view kLineBreak = "\\N";
constexpr std::string_view kArrow = "-->";

constexpr std::string_view kTextOutsideEntry = "text outside an entry; dropped";
constexpr std::string_view kBlanksOutsideEntry = "spaces or tabs outside an entry; dropped";
constexpr std::string_view kNumberWithoutTiming = "an entry number with no timing line after it; dropped";
constexpr std::string_view kUnreadableTimingDropped = "'-->' but no times that can be read; dropped";
constexpr std::string_view kUnreadableTimingKept = "'-->' but no times that can be read; kept as text";
constexpr std::string_view kEntryWithoutText = "an entry without text; nothing written";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A plain loop: numbers are short, and text lines fail at the first character.
bool IsEntryNumber(std::string_view line)
{
    for (const char c : line) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return !line.empty();
}

// A '-' is rare in text, so the search is mostly one memchr.
bool HasArrow(std::string_view line)
{
    for (std::size_t at = line.find('-'); at != std::string_view::npos; at = line.find('-', at + 1)) {
        if (line.substr(at).starts_with(kArrow)) {
            return true;
        }
    }
    return false;
}

// The start of every dialogue line, in which only the times change from one entry to the next. Its fixed size lets
// the compiler copy it with a few moves.
class DialoguePrefix {
public:
    DialoguePrefix()
    {
        std::copy(kDialogueStart.begin(), kDialogueStart.end(), bytes_.begin());
        bytes_[kEndAt - 1] = ',';
        std::copy(kDialogueFields.begin(), kDialogueFields.end(), bytes_.begin() + kFieldsAt);
    }

    void SetTimes(const SubRipTiming& timing) noexcept
    {
        std::copy(timing.start.begin(), timing.start.end(), bytes_.begin() + kStartAt);
        std::copy(timing.end.begin(), timing.end.end(), bytes_.begin() + kEndAt);
    }

    [[nodiscard]] std::string_view View() const noexcept { return {bytes_.data(), bytes_.size()}; }

    char* PutInto(char* out) const noexcept
    {
        std::memcpy(out, bytes_.data(), bytes_.size());
        return out + bytes_.size();
    }

private:
    static constexpr std::ptrdiff_t kTimeWidth = std::tuple_size_v<SsaTime>;
    static constexpr std::ptrdiff_t kStartAt = kDialogueStart.size();
    static constexpr std::ptrdiff_t kEndAt = kStartAt + kTimeWidth + 1;
    static constexpr std::ptrdiff_t kFieldsAt = kEndAt + kTimeWidth;

    std::array<char, kFieldsAt + kDialogueFields.size()> bytes_{};
};

void CopyStyleChoices(const ConversionRequest& request, StyleSettings& style)
{
    // A greyed box is not bold or italic.
    style.bold = request.boldValue == CheckState::Checked ? "-1" : "0";
    style.italic = request.italicValue == CheckState::Checked ? "-1" : "0";
    // Made in this order on purpose: the last selected option wins, and none keeps the old value.
    if (request.alignLeft) {
        style.txtAlignment = Alignment::Left;
    }
    if (request.alignCentre) {
        style.txtAlignment = Alignment::Centre;
    }
    if (request.alignRight) {
        style.txtAlignment = Alignment::Right;
    }
}

std::string StyleLine(const StyleSettings& style, const ConversionRequest& request)
{
    return "Style: Default," + style.str_fontname.TextForm() + "," + style.str_fontsize + ","
           + style.primarycolor.TextForm() + "," + style.secondarycolor.TextForm() + ","
           + style.tertiarycolor.TextForm() + ",0," + style.bold.TextForm() + "," + style.italic + ",2,0,"
           + std::string(AlignmentCode(style.txtAlignment)) + "," + request.marginLeft + "," + request.marginRight + ","
           + request.marginBottom;
}

// The header and the style line, with the sections around them when asked for.
void WriteScriptStart(LineWriter& target, std::string_view styleLine, bool sections)
{
    target.WriteLine({kTitlePrefix, kContactAddress});
    if (sections) {
        target.WriteLine(kScriptInfo);
    }
    target.WriteLines(kHeader);
    if (sections) {
        target.WriteLines(kBeforeStyle);
    }
    target.WriteLine(styleLine);
    if (sections) {
        target.WriteLines(kAfterStyle);
    }
}

} // namespace

void ConvertSubRipToSsa(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                        SubtitleCounter& counter, UnconvertedLines& unconverted)
{
    CopyStyleChoices(request, style);
    WriteScriptStart(target, StyleLine(style, request), request.ssaSections);

    bool inEntry = false;
    // The dialogue line not yet written, each written once and never lost. It is composed in the target's buffer and
    // committed at the entry's end; a line too long for that buffer is held by the source, or joined in a string.
    enum class Pending { None, Composed, Held, Joined } pending = Pending::None;
    DialoguePrefix prefix;
    char* composed = nullptr;
    std::size_t composedSize = 0;
    std::string dialogueLine;
    const auto writeDialogue = [&] {
        if (pending == Pending::None) {
            return;
        }
        if (pending == Pending::Composed) {
            target.CommitLine(composed + composedSize);
        } else if (pending == Pending::Held) {
            target.WriteLine({prefix.View(), source.Held()});
        } else {
            target.WriteLine(dialogueLine);
        }
        pending = Pending::None;
        counter.Increment();
    };
    const auto addText = [&](std::string_view text) {
        if (pending == Pending::None) {
            if (char* const out = target.Reserve(prefix.View().size() + text.size())) {
                composed = out;
                composedSize = static_cast<std::size_t>(Put(prefix.PutInto(out), text) - out);
                pending = Pending::Composed;
            } else {
                source.Hold(text);
                pending = Pending::Held;
            }
            return;
        }
        if (pending == Pending::Composed) {
            const std::size_t size = composedSize + kLineBreak.size() + text.size();
            if (char* const out = target.Reserve(size, composedSize)) {
                Put(Put(out + composedSize, kLineBreak), text);
                composed = out;
                composedSize = size;
                return;
            }
            dialogueLine.assign(composed, composedSize);
            pending = Pending::Joined;
        } else if (pending == Pending::Held) {
            source.MoveHeldInto(dialogueLine, prefix.View());
            pending = Pending::Joined;
        }
        dialogueLine.append(kLineBreak).append(text);
    };

    // What the next line decides: a number line is an entry number only if a timing line follows it, and an entry
    // whose timing line no text follows writes nothing.
    long numberLine = 0;
    long timingLine = 0;
    const auto reportNumberWithoutTiming = [&] {
        if (numberLine != 0) {
            unconverted.Add(numberLine, kNumberWithoutTiming);
            numberLine = 0;
        }
    };
    const auto reportEntryWithoutText = [&] {
        if (inEntry && pending == Pending::None) {
            unconverted.Add(timingLine, kEntryWithoutText);
        }
    };

    std::string_view line;
    while (source.Next(line)) {
        if (line.empty()) {
            reportNumberWithoutTiming();
            if (inEntry) {
                reportEntryWithoutText();
                writeDialogue();
                inEntry = false;
            }
        } else if (IsEntryNumber(line)) {
            reportNumberWithoutTiming();
            if (inEntry) {
                addText(line);
            } else {
                numberLine = source.LineNumber();
            }
        } else if (const std::optional<SubRipTiming> timing = ParseTimingLine(line)) {
            numberLine = 0;
            reportEntryWithoutText();
            writeDialogue();
            prefix.SetTimes(*timing);
            timingLine = source.LineNumber();
            inEntry = true;
        } else {
            reportNumberWithoutTiming();
            const bool arrow = HasArrow(line);
            if (inEntry) {
                if (arrow) {
                    unconverted.Add(source.LineNumber(), kUnreadableTimingKept);
                }
                addText(line);
            } else if (arrow) {
                unconverted.Add(source.LineNumber(), kUnreadableTimingDropped);
            } else {
                const bool blanks = line.find_first_not_of(" \t") == std::string_view::npos;
                unconverted.Add(source.LineNumber(), blanks ? kBlanksOutsideEntry : kTextOutsideEntry);
            }
        }
    }
    reportNumberWithoutTiming();
    reportEntryWithoutText();
    writeDialogue();
    source.Close();
    target.Close();
}

} // namespace varnuth
