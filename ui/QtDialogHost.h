#pragma once

#include "DialogHost.h"

/// Qt's own file, font and colour dialogs.
class QtDialogHost final : public DialogHost {
public:
    std::optional<QString> AskOpenFileName(QWidget* parent, const QStringList& nameFilters,
                                           const QString& startName) override;
    std::optional<QStringList> AskOpenFileNames(QWidget* parent, const QStringList& nameFilters,
                                                const QString& startName) override;
    std::optional<QString> AskSaveFileName(QWidget* parent, const QStringList& nameFilters, const QString& startName,
                                           bool confirmOverwrite) override;
    std::optional<QString> AskFolder(QWidget* parent, const QString& startFolder) override;
    std::optional<QFont> AskFont(QWidget* parent, const QFont& start) override;
    std::optional<QColor> AskColour(QWidget* parent, const QColor& start) override;
    bool AskYesNo(QWidget* parent, const QString& question) override;
};
