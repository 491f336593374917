#pragma once

#include "DialogHost.h"

/// Qt's own file, font and colour dialogs, shown over the active window.
class QtDialogHost final : public DialogHost {
public:
    std::optional<QString> AskOpenFileName(const QStringList& nameFilters, const QString& startName) override;
    std::optional<QString> AskSaveFileName(const QStringList& nameFilters, const QString& startName,
                                           bool confirmOverwrite) override;
    std::optional<QFont> AskFont(const QFont& start) override;
    std::optional<QColor> AskColor(const QColor& start) override;
};
