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

constexpr std::string_view kDialogueStart = "Dialogue: Marked=0,";
constexpr std::string_view kDialogueFields = ",Default,TAV,0000,0000,0000,!Effect,";
constexpr std::string_view kLineBreak = "\\N";

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
    constexpr int kTicked = 1;
    style.bold = request.boldValue == kTicked ? "-1" : "0";
    style.italic = request.italicValue == kTicked ? "-1" : "0";
    // Made in this order on purpose: the last selected option wins, and none keeps the old value.
    if (request.alignLeft) {
        style.txtAlignment = "1";
    }
    if (request.alignCentre) {
        style.txtAlignment = "2";
    }
    if (request.alignRight) {
        style.txtAlignment = "3";
    }
}

std::string StyleLine(const StyleSettings& style, const ConversionRequest& request)
{
    return "Style: Default," + style.str_fontname.TextForm() + "," + style.str_fontsize + ","
           + style.primarycolor.TextForm() + "," + style.secondarycolor.TextForm() + ","
           + style.tertiarycolor.TextForm() + ",0," + style.bold.TextForm() + "," + style.italic + ",2,0,"
           + style.txtAlignment + "," + request.marginLeft + "," + request.marginRight + "," + request.marginBottom;
}

} // namespace

void ConvertSubRipToSsa(LineReader& source, LineWriter& target, const ConversionRequest& request,
                        SubtitleCounter& counter)
{
    StyleSettings& style = request.style;
    CopyStyleChoices(request, style);
    target.WriteLine({kTitlePrefix, kContactAddress});
    for (const std::string_view line : kHeader) {
        target.WriteLine(line);
    }
    target.WriteLine(StyleLine(style, request));

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

    while (!source.AtEnd()) {
        const std::string_view line = source.ReadLine();
        if (const std::optional<SubRipTiming> timing = ParseTimingLine(line)) {
            SetDialoguePrefix(dialoguePrefix, *timing);
            inEntry = true;
            firstLine = true;
            entryWritten = false;
        } else if (!line.empty()) {
            if (!inEntry) {
                continue;
            }
            if (firstLine) {
                writeDialogue();
                source.MoveLineInto(dialogueLine, dialoguePrefix);
                firstLine = false;
            } else {
                dialogueLine.append(kLineBreak).append(line);
            }
            dialogueUnwritten = true;
        } else if (!entryWritten) {
            inEntry = false;
            writeDialogue();
            entryWritten = true;
        }
    }
    writeDialogue();
    source.Close();
    target.Close();
}

} // namespace varnuth
