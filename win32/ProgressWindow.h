#pragma once

#include "WindowActions.h"

#include <windows.h>

#include <functional>

namespace varnuth::win32 {

/// What a run shows while it lasts: where it is, a bar, and Cancel. A window of its own beside the main window, which
/// stays usable, so that closing it can stop the run too.
class ProgressWindow {
public:
    /// Shows itself over \p owner; \p cancel is called when the user presses Cancel or closes it.
    ProgressWindow(HWND owner, UINT dpi, std::function<void()> cancel);
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;
    ~ProgressWindow();

    void Show(const RunProgress& progress);
    [[nodiscard]] HWND Handle() const { return window_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void LayOut(UINT dpi);
    void Cancel();

    std::function<void()> cancel_;
    HWND window_ = nullptr;
    HWND label_ = nullptr;
    HWND bar_ = nullptr;
    HWND cancelButton_ = nullptr;
    HFONT font_ = nullptr;
    bool marquee_ = false;
};

} // namespace varnuth::win32
