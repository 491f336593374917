#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

/// The platform's modal dialogs as the window's common dialog uses them; each is shown over \p parent, the window
/// that asks, and answers nothing when cancelled.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    /// \p nameFilters are in Qt's "Description (patterns)" form; \p startName may hold a full path.
    virtual std::optional<QString> AskOpenFileName(QWidget* parent, const QStringList& nameFilters,
                                                   const QString& startName) = 0;
    /// As AskOpenFileName, but the user may choose several files.
    virtual std::optional<QStringList> AskOpenFileNames(QWidget* parent, const QStringList& nameFilters,
                                                        const QString& startName) = 0;
    virtual std::optional<QString> AskSaveFileName(QWidget* parent, const QStringList& nameFilters,
                                                   const QString& startName, bool confirmOverwrite) = 0;
    /// An existing folder, starting in \p startFolder.
    virtual std::optional<QString> AskFolder(QWidget* parent, const QString& startFolder) = 0;
    virtual std::optional<QFont> AskFont(QWidget* parent, const QFont& start) = 0;
    virtual std::optional<QColor> AskColour(QWidget* parent, const QColor& start) = 0;
    /// A question captioned with the program's name, answered Yes (true) or No, where No is the default.
    virtual bool AskYesNo(QWidget* parent, const QString& question) = 0;
};
