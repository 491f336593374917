#pragma once

#include "CommonDialog.h"
#include "WindowView.h"

#include "ConversionRun.h"
#include "StyleSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varnuth {

/// The names a source box holds: those of a list, each in double quotes as the file dialogs write several
/// ("ep01.srt" "ep02.srt"), or else the whole text as one name, unchanged. None when it is empty.
[[nodiscard]] std::vector<std::string> SourceNamesIn(const std::string& boxText);

/// The box text for \p fullNames: one name as it is, several as a list of quoted names.
[[nodiscard]] std::string SourceBoxText(const std::vector<std::string>& fullNames);

/// The source dialog's filter.
inline constexpr const char* kSourceFilter = "Subrip file (*.srt)|*.srt|Text file (*.txt)|*.txt|All files|*.*";

/// Called on a run's own thread after each buffer of the source it reads; a test slows a run down with it.
using RunProgressHook = std::function<void(std::uint64_t bytesRead)>;

/// What the progress dialog shows while the runs of one Convert go on.
struct RunProgress {
    std::string label; // "Converting "NAME"...", or "File 2 of 5: NAME" for several sources
    int value = 0;
    int maximum = 0; // 0 when a source's size is unknown: the bar only shows that work goes on
};

/// What closing the window does.
enum class CloseAnswer {
    Close,            // nothing runs: close now
    StayOpen,         // the user chose to let the run go on, or the window already waits for it
    CloseWhenStopped, // the run is told to stop; FinishRun will say to close
};

/// The window's behaviour, free of any toolkit: the load action, the dialog actions, the format click, the checks
/// before a run, the runs on their own thread and the message after them. A toolkit creates the controls, implements
/// WindowView over them, and calls one action per event.
class WindowActions {
public:
    /// \p view holds the controls and \p dialogs serves every dialog; \p showMessage shows the end of each Convert.
    /// \p runFinished is called on the runs' own thread when they have ended; the toolkit then calls FinishRun on
    /// its own thread.
    WindowActions(WindowView& view, std::unique_ptr<DialogHost> dialogs, ShowMessage showMessage,
                  std::function<void()> runFinished, RunProgressHook onRunProgress = {});
    WindowActions(const WindowActions&) = delete;
    WindowActions& operator=(const WindowActions&) = delete;
    /// Stops a run still going and waits for it.
    ~WindowActions();

    /// The defaults into the style settings and the font boxes, and the centre alignment selected.
    void Load();
    /// Takes files handed over by the desktop (a drop, "Open with", the command line) as sources.
    void TakeSources(const std::vector<std::string>& fullNames);
    /// Files dropped on the target box: one is the target, several can only be sources.
    void TakeDroppedTargets(const std::vector<std::string>& fullNames);

    void ChooseSource();
    /// The save dialog, or the folder dialog when the source box holds several names.
    void ChooseTarget();
    void ChooseFont();
    void ChooseColour(ColourRow row);
    /// The format option \p optionIndex was clicked: the style frames follow whether its format is styled.
    void ApplyFormat(int optionIndex);

    /// Convert: the checks and questions, then the runs on their own thread. Whether a run started; if not, the
    /// user has been told why, or chose not to replace a target.
    bool Convert();
    [[nodiscard]] bool Running() const { return run_ != nullptr; }
    /// Where the runs are; only while Running().
    [[nodiscard]] RunProgress Progress() const;
    /// Tells the runs to stop; the one in work ends as "Cancelled" and FinishRun still follows.
    void CancelRun();
    /// After runFinished, on the window's thread: shows the message and takes over the SSA run's choices. Whether
    /// the window should now close, because the user asked to while the run went on.
    bool FinishRun();
    /// The user wants the window closed; during a run this asks first.
    CloseAnswer AskToClose();

    /// The request the controls describe, for one source.
    [[nodiscard]] ConversionRequest GatherRequest() const;
    [[nodiscard]] const StyleSettings& Style() const { return style_; }
    [[nodiscard]] DialogHost& Dialogs() const { return dialogs_.Host(); }

private:
    struct Run;

    void ChooseTargetFolder();
    void ShowFontSettings();
    [[nodiscard]] bool NamesAreGiven();
    [[nodiscard]] std::optional<std::vector<ConversionRequest>> GatherRequests();
    [[nodiscard]] bool MayReplaceTarget();
    [[nodiscard]] bool MayReplaceTargets(const std::vector<ConversionRequest>& requests);

    WindowView& view_;
    CommonDialog dialogs_;
    ShowMessage showMessage_;
    std::function<void()> runFinished_;
    RunProgressHook onRunProgress_;
    StyleSettings style_;
    std::unique_ptr<Run> run_;
    bool closeAfterRun_ = false;
    bool askingToClose_ = false;
    std::optional<std::string> heldMessage_; // the message of a run that ended during the question to close
    // The target name last confirmed in the save dialog, by a Yes or by a run that created the file.
    std::string confirmedTarget_;
};

} // namespace varnuth
