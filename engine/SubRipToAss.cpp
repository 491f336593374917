#include "Contact.h"
#include "Converters.h"
#include "SubRipReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

namespace varnuth {
namespace {

constexpr std::string_view kTitlePrefix = "; ASS Varnuth by Tavendrel - ";
constexpr std::string_view kStyleFormat =
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
    "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, "
    "MarginV, Encoding";
constexpr std::string_view kAfterPlayRes[] = {"WrapStyle: 0", "ScaledBorderAndShadow: yes", "", "[V4+ Styles]",
                                              kStyleFormat};
constexpr std::string_view kEvents[] = {
    "",
    "[Events]",
    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
};
constexpr std::string_view kDialogueStart = "Dialogue: 0,";
constexpr std::string_view kDialogueFields = ",Default,,0,0,0,,";
constexpr std::string_view kLineBreak = "\\N";

constexpr std::uint32_t kWhiteValue = 0xFFFFFF;

// &H00BBGGRR: the colour value's own hex digits, since it holds red in its low byte.
std::string AssColour(std::uint32_t value)
{
    constexpr int kDigits = 6;
    constexpr int kHex = 16;
    std::string digits(kDigits, '0');
    for (int i = kDigits - 1; i >= 0; --i, value /= kHex) {
        digits[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[value % kHex];
    }
    return digits;
}

std::string AssColour(const SettingValue& setting)
{
    const std::string text = setting.TextForm();
    std::uint32_t value = kWhiteValue;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return "&H00" + AssColour(value & kWhiteValue);
}

// The locale's decimal comma would split the style line.
std::string AssFontSize(std::string size)
{
    std::replace(size.begin(), size.end(), ',', '.');
    return size;
}

// The run has refused a margin that is not one before it started (StyleValuesProblem).
std::string AssMarginText(std::string_view text)
{
    return std::to_string(AssMargin(text).value_or(0));
}

std::string StyleLine(const StyleSettings& style, const ConversionRequest& request)
{
    return "Style: Default," + style.str_fontname.TextForm() + "," + AssFontSize(style.str_fontsize) + ","
           + AssColour(style.primarycolor) + "," + AssColour(style.secondarycolor) + ","
           + AssColour(style.tertiarycolor) + ",&H00000000," + style.bold.TextForm() + "," + style.italic
           + ",0,0,100,100,0,0,1,2,0," + std::string(AlignmentCode(style.txtAlignment)) + ","
           + AssMarginText(request.marginLeft) + "," + AssMarginText(request.marginRight) + ","
           + AssMarginText(request.marginBottom) + ",1";
}

// The true hours, without leading zeros, then the clock as the SSA cuts it.
void AppendTime(std::string& out, std::string_view hours, const SsaTime& time)
{
    const std::size_t first = std::min(hours.find_first_not_of('0'), hours.size() - 1);
    out.append(hours.substr(first)).append(time.begin() + 1, time.end());
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower)
{
    return text.size() == lower.size() && std::equal(text.begin(), text.end(), lower.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::optional<std::uint32_t> HtmlColour(std::string_view value)
{
    struct Named {
        std::string_view name;
        std::uint32_t rgb;
    };
    static constexpr Named kNames[] = {
        {"black", 0x000000},  {"white", 0xFFFFFF},  {"red", 0xFF0000},     {"lime", 0x00FF00},   {"blue", 0x0000FF},
        {"yellow", 0xFFFF00}, {"cyan", 0x00FFFF},   {"aqua", 0x00FFFF},    {"magenta", 0xFF00FF}, {"fuchsia", 0xFF00FF},
        {"silver", 0xC0C0C0}, {"gray", 0x808080},   {"grey", 0x808080},    {"maroon", 0x800000}, {"olive", 0x808000},
        {"green", 0x008000},  {"purple", 0x800080}, {"teal", 0x008080},    {"navy", 0x000080},   {"orange", 0xFFA500},
        {"brown", 0xA52A2A},  {"pink", 0xFFC0CB},   {"gold", 0xFFD700},    {"violet", 0xEE82EE},
    };
    for (const Named& named : kNames) {
        if (EqualsIgnoringCase(value, named.name)) {
            return named.rgb;
        }
    }
    constexpr std::size_t kHexDigits = 6;
    if (value.starts_with('#')) {
        value.remove_prefix(1);
    }
    std::uint32_t rgb = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), rgb, 16);
    if (value.size() != kHexDigits || error != std::errc() || end != value.data() + value.size()) {
        return std::nullopt;
    }
    return rgb;
}

// SubRip's HTML-like tags become override blocks; a tag it cannot read whole stays as text, so nothing is lost.
class TagTranslator {
public:
    void Reset() noexcept { depth_ = 0; }

    void Append(std::string& out, std::string_view text)
    {
        while (!text.empty()) {
            const std::size_t special = text.find_first_of("<{");
            out.append(text.substr(0, special));
            if (special == std::string_view::npos) {
                return;
            }
            text.remove_prefix(special);
            // An override block already in the text is kept whole, a '<' inside it too.
            const std::size_t close = text.find(text.front() == '{' ? '}' : '>');
            if (close == std::string_view::npos) {
                out.append(text);
                return;
            }
            const std::string_view whole = text.substr(0, close + 1);
            if (whole.front() == '{' || !Translate(out, whole.substr(1, whole.size() - 2))) {
                out.append(whole);
            }
            text.remove_prefix(whole.size());
        }
    }

private:
    enum : std::uint8_t { kColour = 1, kFace = 2, kSize = 4 };

    bool Translate(std::string& out, std::string_view tag)
    {
        static constexpr std::string_view kSimple[] = {"i", "b", "u", "s"};
        const bool closing = tag.starts_with('/');
        const std::string_view name = closing ? tag.substr(1) : tag;
        for (const std::string_view simple : kSimple) {
            if (EqualsIgnoringCase(name, simple)) {
                out.append("{\\").append(simple).append(closing ? "0}" : "1}");
                return true;
            }
        }
        if (closing && EqualsIgnoringCase(name, "font")) {
            return CloseFont(out);
        }
        constexpr std::string_view kFont = "font";
        return !closing && tag.size() > kFont.size() && EqualsIgnoringCase(tag.substr(0, kFont.size()), kFont)
               && IsBlank(tag[kFont.size()]) && OpenFont(out, tag.substr(kFont.size()));
    }

    // Every attribute must be read, or the tag stays text.
    bool OpenFont(std::string& out, std::string_view attributes)
    {
        std::string block = "{";
        std::uint8_t set = 0;
        while (true) {
            while (!attributes.empty() && IsBlank(attributes.front())) {
                attributes.remove_prefix(1);
            }
            if (attributes.empty()) {
                break;
            }
            const std::size_t equals = attributes.find('=');
            if (equals == std::string_view::npos) {
                return false;
            }
            std::string_view name = attributes.substr(0, equals);
            name = name.substr(0, name.find_last_not_of(" \t") + 1);
            attributes.remove_prefix(equals + 1);
            while (!attributes.empty() && IsBlank(attributes.front())) {
                attributes.remove_prefix(1);
            }
            std::string_view value;
            if (!attributes.empty() && (attributes.front() == '"' || attributes.front() == '\'')) {
                const std::size_t end = attributes.find(attributes.front(), 1);
                if (end == std::string_view::npos) {
                    return false;
                }
                value = attributes.substr(1, end - 1);
                attributes.remove_prefix(end + 1);
            } else {
                value = attributes.substr(0, attributes.find_first_of(" \t"));
                attributes.remove_prefix(value.size());
            }
            if (!AddAttribute(block, set, name, value)) {
                return false;
            }
        }
        if (set == 0) {
            return false;
        }
        if (depth_ < opened_.size()) {
            opened_[depth_] = set;
        }
        ++depth_;
        out.append(block).append("}");
        return true;
    }

    static bool AddAttribute(std::string& block, std::uint8_t& set, std::string_view name, std::string_view value)
    {
        if (EqualsIgnoringCase(name, "color")) {
            const std::optional<std::uint32_t> rgb = HtmlColour(value);
            if (!rgb) {
                return false;
            }
            constexpr unsigned kByte = 8;
            constexpr std::uint32_t kLow = 0xFF;
            const std::uint32_t bgr =
                ((*rgb >> (2 * kByte)) & kLow) | (*rgb & (kLow << kByte)) | ((*rgb & kLow) << (2 * kByte));
            block.append("\\c&H").append(AssColour(bgr)).append("&");
            set |= kColour;
            return true;
        }
        // A face or size that could end the block or start another override is no value of theirs.
        const bool plain = !value.empty() && value.find_first_of("{}\\") == std::string_view::npos;
        if (EqualsIgnoringCase(name, "face") && plain) {
            block.append("\\fn").append(value);
            set |= kFace;
            return true;
        }
        if (EqualsIgnoringCase(name, "size") && plain
            && value.find_first_not_of("0123456789.") == std::string_view::npos) {
            block.append("\\fs").append(value);
            set |= kSize;
            return true;
        }
        return false;
    }

    // Back to the style's colour, face and size, for what the closed tag set; a </font> that closes no tag read
    // here stays text, as its opening tag did.
    bool CloseFont(std::string& out)
    {
        if (depth_ == 0) {
            return false;
        }
        --depth_;
        const std::uint8_t set = depth_ < opened_.size() ? opened_[depth_] : kColour | kFace | kSize;
        out.append("{");
        if ((set & kColour) != 0) {
            out.append("\\c");
        }
        if ((set & kFace) != 0) {
            out.append("\\fn");
        }
        if ((set & kSize) != 0) {
            out.append("\\fs");
        }
        out.append("}");
        return true;
    }

    static constexpr std::size_t kDepthKept = 16;
    std::array<std::uint8_t, kDepthKept> opened_{};
    std::size_t depth_ = 0;
};

class AssDialogues {
public:
    AssDialogues(LineWriter& target, SubtitleCounter& counter) : target_(target), counter_(counter) {}

    void Start(const SubRipTiming& timing)
    {
        prefix_.assign(kDialogueStart);
        AppendTime(prefix_, timing.startHours, timing.start);
        prefix_.append(",");
        AppendTime(prefix_, timing.endHours, timing.end);
        prefix_.append(kDialogueFields);
    }

    void Text(std::string_view text)
    {
        if (line_.empty()) {
            line_.assign(prefix_);
            tags_.Reset();
        } else {
            line_.append(kLineBreak);
        }
        tags_.Append(line_, text);
    }

    void End()
    {
        target_.WriteLine(line_);
        line_.clear();
        counter_.Increment();
    }

private:
    LineWriter& target_;
    SubtitleCounter& counter_;
    std::string prefix_;
    std::string line_;
    TagTranslator tags_;
};

} // namespace

std::optional<int> AssMargin(std::string_view text)
{
    constexpr int kLargest = 9999;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() == '-' || error != std::errc() || end != text.data() + text.size()
        || value > kLargest) {
        return std::nullopt;
    }
    return value;
}

void ConvertSubRipToAss(LineReader& source, LineWriter& target, const ConversionRequest& request, StyleSettings& style,
                        SubtitleCounter& counter, UnconvertedLines& unconverted)
{
    CopyStyleChoices(request, style);
    target.WriteLine(kScriptInfo);
    target.WriteLine({kTitlePrefix, kContactAddress});
    target.WriteLines(kScriptHeader);
    target.WriteLine("ScriptType: v4.00+");
    target.WriteLine("PlayResX: " + std::to_string(request.playResX));
    target.WriteLine("PlayResY: " + std::to_string(request.playResY));
    target.WriteLines(kAfterPlayRes);
    target.WriteLine(StyleLine(style, request));
    target.WriteLines(kEvents);
    AssDialogues dialogues(target, counter);
    ReadSubRipEntries(source, unconverted, dialogues);
    source.Close();
    target.Close();
}

} // namespace varnuth
