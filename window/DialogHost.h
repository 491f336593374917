#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace varnuth {

/// A font as the font dialog starts from it and returns it.
struct FontChoice {
    std::string name;
    float size = 0.0F; // in points
    bool bold = false;
    bool italic = false;
};

/// The platform's modal dialogs, each shown over the window the host belongs to, and answering nothing when
/// cancelled. File names are the file system's: UTF-8 on Windows, the name's own bytes elsewhere. A filter is a
/// "description|pattern|description|pattern..." text; one entry's patterns are separated by ";".
class DialogHost {
public:
    virtual ~DialogHost() = default;

    /// One existing file; \p startName may hold a full path.
    virtual std::optional<std::string> AskOpenFileName(const std::string& filter, const std::string& startName) = 0;
    /// As AskOpenFileName, but the user may choose several files; a confirmed list is never empty.
    virtual std::optional<std::vector<std::string>> AskOpenFileNames(const std::string& filter,
                                                                     const std::string& startName) = 0;
    /// A name to write; with \p confirmOverwrite the dialog asks before it names an existing file.
    virtual std::optional<std::string> AskSaveFileName(const std::string& filter, const std::string& startName,
                                                       bool confirmOverwrite) = 0;
    /// An existing folder, starting in \p startFolder.
    virtual std::optional<std::string> AskFolder(const std::string& startFolder) = 0;
    /// With \p screenFontsOnly the dialog lists only the fonts the screen can show.
    virtual std::optional<FontChoice> AskFont(const FontChoice& start, bool screenFontsOnly) = 0;
    /// A colour as red + 256 * green + 65536 * blue.
    virtual std::optional<std::int32_t> AskColour(std::int32_t start) = 0;
    /// A question captioned with the program's name, answered Yes (true) or No, where No is the default.
    virtual bool AskYesNo(const std::string& question) = 0;
    /// The font the platform's font dialog starts from before the window names one.
    [[nodiscard]] virtual FontChoice DefaultFont() const = 0;
};

} // namespace varnuth
