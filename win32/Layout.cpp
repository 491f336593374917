#include "Layout.h"

#include <algorithm>

namespace varnuth::win32 {

namespace {

HFONT CreateDialogFont(int pixels)
{
    return CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg 2");
}

bool AllFit(HDC screen, HFONT font, const std::vector<Caption>& captions)
{
    HGDIOBJ previous = SelectObject(screen, font);
    const bool fit = std::all_of(captions.begin(), captions.end(), [screen](const Caption& caption) {
        SIZE size{};
        GetTextExtentPoint32W(screen, caption.text.c_str(), static_cast<int>(caption.text.size()), &size);
        return size.cx <= caption.width;
    });
    SelectObject(screen, previous);
    return fit;
}

} // namespace

HFONT CreateWindowFont(UINT dpi, const std::vector<Caption>& mustFit)
{
    constexpr int kPoints = 8;
    constexpr int kPointsPerInch = 72;
    const int largest = MulDiv(kPoints, static_cast<int>(dpi), kPointsPerInch);
    // Below two thirds of its size no text is worth reading, cut or not.
    const int smallest = largest * 2 / 3;
    HDC screen = GetDC(nullptr);
    HFONT font = CreateDialogFont(largest);
    for (int pixels = largest - 1; pixels >= smallest && !AllFit(screen, font, mustFit); --pixels) {
        DeleteObject(font);
        font = CreateDialogFont(pixels);
    }
    ReleaseDC(nullptr, screen);
    return font;
}

void SetChildrenFont(HWND window, HFONT font)
{
    EnumChildWindows(
        window,
        [](HWND child, LPARAM chosen) {
            SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(chosen), TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font));
}

ATOM RegisterDialogClass(HINSTANCE instance, WNDPROC procedure, const wchar_t* className, HICON icon)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass);
}

void SizeClientArea(HWND window, int width, int height, UINT dpi, const POINT* at)
{
    RECT frame{0, 0, Pixels(width, dpi), Pixels(height, dpi)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi);
    RECT current{};
    GetWindowRect(window, &current);
    const POINT corner = at != nullptr ? *at : POINT{current.left, current.top};
    SetWindowPos(window, nullptr, corner.x, corner.y, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace varnuth::win32
