#pragma once

#include "DialogHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace varnuth {

/// One dialog component for the window's life: what one dialog leaves in it is where the next one starts. Its
/// members keep the published names of the platform component it stands in for.
class CommonDialog {
public:
    static constexpr std::int32_t kOverwritePrompt = 2;
    static constexpr std::int32_t kScreenFonts = 1;

    /// Starts with an empty FileName, Color 0, Flags 0 and the host's default font.
    explicit CommonDialog(std::unique_ptr<DialogHost> host);

    // Each Show operation returns whether the user confirmed; a cancel changes no value.
    bool ShowOpen();
    bool ShowSave();
    bool ShowFolder(); // a folder into InitDir, where it also starts
    bool ShowFont();
    bool ShowColor();

    /// The dialogs themselves, for questions and for choices outside the component's kept values.
    [[nodiscard]] DialogHost& Host() const { return *host_; }

    std::string FileName;
    std::vector<std::string> FileNames; // every file the open dialog chose, FileName the first
    std::string InitDir;
    std::string Filter; // "description|pattern|description|pattern..."
    std::int32_t Flags = 0;
    std::string FontName;
    float FontSize = 0.0F;
    bool FontBold = false;
    bool FontItalic = false;
    std::int32_t Color = 0; // red + 256 * green + 65536 * blue

private:
    std::unique_ptr<DialogHost> host_;
};

} // namespace varnuth
