#include "Win32DialogHost.h"

#include "Text.h"

#include "WindowsFiles.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace varnuth::win32 {

namespace {

// Room for the names of a few thousand chosen files; a longer selection fails as a cancel does.
constexpr DWORD kNamesCapacity = 1U << 18U;
constexpr float kPointsPerInch = 72.0F;
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComRelease>;

struct TaskMemFree {
    void operator()(wchar_t* text) const { CoTaskMemFree(text); }
};

// The font dialog measures sizes with the screen's resolution, which it converts the start font's height by.
int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::vector<std::string> Utf8Names(const std::vector<std::wstring>& names)
{
    std::vector<std::string> converted;
    converted.reserve(names.size());
    for (const std::wstring& name : names) {
        converted.push_back(Utf8Text(name));
    }
    return converted;
}

} // namespace

std::vector<std::wstring> ChosenNames(const wchar_t* buffer)
{
    std::wstring first(buffer);
    const wchar_t* next = buffer + first.size() + 1;
    if (first.empty() || *next == L'\0') {
        return first.empty() ? std::vector<std::wstring>{} : std::vector{first};
    }
    if (first.back() != L'\\') {
        first += L'\\';
    }
    std::vector<std::wstring> names;
    for (; *next != L'\0'; next += std::wcslen(next) + 1) {
        names.push_back(first + next);
    }
    return names;
}

std::wstring DialogFilter(const std::string& filter)
{
    std::wstring parts = WideText(filter);
    std::replace(parts.begin(), parts.end(), L'|', L'\0');
    parts.push_back(L'\0');
    return parts;
}

Win32DialogHost::Win32DialogHost(HWND owner) : owner_(owner)
{
    customColours_.fill(kWhite);
}

std::optional<std::vector<std::string>> Win32DialogHost::ShowFileDialog(FileDialog kind, const std::string& filter,
                                                                        const std::string& startName, DWORD flags)
{
    const std::wstring filterText = DialogFilter(filter);
    std::vector<wchar_t> names(kNamesCapacity, L'\0');
    const std::wstring start = WideText(startName);
    std::copy_n(start.begin(), std::min<std::size_t>(start.size(), kNamesCapacity - 1), names.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filterText.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = kNamesCapacity;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | flags;
    if (!(kind == FileDialog::Save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) {
        return std::nullopt;
    }
    return Utf8Names(ChosenNames(names.data()));
}

std::optional<std::string> Win32DialogHost::AskOpenFileName(const std::string& filter, const std::string& startName)
{
    auto names = ShowFileDialog(FileDialog::Open, filter, startName, OFN_FILEMUSTEXIST);
    return names && !names->empty() ? std::optional{names->front()} : std::nullopt;
}

std::optional<std::vector<std::string>> Win32DialogHost::AskOpenFileNames(const std::string& filter,
                                                                          const std::string& startName)
{
    auto names = ShowFileDialog(FileDialog::Open, filter, startName, OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT);
    return names && !names->empty() ? names : std::nullopt;
}

std::optional<std::string> Win32DialogHost::AskSaveFileName(const std::string& filter, const std::string& startName,
                                                            bool confirmOverwrite)
{
    auto names = ShowFileDialog(FileDialog::Save, filter, startName, confirmOverwrite ? OFN_OVERWRITEPROMPT : 0);
    return names && !names->empty() ? std::optional{names->front()} : std::nullopt;
}

// The folder dialog of Vista and later: it shows the folders as the file dialogs do, and takes a typed path.
std::optional<std::string> Win32DialogHost::AskFolder(const std::string& startFolder)
{
    IFileOpenDialog* created = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&created)))) {
        return std::nullopt;
    }
    const ComPtr<IFileOpenDialog> dialog(created);
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    IShellItem* start = nullptr;
    if (!startFolder.empty()
        && SUCCEEDED(SHCreateItemFromParsingName(WideText(startFolder).c_str(), nullptr, IID_PPV_ARGS(&start)))) {
        dialog->SetFolder(ComPtr<IShellItem>(start).get());
    }
    IShellItem* chosen = nullptr;
    if (FAILED(dialog->Show(owner_)) || FAILED(dialog->GetResult(&chosen))) {
        return std::nullopt;
    }
    const ComPtr<IShellItem> folder(chosen);
    wchar_t* path = nullptr;
    if (FAILED(folder->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        return std::nullopt;
    }
    return Utf8Text(std::unique_ptr<wchar_t, TaskMemFree>(path).get());
}

std::optional<FontChoice> Win32DialogHost::AskFont(const FontChoice& start, bool screenFontsOnly)
{
    LOGFONTW font{};
    const std::wstring name = WideText(start.name);
    std::copy_n(name.begin(), std::min<std::size_t>(name.size(), LF_FACESIZE - 1), font.lfFaceName);
    font.lfHeight = -static_cast<LONG>(std::lround(start.size * static_cast<float>(ScreenDpi()) / kPointsPerInch));
    font.lfWeight = start.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = start.italic ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpLogFont = &font;
    dialog.Flags = CF_INITTOLOGFONTSTRUCT | (screenFontsOnly ? CF_SCREENFONTS : 0);
    if (!ChooseFontW(&dialog)) {
        return std::nullopt;
    }
    // The dialog gives the size in tenths of a point, so 10.5 stays 10.5.
    constexpr float kTenths = 10.0F;
    return FontChoice{Utf8Text(font.lfFaceName), static_cast<float>(dialog.iPointSize) / kTenths,
                      font.lfWeight > FW_MEDIUM, font.lfItalic != FALSE};
}

std::optional<std::int32_t> Win32DialogHost::AskColour(std::int32_t start)
{
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.rgbResult = static_cast<COLORREF>(start);
    dialog.lpCustColors = customColours_.data();
    dialog.Flags = CC_RGBINIT;
    if (!ChooseColorW(&dialog)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(dialog.rgbResult);
}

bool Win32DialogHost::AskYesNo(const std::string& question)
{
    return MessageBoxW(owner_, DisplayText(question).c_str(), kCaption, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

// The font of the system's messages, in whole points.
FontChoice Win32DialogHost::DefaultFont() const
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        return {};
    }
    const LOGFONTW& font = metrics.lfMessageFont;
    const float points = static_cast<float>(std::abs(font.lfHeight)) * kPointsPerInch / static_cast<float>(ScreenDpi());
    return FontChoice{Utf8Text(font.lfFaceName), std::round(points), font.lfWeight > FW_MEDIUM, font.lfItalic != FALSE};
}

} // namespace varnuth::win32
