#pragma once

#include "DialogHost.h"

#include <cstdint>
#include <memory>

/// One dialog component for the window's life: what one dialog leaves in it is where the next one starts. Its
/// members keep the published names of the platform component it stands in for.
class CommonDialog {
public:
    static constexpr std::int32_t kOverwritePrompt = 2;
    static constexpr std::int32_t kScreenFonts = 1;

    /// Every dialog is shown over \p owner, the window the component belongs to.
    CommonDialog(std::unique_ptr<DialogHost> host, QWidget* owner);

    // Each Show operation returns whether the user confirmed; a cancel changes no value.
    bool ShowOpen();
    bool ShowSave();
    bool ShowFolder(); // a folder into InitDir, where it also starts
    bool ShowFont();
    bool ShowColor();
    /// Not one of the component's dialogs: a yes-or-no question over the owner, served by the same host.
    bool AskYesNo(const QString& question);

    /// The dialogs themselves, for a window that asks outside the component's kept values.
    [[nodiscard]] DialogHost& Host() const { return *host_; }

    QString FileName;
    QStringList FileNames; // every file the open dialog chose, FileName the first
    QString InitDir;
    QString Filter; // "description|pattern|description|pattern..."
    std::int32_t Flags = 0;
    QString FontName;
    float FontSize = 0.0F;
    bool FontBold = false;
    bool FontItalic = false;
    std::int32_t Color = 0; // red + 256 * green + 65536 * blue

private:
    std::unique_ptr<DialogHost> host_;
    QWidget* owner_;
};

/// Qt's name filters for a "description|pattern|..." filter text.
[[nodiscard]] QStringList NameFilters(const QString& filter);

[[nodiscard]] std::int32_t PackColour(const QColor& colour);
[[nodiscard]] QColor UnpackColour(std::int32_t packed);
