#include "Contact.h"
#include "Converters.h"
#include "SubRipTiming.h"

#include <string>

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

bool IsEntryNumber(std::string_view line)
{
    return !line.empty() && line.find_first_not_of("0123456789") == std::string_view::npos;
}

// Built into the caller's string, so that a run of any length allocates it once.
void SetDialoguePrefix(std::string& prefix, const SubRipTiming& timing)
{
    prefix.assign(kDialogueStart)
        .append(timing.start.data(), timing.start.size())
        .append(1, ',')
        .append(timing.end.data(), timing.end.size())
        .append(kDialogueFields);
}

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
    bool firstLine = true;
    bool entryWritten = false;
    // Whether dialogueLine holds text not yet written: each composed line is written once and never lost.
    bool dialogueUnwritten = false;
    std::string dialoguePrefix;
    std::string dialogueLine;
    const auto writeDialogue = [&] {
        if (dialogueUnwritten) {
            target.WriteLine(dialogueLine);
            dialogueUnwritten = false;
            counter.Increment();
        }
    };

    // What the next line decides: a number line is an entry number only if a timing line follows it, and an entry
    // whose timing line no text follows writes nothing.
    long numberLine = 0;
    long timingLine = 0;
    const auto reportEntryWithoutText = [&] {
        if (inEntry && firstLine) {
            unconverted.Add(timingLine, kEntryWithoutText);
        }
    };

    std::string_view line;
    while (source.Next(line)) {
        const std::optional<SubRipTiming> timing = ParseTimingLine(line);
        if (numberLine != 0 && !timing) {
            unconverted.Add(numberLine, kNumberWithoutTiming);
        }
        numberLine = 0;
        if (timing) {
            reportEntryWithoutText();
            SetDialoguePrefix(dialoguePrefix, *timing);
            timingLine = source.LineNumber();
            inEntry = true;
            firstLine = true;
            entryWritten = false;
        } else if (!line.empty()) {
            const bool arrow = line.find(kArrow) != std::string_view::npos;
            if (!inEntry) {
                if (arrow) {
                    unconverted.Add(source.LineNumber(), kUnreadableTimingDropped);
                } else if (IsEntryNumber(line)) {
                    numberLine = source.LineNumber();
                } else {
                    const bool blanks = line.find_first_not_of(" \t") == std::string_view::npos;
                    unconverted.Add(source.LineNumber(), blanks ? kBlanksOutsideEntry : kTextOutsideEntry);
                }
                continue;
            }
            if (arrow) {
                unconverted.Add(source.LineNumber(), kUnreadableTimingKept);
            }
            if (firstLine) {
                writeDialogue();
                source.Hold(line);
                source.MoveHeldInto(dialogueLine, dialoguePrefix);
                firstLine = false;
            } else {
                dialogueLine.append(kLineBreak).append(line);
            }
            dialogueUnwritten = true;
        } else if (!entryWritten) {
            reportEntryWithoutText();
            inEntry = false;
            writeDialogue();
            entryWritten = true;
        }
    }
    if (numberLine != 0) {
        unconverted.Add(numberLine, kNumberWithoutTiming);
    }
    reportEntryWithoutText();
    writeDialogue();
    source.Close();
    target.Close();
}

} // namespace varnuth
