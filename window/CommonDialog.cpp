#include "CommonDialog.h"

namespace varnuth {

CommonDialog::CommonDialog(std::unique_ptr<DialogHost> host) : host_(std::move(host))
{
    const FontChoice platformFont = host_->DefaultFont();
    FontName = platformFont.name;
    FontSize = platformFont.size;
    FontBold = platformFont.bold;
    FontItalic = platformFont.italic;
}

bool CommonDialog::ShowOpen()
{
    std::optional<std::vector<std::string>> chosen = host_->AskOpenFileNames(Filter, FileName);
    if (chosen && !chosen->empty()) {
        FileNames = std::move(*chosen);
        FileName = FileNames.front();
    }
    return chosen.has_value();
}

bool CommonDialog::ShowSave()
{
    std::optional<std::string> chosen = host_->AskSaveFileName(Filter, FileName, (Flags & kOverwritePrompt) != 0);
    if (chosen) {
        FileName = std::move(*chosen);
    }
    return chosen.has_value();
}

bool CommonDialog::ShowFolder()
{
    std::optional<std::string> chosen = host_->AskFolder(InitDir);
    if (chosen) {
        InitDir = std::move(*chosen);
    }
    return chosen.has_value();
}

bool CommonDialog::ShowFont()
{
    std::optional<FontChoice> chosen =
        host_->AskFont(FontChoice{FontName, FontSize, FontBold, FontItalic}, (Flags & kScreenFonts) != 0);
    if (chosen) {
        FontName = std::move(chosen->name);
        FontSize = chosen->size;
        FontBold = chosen->bold;
        FontItalic = chosen->italic;
    }
    return chosen.has_value();
}

bool CommonDialog::ShowColor()
{
    const std::optional<std::int32_t> chosen = host_->AskColour(Color);
    if (chosen) {
        Color = *chosen;
    }
    return chosen.has_value();
}

} // namespace varnuth
