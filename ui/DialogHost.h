#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

/// The platform's modal dialogs as the window's common dialog uses them; each answers nothing when cancelled.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    /// \p nameFilters are in Qt's "Description (patterns)" form; \p startName may hold a full path.
    virtual std::optional<QString> AskOpenFileName(const QStringList& nameFilters, const QString& startName) = 0;
    virtual std::optional<QString> AskSaveFileName(const QStringList& nameFilters, const QString& startName,
                                                   bool confirmOverwrite) = 0;
    virtual std::optional<QFont> AskFont(const QFont& start) = 0;
    virtual std::optional<QColor> AskColor(const QColor& start) = 0;
};
