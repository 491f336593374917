#pragma once

// The window's control identifiers, which a driver of the window (the smoke test) finds its controls by. None is
// IDOK or IDCANCEL, which the dialog manager sends for Enter and Escape.
namespace varnuth::win32 {

enum ControlId : int {
    kLabel1 = 100,
    kTxtSource,
    kCmdBrowse,
    kLabel2,
    kTxtTarget,
    kCmdBrowse2,
    kCmdConvert,
    kCmdClose,
    kFrame1,
    kLabel3,
    kTxtFont,
    kLabel4,
    kTxtSize,
    kCmdFont,
    kLabel5,
    kCheck1,
    kCheck2,
    kFrame2,
    kLabel6,
    kShPrimary,
    kCmdPrimary,
    kLabel7,
    kShSecondary,
    kCmdSecondary,
    kLabel8,
    kShTertiary,
    kCmdTertiary,
    kFrame3,
    kLabel9,
    kTxtLeft,
    kLabel10,
    kLabel11,
    kTxtRight,
    kLabel13,
    kLabel12,
    kTxtBottom,
    kLabel14,
    kOption1,
    kOption2,
    kOption3,
    kLabel15,
    // The format options: kOption4 + the format row's option index, as the control array's elements are numbered.
    kOption4 = 200,
};

/// The window class of the main window, which a driver finds it by.
inline constexpr const wchar_t* kMainWindowClass = L"VarnuthMain";

} // namespace varnuth::win32
