#pragma once

#include "DialogHost.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnuth::win32 {

/// The names a confirmed file dialog left in \p buffer: one full name, or a folder followed by the names chosen in it.
[[nodiscard]] std::vector<std::wstring> ChosenNames(const wchar_t* buffer);

/// The common dialogs' form of a "description|pattern|..." filter: every part ended by a null, and one more at the end.
[[nodiscard]] std::wstring DialogFilter(const std::string& filter);

/// The Windows common dialogs, owned by the window \p owner.
class Win32DialogHost final : public DialogHost {
public:
    explicit Win32DialogHost(HWND owner);

    std::optional<std::string> AskOpenFileName(const std::string& filter, const std::string& startName) override;
    std::optional<std::vector<std::string>> AskOpenFileNames(const std::string& filter,
                                                             const std::string& startName) override;
    std::optional<std::string> AskSaveFileName(const std::string& filter, const std::string& startName,
                                               bool confirmOverwrite) override;
    std::optional<std::string> AskFolder(const std::string& startFolder) override;
    std::optional<FontChoice> AskFont(const FontChoice& start, bool screenFontsOnly) override;
    std::optional<std::int32_t> AskColour(std::int32_t start) override;
    bool AskYesNo(const std::string& question) override;
    [[nodiscard]] FontChoice DefaultFont() const override;

private:
    enum class FileDialog { Open, Save };

    [[nodiscard]] std::optional<std::vector<std::string>> ShowFileDialog(FileDialog kind, const std::string& filter,
                                                                         const std::string& startName, DWORD flags);

    HWND owner_;
    // The colour dialog's custom colours, which the user may fill and find again for the window's life.
    std::array<COLORREF, 16> customColours_;
};

} // namespace varnuth::win32
