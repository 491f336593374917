#include "QtDialogHost.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

namespace {

std::optional<QString> Chosen(const QString& fileName)
{
    return fileName.isEmpty() ? std::nullopt : std::optional(fileName);
}

} // namespace

// The descriptions already name their patterns, so Qt's copy of them is hidden.
std::optional<QString> QtDialogHost::AskOpenFileName(const QStringList& nameFilters, const QString& startName)
{
    return Chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), {}, startName,
                                               nameFilters.join(QStringLiteral(";;")), nullptr,
                                               QFileDialog::HideNameFilterDetails));
}

std::optional<QString> QtDialogHost::AskSaveFileName(const QStringList& nameFilters, const QString& startName,
                                                     bool confirmOverwrite)
{
    QFileDialog::Options options = QFileDialog::HideNameFilterDetails;
    options.setFlag(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    return Chosen(QFileDialog::getSaveFileName(QApplication::activeWindow(), {}, startName,
                                               nameFilters.join(QStringLiteral(";;")), nullptr, options));
}

std::optional<QFont> QtDialogHost::AskFont(const QFont& start)
{
    bool confirmed = false;
    const QFont font = QFontDialog::getFont(&confirmed, start, QApplication::activeWindow());
    return confirmed ? std::optional(font) : std::nullopt;
}

std::optional<QColor> QtDialogHost::AskColor(const QColor& start)
{
    const QColor colour = QColorDialog::getColor(start, QApplication::activeWindow());
    return colour.isValid() ? std::optional(colour) : std::nullopt;
}
