#include "ProgressWindow.h"

#include "Layout.h"
#include "Text.h"

#include <commctrl.h>

namespace varnuth::win32 {

namespace {

constexpr const wchar_t* kClassName = L"VarnuthProgress";
constexpr int kCancelId = IDCANCEL;
constexpr int kWidth = 4800;
constexpr int kHeight = 1455;
constexpr Twips kLabelPlace{120, 120, 4560, 255};
constexpr Twips kBarPlace{120, 480, 4560, 255};
constexpr Twips kCancelPlace{3720, 960, 960, 375};
constexpr UINT kMarqueeMs = 30;

HWND CreateChild(HWND parent, const wchar_t* className, DWORD style, int id, const wchar_t* text = L"")
{
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

} // namespace

ProgressWindow::ProgressWindow(HWND owner, UINT dpi, std::function<void()> cancel) : cancel_(std::move(cancel))
{
    static const ATOM registered = RegisterDialogClass(GetModuleHandleW(nullptr), Procedure, kClassName);
    window_ =
        CreateWindowExW(WS_EX_DLGMODALFRAME, MAKEINTATOM(registered), kCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner, nullptr, GetModuleHandleW(nullptr), this);
    label_ = CreateChild(window_, WC_STATICW, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, -1);
    bar_ = CreateChild(window_, PROGRESS_CLASSW, 0, -1);
    cancelButton_ = CreateChild(window_, WC_BUTTONW, BS_DEFPUSHBUTTON | WS_TABSTOP, kCancelId, L"Cancel");
    LayOut(dpi);

    // Over the middle of the main window.
    RECT ownerFrame{};
    GetWindowRect(owner, &ownerFrame);
    const POINT corner{(ownerFrame.left + ownerFrame.right - Pixels(kWidth, dpi)) / 2,
                       (ownerFrame.top + ownerFrame.bottom - Pixels(kHeight, dpi)) / 2};
    SizeClientArea(window_, kWidth, kHeight, dpi, &corner);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetFocus(cancelButton_);
}

ProgressWindow::~ProgressWindow()
{
    DestroyWindow(window_);
    DeleteObject(font_);
}

void ProgressWindow::LayOut(UINT dpi)
{
    Place(label_, kLabelPlace, dpi);
    Place(bar_, kBarPlace, dpi);
    Place(cancelButton_, kCancelPlace, dpi);
    HFONT previous = font_;
    font_ = CreateWindowFont(dpi);
    SetChildrenFont(window_, font_);
    DeleteObject(previous);
}

// A size that is not known gives a bar that only shows that work goes on.
void ProgressWindow::Show(const RunProgress& progress)
{
    SetWindowTextW(label_, DisplayText(progress.label).c_str());
    const bool marquee = progress.maximum == 0;
    if (marquee != marquee_) {
        const LONG_PTR style = GetWindowLongPtrW(bar_, GWL_STYLE);
        SetWindowLongPtrW(bar_, GWL_STYLE, marquee ? style | PBS_MARQUEE : style & ~LONG_PTR{PBS_MARQUEE});
        SendMessageW(bar_, PBM_SETMARQUEE, marquee ? TRUE : FALSE, kMarqueeMs);
        marquee_ = marquee;
    }
    if (!marquee) {
        SendMessageW(bar_, PBM_SETRANGE32, 0, progress.maximum);
        SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(progress.value), 0);
    }
}

// Once pressed, Cancel has done all it can: the run ends as soon as it sees the stop.
void ProgressWindow::Cancel()
{
    EnableWindow(cancelButton_, FALSE);
    cancel_();
}

LRESULT CALLBACK ProgressWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == kCancelId))) {
        self->Cancel();
        return 0;
    }
    if (self != nullptr && message == WM_DPICHANGED) {
        self->LayOut(HIWORD(wParam));
        const POINT corner{reinterpret_cast<const RECT*>(lParam)->left, reinterpret_cast<const RECT*>(lParam)->top};
        SizeClientArea(window, kWidth, kHeight, HIWORD(wParam), &corner);
        return 0;
    }
    return DefDlgProcW(window, message, wParam, lParam);
}

} // namespace varnuth::win32
