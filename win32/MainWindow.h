#pragma once

#include "AccessibleNames.h"
#include "ProgressWindow.h"

#include "WindowActions.h"
#include "WindowView.h"

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace varnuth::win32 {

/// The one window, made of the system's own controls; what they do is WindowActions'.
class MainWindow final : public WindowView {
public:
    /// Creates the window and its controls and runs the load action; the window is not shown yet.
    explicit MainWindow(HINSTANCE instance);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    [[nodiscard]] HWND Handle() const { return window_; }
    /// Shows the window with the focus on the source box.
    void Show(int showCommand);
    /// Takes files named on the command line as sources.
    void TakeSources(const std::vector<std::string>& fullNames);
    /// Whether \p message was keyboard navigation within the window or the progress window, and is done with.
    [[nodiscard]] bool IsNavigation(MSG& message) const;

    [[nodiscard]] std::string Text(Box box) const override;
    void SetText(Box box, const std::string& text) override;
    void Focus(Box box) override;
    [[nodiscard]] CheckState Check(StyleCheck check) const override;
    void Tick(StyleCheck check) override;
    [[nodiscard]] int Alignment() const override;
    void SelectAlignment(int alignment) override;
    [[nodiscard]] int FormatOption() const override;
    void EnableStyleFrames(bool enabled) override;
    void FillSwatch(ColourRow row, std::int32_t colour) override;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    void CreateFormatOptions();
    void NameControls();
    void AddTips() const;
    void DescribeSwatch(std::size_t row);
    void LayOut();
    void ChangeDpi(UINT dpi, const RECT& suggested);

    void Clicked(int id);
    void Convert();
    void ShowProgress();
    void FinishRun();
    void Close();
    void TakeDrop(HDROP drop);
    void KeepTabStopOnSelected(const std::vector<int>& group) const;
    void DrawSwatch(const DRAWITEMSTRUCT& item) const;

    [[nodiscard]] HWND Control(int id) const { return GetDlgItem(window_, id); }
    [[nodiscard]] bool Checked(int id) const;

    HWND window_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    HFONT font_ = nullptr;
    std::vector<int> alignmentOptions_;
    std::vector<int> formatOptions_;
    std::array<std::int32_t, 3> swatchColours_{};
    std::unique_ptr<AccessibleNames> names_;
    std::unique_ptr<WindowActions> actions_;
    std::unique_ptr<ProgressWindow> progress_;
    ULONGLONG runStarted_ = 0;
};

} // namespace varnuth::win32
