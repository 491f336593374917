// varnuth-convert: the window's conversion, run from a shell or a script.

#include "Console.h"
#include "ConversionBatch.h"
#include "ConversionRun.h"
#include "Formats.h"
#include "SourceEncoding.h"
#include "StyleSettings.h"
#include "TargetFile.h"

#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace varnuth;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsageStart = R"(Usage: varnuth-convert [options] SOURCE TARGET
  or:  varnuth-convert [options] -t DIR SOURCE...
Converts a SubRip file to an SSA or ASS script, or a Sonic listing to a SON or STL script. The
second form converts each SOURCE into DIR, named as the SOURCE with the format's extension
(ep01.srt into DIR/ep01.ssa). A SOURCE or TARGET of - is standard input or output.

  -t, --target-directory DIR        convert every SOURCE into the folder DIR
  -j, --jobs N                      with -t, convert N sources at once (default: the number of
                                    processors this process may use)
)";
constexpr std::string_view kUsageRest = R"(      --font NAME                   font face (default VNI-Helve)
      --size TEXT                   font size (default 18)
      --bold, --italic              bold or italic text
      --align left|centre|right     alignment (default centre; center also accepted)
      --margin-left TEXT, --margin-right TEXT, --margin-bottom TEXT
                                    margins (defaults 10, 10, 14), copied as typed;
                                    for ASS whole numbers from 0 to 9999
      --primary, --secondary, --tertiary COLOUR
                                    a decimal colour value (red + 256 x green + 65536 x blue)
                                    or #RRGGBB (default 16777215)
      --sections                    SSA inside its v4 sections, for libass-based players
      --play-res WxH                the ASS script's frame (default 384x288)
      --encoding NAME               the encoding of a source that is not UTF-8 or UTF-16, for ASS
                                    (an iconv name such as cp1251; default: detected, but not on Windows)
      --strict                      exit 1 if any source line was not converted
  -h, --help                        show this help and exit
      --version                     show the version and exit

Prints "N rows finished!!!" and exits 0 on success (for STL, then "M subtitles written" where
that differs; on standard error when the target is standard output); prints the failure and
exits 1 otherwise (the target is then as it was before). Each source line not converted is
named on standard error. With -t, each SOURCE converted prints "SOURCE: N rows finished!!!", in
the order given; a failure is printed as "varnuth-convert: SOURCE: why", a line not converted as
"SOURCE:N: why", the other sources are still converted, and the exit status is 1 if any failed.
Usage errors, empty names and text values holding a line break, an empty font or size exit 2,
and so do a DIR that is not a folder, two sources that would write one target and a source that
is another's target.
)";

// The formats' words come from their table, so that a new format is listed here without a word written twice.
std::string Usage()
{
    constexpr std::size_t kDescriptionColumn = 36;
    std::string formatLine = "  -f, --format " + CommandWords("|");
    formatLine.resize(std::max(kDescriptionColumn, formatLine.size() + 1), ' ');
    return std::string(kUsageStart) + formatLine + "output format (default " + std::string(kFormats[0].commandWord)
           + ")\n" + std::string(kUsageRest);
}

enum Option : int {
    kFont = 256,
    kSize,
    kBold,
    kItalic,
    kAlign,
    kMarginLeft,
    kMarginRight,
    kMarginBottom,
    kPrimary,
    kSecondary,
    kTertiary,
    kSections,
    kPlayRes,
    kEncoding,
    kStrict,
    kVersion,
};

constexpr const char* kShortOptions = ":f:ht:j:";
constexpr std::string_view kOptionLetters = "fhtj";

constexpr option kLongOptions[] = {
    {"target-directory", required_argument, nullptr, 't'},
    {"jobs", required_argument, nullptr, 'j'},
    {"format", required_argument, nullptr, 'f'},
    {"font", required_argument, nullptr, kFont},
    {"size", required_argument, nullptr, kSize},
    {"bold", no_argument, nullptr, kBold},
    {"italic", no_argument, nullptr, kItalic},
    {"align", required_argument, nullptr, kAlign},
    {"margin-left", required_argument, nullptr, kMarginLeft},
    {"margin-right", required_argument, nullptr, kMarginRight},
    {"margin-bottom", required_argument, nullptr, kMarginBottom},
    {"primary", required_argument, nullptr, kPrimary},
    {"secondary", required_argument, nullptr, kSecondary},
    {"tertiary", required_argument, nullptr, kTertiary},
    {"sections", no_argument, nullptr, kSections},
    {"play-res", required_argument, nullptr, kPlayRes},
    {"encoding", required_argument, nullptr, kEncoding},
    {"strict", no_argument, nullptr, kStrict},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

struct UsageError {
    std::string message;
};

// Either the packed decimal value the colour dialog reports, or #RRGGBB as on the web.
std::optional<std::int32_t> ParseColour(std::string_view text)
{
    constexpr std::int32_t kWhiteValue = 0xFFFFFF;
    constexpr std::size_t kHexDigits = 6;
    std::int32_t value = 0;
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
        std::uint32_t rgb = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
        if (text.size() != kHexDigits || error != std::errc() || end != text.data() + text.size()) {
            return std::nullopt;
        }
        const std::uint32_t red = rgb >> 16U;
        const std::uint32_t green = (rgb >> 8U) & 0xFFU;
        const std::uint32_t blue = rgb & 0xFFU;
        return static_cast<std::int32_t>(red | (green << 8U) | (blue << 16U));
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 || value > kWhiteValue) {
        return std::nullopt;
    }
    return value;
}

void SetAlignment(std::string_view text, ConversionRequest& request)
{
    request.alignLeft = text == "left";
    request.alignCentre = text == "centre" || text == "center";
    request.alignRight = text == "right";
    if (!request.alignLeft && !request.alignCentre && !request.alignRight) {
        throw UsageError{"unknown alignment '" + std::string(text) + "'"};
    }
}

// A line break would end the style line early and start a line of the user's making in the script.
std::string TextOption(std::string_view name, const char* text, bool mayBeEmpty)
{
    const std::string_view value(text);
    if (value.find_first_of("\r\n") != std::string_view::npos) {
        throw UsageError{"--" + std::string(name) + " must not hold a line break"};
    }
    if (value.empty() && !mayBeEmpty) {
        throw UsageError{"--" + std::string(name) + " must not be empty"};
    }
    return std::string(value);
}

// The option a getopt failure is about: for a grouped short option the letter, not the whole argument.
std::string FailedOption(char** argv)
{
    if (optopt > 0 && optopt <= UCHAR_MAX && kOptionLetters.find(static_cast<char>(optopt)) == std::string_view::npos) {
        return {'-', static_cast<char>(optopt)};
    }
    return argv[optind - 1];
}

// WxH, each a whole number from 1 to 65535.
void SetPlayRes(std::string_view text, ConversionRequest& request)
{
    constexpr int kLargest = 65535;
    const auto number = [](std::string_view digits) {
        int value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return !digits.empty() && digits.front() != '-' && error == std::errc() && end == digits.data() + digits.size()
                       && value >= 1 && value <= kLargest
                   ? value
                   : 0;
    };
    const std::size_t cross = text.find('x');
    const int width = number(text.substr(0, cross));
    const int height = cross == std::string_view::npos ? 0 : number(text.substr(cross + 1));
    if (width == 0 || height == 0) {
        throw UsageError{"invalid --play-res '" + std::string(text) + "': WxH, each from 1 to 65535"};
    }
    request.playResX = width;
    request.playResY = height;
}

SettingValue ColourOption(std::string_view name, const char* text)
{
    const std::optional<std::int32_t> colour = ParseColour(text);
    if (!colour) {
        throw UsageError{"invalid colour for --" + std::string(name) + ": '" + text + "'"};
    }
    return *colour;
}

enum class Action { Convert, ConvertBatch, Help, Version };

struct Options {
    bool strict = false;
    std::optional<std::string> targetDirectory;
    std::optional<unsigned> jobs;
    std::vector<std::string> sources;
};

unsigned JobsOption(std::string_view text)
{
    constexpr auto kMostJobs = static_cast<unsigned>(kMostTargetsInFlight);
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || jobs == 0 || jobs > kMostJobs) {
        throw UsageError{"invalid number of jobs '" + std::string(text) + "': a whole number from 1 to "
                         + std::to_string(kMostJobs)};
    }
    return jobs;
}

// The command's "-" is a standard stream, as for cat and sed; "./-" names a file.
void TakeOperands(std::string source, std::string target, ConversionRequest& request)
{
    if (source.empty() || target.empty()) {
        throw UsageError{"SOURCE and TARGET must not be empty"};
    }
    request.sourceOpening = source == "-" ? Opening::StandardStream : Opening::ByName;
    request.targetOpening = target == "-" ? Opening::StandardStream : Opening::ByName;
    request.sourceName = std::move(source);
    request.targetName = std::move(target);
}

Action TakeSources(int argc, char** argv, Options& options)
{
    if (optind == argc) {
        throw UsageError{"SOURCE is needed after -t DIR"};
    }
    if (options.targetDirectory->empty()) {
        throw UsageError{"the target folder must not be empty"};
    }
    for (int i = optind; i < argc; ++i) {
        const std::string_view source(argv[i]);
        if (source.empty()) {
            throw UsageError{"SOURCE must not be empty"};
        }
        if (source == "-") {
            throw UsageError{"standard input (-) has no name to give its target in DIR; convert it without -t"};
        }
        options.sources.emplace_back(source);
    }
    return Action::ConvertBatch;
}

Action ParseArguments(int argc, char** argv, ConversionRequest& request, StyleSettings& style, Options& options)
{
    opterr = 0;
    bool playRes = false;
    int code = 0;
    while ((code = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr)) != -1) {
        switch (code) {
        case 't':
            if (options.targetDirectory) {
                throw UsageError{"only one target folder may be given"};
            }
            options.targetDirectory = optarg;
            break;
        case 'j': options.jobs = JobsOption(optarg); break;
        case 'f': {
            const FormatEntry* format = FindFormat(optarg);
            if (format == nullptr) {
                throw UsageError{"unknown format '" + std::string(optarg) + "'"};
            }
            request.format = format->format;
            break;
        }
        case kFont: style.str_fontname = TextOption("font", optarg, false); break;
        case kSize: style.str_fontsize = TextOption("size", optarg, false); break;
        case kBold: request.boldValue = CheckState::Checked; break;
        case kItalic: request.italicValue = CheckState::Checked; break;
        case kAlign: SetAlignment(optarg, request); break;
        case kMarginLeft: request.marginLeft = TextOption("margin-left", optarg, true); break;
        case kMarginRight: request.marginRight = TextOption("margin-right", optarg, true); break;
        case kMarginBottom: request.marginBottom = TextOption("margin-bottom", optarg, true); break;
        case kPrimary: style.primarycolor = ColourOption("primary", optarg); break;
        case kSecondary: style.secondarycolor = ColourOption("secondary", optarg); break;
        case kTertiary: style.tertiarycolor = ColourOption("tertiary", optarg); break;
        case kSections: request.ssaSections = true; break;
        case kPlayRes: SetPlayRes(optarg, request); playRes = true; break;
        case kEncoding: request.sourceEncoding = optarg; break;
        case kStrict: options.strict = true; break;
        case 'h': return Action::Help;
        case kVersion: return Action::Version;
        case ':': throw UsageError{"option '" + FailedOption(argv) + "' needs a value"};
        default: throw UsageError{"unknown option '" + FailedOption(argv) + "'"};
        }
    }
    if (request.ssaSections && request.format != OutputFormat::SSA) {
        throw UsageError{"--sections is for the SSA format only"};
    }
    if (playRes && request.format != OutputFormat::ASS) {
        throw UsageError{"--play-res is for the ASS format only"};
    }
    if (!request.sourceEncoding.empty() && !FormatOf(request.format).utf8Text) {
        throw UsageError{"--encoding is for the ASS format only"};
    }
    if (!request.sourceEncoding.empty() && !IsKnownEncoding(request.sourceEncoding)) {
        throw UsageError{"unknown encoding '" + request.sourceEncoding + "'"};
    }
    if (const std::optional<std::string> problem = StyleValuesProblem(request)) {
        throw UsageError{*problem};
    }
    if (options.targetDirectory) {
        return TakeSources(argc, argv, options);
    }
    if (options.jobs) {
        throw UsageError{"-j, --jobs is for -t DIR only"};
    }
    constexpr int kOperands = 2;
    if (argc - optind != kOperands) {
        throw UsageError{argc - optind < kOperands ? "SOURCE and TARGET are both needed" : "too many operands"};
    }
    TakeOperands(argv[optind], argv[optind + 1], request);
    return Action::Convert;
}

// The length of the valid UTF-8 character at the start of \p text, or 0.
std::size_t Utf8Length(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC2 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 0;
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0U) != 0x80U) {
            return 0;
        }
    }
    return length;
}

// Names come from the user and reach the terminal: no control character gets there as itself, neither a C0 or
// DEL byte nor a C1 one (U+0080 to U+009F, or a raw byte 0x80 to 0x9F outside any UTF-8 character), which a
// terminal takes for the start of a command.
std::string Printable(std::string_view text)
{
    constexpr unsigned char kFirstPrintable = 32;
    constexpr unsigned char kDelete = 127;
    constexpr unsigned char kC1Lead = 0xC2;
    constexpr unsigned char kLastC1 = 0x9F;
    std::string shown;
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        const std::size_t length = Utf8Length(text);
        const bool c1 = length == 2 && byte == kC1Lead && static_cast<unsigned char>(text[1]) <= kLastC1;
        const bool control = length == 0 ? byte <= kLastC1 : byte < kFirstPrintable || byte == kDelete || c1;
        const std::size_t taken = std::max<std::size_t>(length, 1);
        for (const char c : text.substr(0, taken)) {
            if (control) {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\%03o", static_cast<unsigned char>(c));
                shown += escaped;
            } else {
                shown += c;
            }
        }
        text.remove_prefix(taken);
    }
    return shown;
}

int ReportFailure(std::string_view message)
{
    std::cerr << "varnuth-convert: " << Printable(message) << '\n';
    return kExitFailure;
}

int ReportUsageError(std::string_view message)
{
    std::cerr << "varnuth-convert: " << Printable(message) << "\n"
              << "Usage: varnuth-convert [options] SOURCE TARGET, or -t DIR SOURCE... (see --help)\n";
    return kExitUsage;
}

// Like the GNU tools: output that did not arrive is a failure, also for --help and --version.
int PrintResult(std::string_view text)
{
    std::cout << text << std::flush;
    if (!std::cout) {
        return ReportFailure(std::string("write error on standard output: ") + std::strerror(errno));
    }
    return 0;
}

// After a run that finished: the lines it did not convert, on standard error, so the counts alone stay on standard
// output. Each line is \p linePrefix, its number and why; the note on the rest starts with \p morePrefix.
void ReportUnconverted(const UnconvertedLines& unconverted, std::string_view linePrefix, std::string_view morePrefix)
{
    for (const UnconvertedLine& line : unconverted.first) {
        std::cerr << linePrefix << line.number << ": " << line.reason << '\n';
    }
    const long more = unconverted.total - static_cast<long>(unconverted.first.size());
    if (more > 0) {
        std::cerr << morePrefix << "... and " << more << " more\n";
    }
}

constexpr std::string_view kClearLine = "\r\033[K";

/// What a batch prints, source by source in the order given, and its progress line while standard error is a
/// terminal; the batch calls it one source at a time.
class BatchReport {
public:
    BatchReport(const std::vector<ConversionRequest>& requests, bool strict)
        : requests_(requests), strict_(strict), columns_(StandardErrorColumns())
    {
    }
    BatchReport(const BatchReport&) = delete;
    BatchReport& operator=(const BatchReport&) = delete;

    void Started(std::size_t index)
    {
        inWork_ = index;
        ShowProgress();
    }

    void Finished(std::size_t index, const RunOutcome& outcome)
    {
        ClearProgress();
        const std::string source = Printable(requests_[index].sourceName);
        if (outcome.sourceLooksLikeUtf16) {
            std::cerr << "varnuth-convert: " << source << ": " << kLooksLikeUtf16 << '\n';
        }
        if (outcome.succeeded()) {
            std::cout << source << ": " << CountLine(outcome) << '\n' << std::flush;
        } else {
            std::cerr << "varnuth-convert: " << source << ": " << Printable(outcome.error->description()) << '\n';
        }
        if (!outcome.decodedFrom.empty()) {
            std::cerr << "varnuth-convert: " << source << ": " << DecodedFromNote(outcome.decodedFrom) << '\n';
        }
        ReportUnconverted(outcome.unconverted, source + ":", "varnuth-convert: " + source + ": ");
        failed_ = failed_ || !outcome.succeeded() || (strict_ && outcome.unconverted.total > 0);
        ++done_;
        ShowProgress();
    }

    /// The exit status of the whole batch.
    int End()
    {
        ClearProgress();
        if (!std::cout) {
            return ReportFailure(std::string("write error on standard output: ") + std::strerror(errno));
        }
        return failed_ ? kExitFailure : 0;
    }

private:
    void ShowProgress()
    {
        if (columns_ == 0 || done_ == requests_.size()) {
            return;
        }
        std::string line = "varnuth-convert: " + std::to_string(done_) + " of " + std::to_string(requests_.size())
                           + " done, converting " + Printable(requests_[inWork_].sourceName);
        // One line less than the terminal's width, or the next redraw would start a line below; never half of a
        // UTF-8 character.
        if (line.size() >= columns_) {
            std::size_t cut = columns_ - 1;
            while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0U) == 0x80U) {
                --cut;
            }
            line.resize(cut);
        }
        std::cerr << kClearLine << line << std::flush;
        shown_ = true;
    }

    void ClearProgress()
    {
        if (shown_) {
            std::cerr << kClearLine << std::flush;
            shown_ = false;
        }
    }

    const std::vector<ConversionRequest>& requests_;
    bool strict_;
    std::size_t columns_;
    bool shown_ = false;
    bool failed_ = false;
    std::size_t done_ = 0;
    std::size_t inWork_ = 0;
};

int ConvertOne(const ConversionRequest& request, StyleSettings& style, const Options& options)
{
    // The count must not mix into a script written to standard output, whether as "-" or as another name of it.
    const bool messageToStandardError =
        request.targetOpening == Opening::StandardStream || IsStandardOutput(request.targetName);
    const RunOutcome outcome = PerformConversion(request, style);
    if (outcome.sourceLooksLikeUtf16) {
        std::cerr << "varnuth-convert: " << kLooksLikeUtf16 << '\n';
    }
    if (!outcome.succeeded()) {
        return ReportFailure(outcome.error->description());
    }
    const std::string message = CountMessage(outcome) + '\n';
    int printed = 0;
    if (messageToStandardError) {
        std::cerr << message;
    } else {
        printed = PrintResult(message);
    }
    if (!outcome.decodedFrom.empty()) {
        std::cerr << "varnuth-convert: " << DecodedFromNote(outcome.decodedFrom) << '\n';
    }
    ReportUnconverted(outcome.unconverted, "varnuth-convert: line ", "varnuth-convert: ");
    return printed == 0 && options.strict && outcome.unconverted.total > 0 ? kExitFailure : printed;
}

// Every refusal comes before the first target is written.
int ConvertBatch(const ConversionRequest& model, StyleSettings& style, const Options& options)
{
    std::vector<ConversionRequest> requests;
    try {
        requests = PlanBatch(options.sources, *options.targetDirectory, model);
    } catch (const RunError& error) {
        return ReportUsageError(error.description());
    }
    KeepFreedMemory();
    BatchReport report(requests, options.strict);
    BatchControl control;
    control.jobs = options.jobs.value_or(UsableProcessors());
    control.started = [&report](std::size_t index) { report.Started(index); };
    control.finished = [&report](std::size_t index, const RunOutcome& outcome) { report.Finished(index, outcome); };
    static_cast<void>(PerformBatch(requests, style, control));
    return report.End();
}

} // namespace

int main(int argc, char** argv)
{
    InstallInterruptCleanup();
    PrepareStandardStreams();
    std::vector<std::string> arguments = CommandArguments(argc, argv);
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    StyleSettings style;
    style.SetDefaults();
    ConversionRequest request;
    request.alignCentre = true;
    request.marginLeft = kDefaultMarginLeft;
    request.marginRight = kDefaultMarginRight;
    request.marginBottom = kDefaultMarginBottom;
    Options options;
    Action action = Action::Convert;
    try {
        action = ParseArguments(static_cast<int>(arguments.size()), pointers.data(), request, style, options);
    } catch (const UsageError& error) {
        return ReportUsageError(error.message);
    }
    switch (action) {
    case Action::Help: return PrintResult(Usage());
    case Action::Version: return PrintResult("varnuth-convert " VARNUTH_VERSION "\n");
    case Action::ConvertBatch: EndBatchOnInterrupt(); return ConvertBatch(request, style, options);
    case Action::Convert: break;
    }
    return ConvertOne(request, style, options);
}
