#pragma once

#include "FormatOptions.h"

#include <windows.h>

#include <string>
#include <vector>

namespace varnuth::win32 {

using Twips = TwipsPlace;

/// \p twips in pixels at \p dpi.
[[nodiscard]] inline int Pixels(int twips, UINT dpi)
{
    constexpr int kTwipsPerInch = 1440;
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

/// Places \p control at \p place, in twips from its parent's client area, at \p dpi.
inline void Place(HWND control, const Twips& place, UINT dpi)
{
    MoveWindow(control, Pixels(place.left, dpi), Pixels(place.top, dpi), Pixels(place.width, dpi),
               Pixels(place.height, dpi), TRUE);
}

/// Registers the class \p className of windows that behave as dialogs: the dialog manager's own procedure does the
/// rest of \p procedure's work, so Tab, the arrows, Enter and Space work as in any dialog. \p icon may be null.
[[nodiscard]] ATOM RegisterDialogClass(HINSTANCE instance, WNDPROC procedure, const wchar_t* className,
                                       HICON icon = nullptr);

/// A caption that must fit in a width of pixels.
struct Caption {
    std::wstring text;
    int width;
};

/// The dialog font the layout was drawn for (8 points of "MS Shell Dlg 2") at \p dpi, or a smaller size of it at
/// which every one of \p mustFit fits: the labels do not grow, and a face wider than the one they were drawn for
/// would cut their captions. The caller deletes it.
[[nodiscard]] HFONT CreateWindowFont(UINT dpi, const std::vector<Caption>& mustFit = {});

/// Sets \p font on every child of \p window.
void SetChildrenFont(HWND window, HFONT font);

/// Sizes \p window so that its client area is \p width by \p height twips at \p dpi, keeping its top-left corner, or
/// moving it to \p at.
void SizeClientArea(HWND window, int width, int height, UINT dpi, const POINT* at = nullptr);

} // namespace varnuth::win32
