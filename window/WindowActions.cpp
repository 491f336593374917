#include "WindowActions.h"

#include "ConversionBatch.h"
#include "Formats.h"
#include "SystemFiles.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>

namespace varnuth {

namespace {

constexpr int kProgressSteps = 1000;

// The folder a full name is in: its root or drive keeps its separator, a name without one is in the current folder.
std::string FolderOf(const std::string& name)
{
    std::string folder = name.substr(0, name.size() - BaseName(name).size());
    if (folder.size() > 1 && folder.back() != ':' && folder[folder.size() - 2] != ':') {
        folder.pop_back();
    }
    return folder.empty() ? "." : folder;
}

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Only quoted names with blanks between them, none of them empty.
bool IsQuotedList(const std::string& text)
{
    bool inName = false;
    bool sawName = false;
    std::size_t nameLength = 0;
    for (const char c : text) {
        if (c == '"') {
            if (inName && nameLength == 0) {
                return false;
            }
            inName = !inName;
            sawName = true;
            nameLength = 0;
        } else if (inName) {
            ++nameLength;
        } else if (!IsBlank(c)) {
            return false;
        }
    }
    return sawName && !inName;
}

} // namespace

std::vector<std::string> SourceNamesIn(const std::string& boxText)
{
    if (!IsQuotedList(boxText)) {
        return boxText.empty() ? std::vector<std::string>{} : std::vector{boxText};
    }
    std::vector<std::string> names;
    std::size_t open = boxText.find('"');
    while (open != std::string::npos) {
        const std::size_t close = boxText.find('"', open + 1);
        names.push_back(boxText.substr(open + 1, close - open - 1));
        open = boxText.find('"', close + 1);
    }
    return names;
}

std::string SourceBoxText(const std::vector<std::string>& fullNames)
{
    if (fullNames.size() == 1) {
        return fullNames.front();
    }
    std::string text;
    for (const std::string& name : fullNames) {
        text += (text.empty() ? "\"" : " \"") + name + '"';
    }
    return text;
}

/// The conversions of one Convert, one after another on their own thread. They work on a copy of the style
/// settings, so the window may go on changing its own while the runs read them.
struct WindowActions::Run {
    explicit Run(StyleSettings windowStyle) : style(std::move(windowStyle)) {}

    StyleSettings style;
    std::vector<ConversionRequest> requests;
    std::vector<std::uint64_t> sourceSizes; // 0 where unknown
    std::atomic<bool> cancel = false;
    std::atomic<std::size_t> inWork = 0;
    std::atomic<std::uint64_t> bytesRead = 0;
    std::vector<RunOutcome> outcomes;
    std::thread worker;
};

WindowActions::WindowActions(WindowView& view, std::unique_ptr<DialogHost> dialogs, ShowMessage showMessage,
                             std::function<void()> runFinished, RunProgressHook onRunProgress)
    : view_(view), dialogs_(std::move(dialogs)), showMessage_(std::move(showMessage)),
      runFinished_(std::move(runFinished)), onRunProgress_(std::move(onRunProgress))
{
}

WindowActions::~WindowActions()
{
    if (run_) {
        run_->cancel = true;
        run_->worker.join();
    }
}

void WindowActions::Load()
{
    style_.SetDefaults();
    ShowFontSettings();
    view_.SelectAlignment(kAlignCentre);
}

void WindowActions::ShowFontSettings()
{
    view_.SetText(Box::FontName, style_.str_fontname.TextForm());
    view_.SetText(Box::FontSize, style_.str_fontsize);
}

void WindowActions::TakeSources(const std::vector<std::string>& fullNames)
{
    if (!fullNames.empty()) {
        view_.SetText(Box::Source, SourceBoxText(fullNames));
    }
}

void WindowActions::TakeDroppedTargets(const std::vector<std::string>& fullNames)
{
    if (fullNames.size() == 1) {
        view_.SetText(Box::Target, fullNames.front());
    } else {
        TakeSources(fullNames);
    }
}

void WindowActions::ChooseSource()
{
    dialogs_.Filter = kSourceFilter;
    if (dialogs_.ShowOpen() && !dialogs_.FileNames.empty()) {
        TakeSources(dialogs_.FileNames);
    }
}

// Several sources go into a folder, which starts where they are when none is named yet.
void WindowActions::ChooseTargetFolder()
{
    const std::string target = view_.Text(Box::Target);
    dialogs_.InitDir = target.empty() ? FolderOf(SourceNamesIn(view_.Text(Box::Source)).front()) : target;
    if (dialogs_.ShowFolder()) {
        view_.SetText(Box::Target, dialogs_.InitDir);
    }
}

void WindowActions::ChooseTarget()
{
    if (SourceNamesIn(view_.Text(Box::Source)).size() > 1) {
        ChooseTargetFolder();
        return;
    }
    dialogs_.Flags = CommonDialog::kOverwritePrompt;
    dialogs_.Filter = TargetFilter();
    if (dialogs_.ShowSave() && !dialogs_.FileName.empty()) {
        view_.SetText(Box::Target, dialogs_.FileName);
        confirmedTarget_ = dialogs_.FileName;
    }
}

// A confirmed font only ever ticks Bold and Italic: the run takes both from the boxes.
void WindowActions::ChooseFont()
{
    dialogs_.Flags = CommonDialog::kScreenFonts;
    dialogs_.FontName = kDefaultFontName;
    if (!dialogs_.ShowFont() || dialogs_.FontName.empty()) {
        return;
    }
    style_.str_fontname = dialogs_.FontName;
    style_.str_fontsize = FontSizeText(dialogs_.FontSize);
    if (dialogs_.FontBold) {
        view_.Tick(StyleCheck::Bold);
    }
    if (dialogs_.FontItalic) {
        view_.Tick(StyleCheck::Italic);
    }
    ShowFontSettings();
}

void WindowActions::ChooseColour(ColourRow row)
{
    if (!dialogs_.ShowColor()) {
        return;
    }
    SettingValue StyleSettings::*const settings[] = {&StyleSettings::primarycolor, &StyleSettings::secondarycolor,
                                                     &StyleSettings::tertiarycolor};
    style_.*settings[static_cast<std::size_t>(row)] = dialogs_.Color;
    view_.FillSwatch(row, dialogs_.Color);
}

// Disabling keeps every value inside the frames; only the user's access goes.
void WindowActions::ApplyFormat(int optionIndex)
{
    const FormatEntry* row = FindFormatByOption(optionIndex);
    view_.EnableStyleFrames(row != nullptr && row->usesStyle);
}

ConversionRequest WindowActions::GatherRequest() const
{
    ConversionRequest request;
    const std::vector<std::string> sources = SourceNamesIn(view_.Text(Box::Source));
    // One name in quotes is that name; otherwise the box's own bytes stand.
    request.sourceName = sources.size() == 1 ? sources.front() : view_.Text(Box::Source);
    request.targetName = view_.Text(Box::Target);
    // STL also when no format is selected.
    const FormatEntry* format = FindFormatByOption(view_.FormatOption());
    request.format = format != nullptr ? format->format : OutputFormat::STL;
    request.boldValue = view_.Check(StyleCheck::Bold);
    request.italicValue = view_.Check(StyleCheck::Italic);
    const int alignment = view_.Alignment();
    request.alignLeft = alignment == kAlignLeft;
    request.alignCentre = alignment == kAlignCentre;
    request.alignRight = alignment == kAlignRight;
    request.marginLeft = view_.Text(Box::MarginLeft);
    request.marginRight = view_.Text(Box::MarginRight);
    request.marginBottom = view_.Text(Box::MarginBottom);
    return request;
}

// Several sources go into the target folder, each under its own name; nothing starts if any of them cannot.
std::optional<std::vector<ConversionRequest>> WindowActions::GatherRequests()
{
    const ConversionRequest request = GatherRequest();
    const std::vector<std::string> sources = SourceNamesIn(view_.Text(Box::Source));
    if (sources.size() <= 1) {
        return std::vector{request};
    }
    try {
        return PlanBatch(sources, request.targetName, request);
    } catch (const RunError& error) {
        showMessage_(error.description());
        return std::nullopt;
    }
}

// An empty name would convert nothing, so it is no run: the message says which box to fill, and with what.
bool WindowActions::NamesAreGiven()
{
    const bool batch = SourceNamesIn(view_.Text(Box::Source)).size() > 1;
    for (const auto& [box, what] : {std::pair{Box::Source, "a source file name"},
                                    {Box::Target, batch ? "a target folder" : "a target file name"}}) {
        if (view_.Text(box).empty()) {
            showMessage_(std::string("Enter ") + what + ", or choose one with ...");
            view_.Focus(box);
            return false;
        }
    }
    return true;
}

// The save dialog asks before it names an existing file; a typed or dropped name is asked about here, once.
bool WindowActions::MayReplaceTarget()
{
    const std::string target = view_.Text(Box::Target);
    if (target != confirmedTarget_ && RegularFileSize(target)
        && !dialogs_.Host().AskYesNo('"' + target + "\" already exists.\nDo you want to replace it?")) {
        return false;
    }
    confirmedTarget_ = target;
    return true;
}

// Each existing target of a batch would be replaced too; one question covers them all.
bool WindowActions::MayReplaceTargets(const std::vector<ConversionRequest>& requests)
{
    const auto existing = std::count_if(requests.begin(), requests.end(), [](const ConversionRequest& request) {
        return RegularFileSize(request.targetName).has_value();
    });
    return existing == 0
           || dialogs_.Host().AskYesNo(std::to_string(existing) + " of the " + std::to_string(requests.size())
                                       + " targets already exist in \"" + view_.Text(Box::Target)
                                       + "\".\nDo you want to replace them?");
}

// The runs go on their own thread so that the window keeps painting and can offer Cancel; they leave the window
// free, so that closing it can stop them.
bool WindowActions::Convert()
{
    if (run_ || !NamesAreGiven()) {
        return false;
    }
    std::optional<std::vector<ConversionRequest>> requests = GatherRequests();
    if (!requests || !(requests->size() == 1 ? MayReplaceTarget() : MayReplaceTargets(*requests))) {
        return false;
    }
    run_ = std::make_unique<Run>(style_);
    Run* run = run_.get();
    run->requests = std::move(*requests);
    for (const ConversionRequest& request : run->requests) {
        run->sourceSizes.push_back(RegularFileSize(request.sourceName).value_or(0));
    }
    BatchControl control;
    control.cancel = &run->cancel;
    control.started = [run](std::size_t index) {
        run->bytesRead = 0;
        run->inWork = index;
    };
    control.progress = [run, hook = onRunProgress_](std::size_t, std::uint64_t bytesRead) {
        run->bytesRead = bytesRead;
        if (hook) {
            hook(bytesRead);
        }
    };
    run->worker = std::thread([run, control = std::move(control), finished = runFinished_] {
        run->outcomes = PerformBatch(run->requests, run->style, control);
        finished();
    });
    return true;
}

// Each file counts the same in the batch's progress, however large; several files are named one by one.
RunProgress WindowActions::Progress() const
{
    const std::size_t index = run_->inWork;
    const std::size_t files = run_->requests.size();
    RunProgress progress;
    progress.label = files > 1 ? "File " + std::to_string(index + 1) + " of " + std::to_string(files) + ": "
                                     + BaseName(run_->requests[index].sourceName)
                               : "Converting \"" + BaseName(run_->requests.front().sourceName) + "\"...";
    const bool measured =
        std::all_of(run_->sourceSizes.begin(), run_->sourceSizes.end(), [](std::uint64_t size) { return size > 0; });
    if (measured) {
        const std::uint64_t size = run_->sourceSizes[index];
        const std::uint64_t done = std::min<std::uint64_t>(run_->bytesRead, size);
        progress.maximum = kProgressSteps * static_cast<int>(files);
        progress.value = static_cast<int>(index) * kProgressSteps + static_cast<int>(done * kProgressSteps / size);
    }
    return progress;
}

void WindowActions::CancelRun()
{
    if (run_) {
        run_->cancel = true;
    }
}

// The message comes only now, after the run, and once; the SSA run's choices it wrote into its copy become the
// window's own.
bool WindowActions::FinishRun()
{
    if (!run_) {
        return false;
    }
    run_->worker.join();
    style_.bold = run_->style.bold;
    style_.italic = run_->style.italic;
    style_.txtAlignment = run_->style.txtAlignment;
    const std::vector<RunOutcome>& outcomes = run_->outcomes;
    const std::string message =
        run_->requests.size() == 1 ? OutcomeMessage(outcomes.front()) : BatchMessage(run_->requests, outcomes);
    // A run that ended before it saw the stop still says how it ended.
    const bool stopped = closeAfterRun_ && !std::all_of(outcomes.begin(), outcomes.end(), [](const auto& outcome) {
                             return outcome.succeeded();
                         });
    run_.reset();
    if (stopped) {
        return closeAfterRun_;
    }
    // Not over the question whether to close, which would stay open behind it: after the answer.
    if (askingToClose_) {
        heldMessage_ = message;
    } else {
        showMessage_(message);
    }
    return closeAfterRun_;
}

// Closing stops a run only when the user agrees; the window then closes once the run has let go of the target.
CloseAnswer WindowActions::AskToClose()
{
    if (!run_) {
        return CloseAnswer::Close;
    }
    if (closeAfterRun_) {
        return CloseAnswer::StayOpen;
    }
    askingToClose_ = true;
    const bool stop = dialogs_.Host().AskYesNo("A conversion is running. Stop it and close Varnuth?");
    askingToClose_ = false;
    if (!run_) {
        // The run ended while the question was open; it still says how it ended.
        if (heldMessage_) {
            showMessage_(*std::exchange(heldMessage_, std::nullopt));
        }
        return stop ? CloseAnswer::Close : CloseAnswer::StayOpen;
    }
    if (!stop) {
        return CloseAnswer::StayOpen;
    }
    closeAfterRun_ = true;
    run_->cancel = true;
    return CloseAnswer::CloseWhenStopped;
}

} // namespace varnuth
