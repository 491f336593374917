#include "QtDialogHost.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace {

std::optional<QString> Chosen(const QString& fileName)
{
    return fileName.isEmpty() ? std::nullopt : std::optional(fileName);
}

} // namespace

// The descriptions already name their patterns, so Qt's copy of them is hidden.
std::optional<QString> QtDialogHost::AskOpenFileName(QWidget* parent, const QStringList& nameFilters,
                                                     const QString& startName)
{
    return Chosen(QFileDialog::getOpenFileName(parent, {}, startName, nameFilters.join(QStringLiteral(";;")), nullptr,
                                               QFileDialog::HideNameFilterDetails));
}

std::optional<QStringList> QtDialogHost::AskOpenFileNames(QWidget* parent, const QStringList& nameFilters,
                                                          const QString& startName)
{
    const QStringList chosen = QFileDialog::getOpenFileNames(
        parent, {}, startName, nameFilters.join(QStringLiteral(";;")), nullptr, QFileDialog::HideNameFilterDetails);
    return chosen.isEmpty() ? std::nullopt : std::optional(chosen);
}

std::optional<QString> QtDialogHost::AskFolder(QWidget* parent, const QString& startFolder)
{
    return Chosen(QFileDialog::getExistingDirectory(parent, {}, startFolder));
}

std::optional<QString> QtDialogHost::AskSaveFileName(QWidget* parent, const QStringList& nameFilters,
                                                     const QString& startName, bool confirmOverwrite)
{
    QFileDialog::Options options = QFileDialog::HideNameFilterDetails;
    options.setFlag(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    return Chosen(
        QFileDialog::getSaveFileName(parent, {}, startName, nameFilters.join(QStringLiteral(";;")), nullptr, options));
}

std::optional<QFont> QtDialogHost::AskFont(QWidget* parent, const QFont& start)
{
    bool confirmed = false;
    const QFont font = QFontDialog::getFont(&confirmed, start, parent);
    return confirmed ? std::optional(font) : std::nullopt;
}

std::optional<QColor> QtDialogHost::AskColour(QWidget* parent, const QColor& start)
{
    const QColor colour = QColorDialog::getColor(start, parent);
    return colour.isValid() ? std::optional(colour) : std::nullopt;
}

bool QtDialogHost::AskYesNo(QWidget* parent, const QString& question)
{
    return QMessageBox::question(parent, QStringLiteral("Varnuth"), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
           == QMessageBox::Yes;
}
