#pragma once

#include "DialogHost.h"

#include <QColor>
#include <QFont>
#include <QStringList>

/// Qt's own file, font and colour dialogs and question box, over the window the user works in.
class QtDialogHost final : public varnuth::DialogHost {
public:
    std::optional<std::string> AskOpenFileName(const std::string& filter, const std::string& startName) override;
    std::optional<std::vector<std::string>> AskOpenFileNames(const std::string& filter,
                                                             const std::string& startName) override;
    std::optional<std::string> AskSaveFileName(const std::string& filter, const std::string& startName,
                                               bool confirmOverwrite) override;
    std::optional<std::string> AskFolder(const std::string& startFolder) override;
    std::optional<varnuth::FontChoice> AskFont(const varnuth::FontChoice& start, bool screenFontsOnly) override;
    std::optional<std::int32_t> AskColour(std::int32_t start) override;
    bool AskYesNo(const std::string& question) override;
    [[nodiscard]] varnuth::FontChoice DefaultFont() const override;
};

/// Qt's name filters for a "description|pattern|..." filter text.
[[nodiscard]] QStringList NameFilters(const std::string& filter);

[[nodiscard]] QFont FontOf(const varnuth::FontChoice& choice);
[[nodiscard]] varnuth::FontChoice ChoiceOf(const QFont& font);

[[nodiscard]] std::int32_t PackColour(const QColor& colour);
[[nodiscard]] QColor UnpackColour(std::int32_t packed);
