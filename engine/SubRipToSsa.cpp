#include "Contact.h"
#include "Converters.h"
#include "SubRipReader.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <tuple>

namespace varnuth {
namespace {

constexpr std::string_view kTitlePrefix = "! SSA Varnuth by Tavendrel - ";

// Only with sections: renderers such as libass refuse a script without them. The styles' format line names the
// fields of the style line in the order it writes them, which is not the full SSA v4 order.
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

} // namespace

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

namespace {

std::string StyleLine(const StyleSettings& style, const ConversionRequest& request)
{
    return "Style: Default," + style.str_fontname.TextForm() + "," + style.str_fontsize + ","
           + style.primarycolor.TextForm() + "," + style.secondarycolor.TextForm() + ","
           + style.tertiarycolor.TextForm() + ",0," + style.bold.TextForm() + "," + style.italic + ",2,0,"
           + std::string(AlignmentCode(style.txtAlignment)) + "," + request.marginLeft + "," + request.marginRight + ","
           + request.marginBottom;
}

// The header and the style line, with the sections around them when asked for. Players find a script by its first
// line being "[Script Info]", so the title comment follows it there.
void WriteScriptStart(LineWriter& target, std::string_view styleLine, bool sections)
{
    if (sections) {
        target.WriteLine(kScriptInfo);
    }
    target.WriteLine({kTitlePrefix, kContactAddress});
    target.WriteLines(kScriptHeader);
    if (sections) {
        target.WriteLines(kBeforeStyle);
    }
    target.WriteLine(styleLine);
    if (sections) {
        target.WriteLines(kAfterStyle);
    }
}

// Each dialogue line is composed in the target's buffer and committed at the entry's end; a line too long for that
// buffer is held by the source, or joined in a string. Each is written once and never lost.
class SsaDialogues {
public:
    SsaDialogues(LineReader& source, LineWriter& target, SubtitleCounter& counter)
        : source_(source), target_(target), counter_(counter)
    {
    }

    void Start(const SubRipTiming& timing) noexcept { prefix_.SetTimes(timing); }

    void Text(std::string_view text)
    {
        if (pending_ == Pending::None) {
            if (char* const out = target_.Reserve(prefix_.View().size() + text.size())) {
                composed_ = out;
                composedSize_ = static_cast<std::size_t>(Put(prefix_.PutInto(out), text) - out);
                pending_ = Pending::Composed;
            } else {
                source_.Hold(text);
                pending_ = Pending::Held;
            }
            return;
        }
        if (pending_ == Pending::Composed) {
            const std::size_t size = composedSize_ + kLineBreak.size() + text.size();
            if (char* const out = target_.Reserve(size, composedSize_)) {
                Put(Put(out + composedSize_, kLineBreak), text);
                composed_ = out;
                composedSize_ = size;
                return;
            }
            dialogueLine_.assign(composed_, composedSize_);
            pending_ = Pending::Joined;
        } else if (pending_ == Pending::Held) {
            source_.MoveHeldInto(dialogueLine_, prefix_.View());
            pending_ = Pending::Joined;
        }
        dialogueLine_.append(kLineBreak).append(text);
    }

    void End()
    {
        if (pending_ == Pending::Composed) {
            target_.CommitLine(composed_ + composedSize_);
        } else if (pending_ == Pending::Held) {
            target_.WriteLine({prefix_.View(), source_.Held()});
        } else {
            target_.WriteLine(dialogueLine_);
        }
        pending_ = Pending::None;
        counter_.Increment();
    }

private:
    enum class Pending { None, Composed, Held, Joined };

    LineReader& source_;
    LineWriter& target_;
    SubtitleCounter& counter_;
    Pending pending_ = Pending::None;
    DialoguePrefix prefix_;
    char* composed_ = nullptr;
    std::size_t composedSize_ = 0;
    std::string dialogueLine_;
};

} // namespace

void ConvertSubRipToSsa(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                        SubtitleCounter& counter, UnconvertedLines& unconverted)
{
    CopyStyleChoices(request, style);
    WriteScriptStart(target, StyleLine(style, request), request.ssaSections);
    SsaDialogues dialogues(source, target, counter);
    ReadSubRipEntries(source, unconverted, dialogues);
    source.Close();
    target.Close();
}

} // namespace varnuth
