#include "QtDialogHost.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace {

// The window the user clicked in: the main window, or the preview beside it.
QWidget* Owner()
{
    return QApplication::activeWindow();
}

QString Shown(const std::string& fileName)
{
    return QFile::decodeName(QByteArray::fromStdString(fileName));
}

std::optional<std::string> Chosen(const QString& fileName)
{
    return fileName.isEmpty() ? std::nullopt : std::optional(QFile::encodeName(fileName).toStdString());
}

// The descriptions already name their patterns, so Qt's copy of them is hidden.
QString FilterText(const std::string& filter)
{
    return NameFilters(filter).join(QStringLiteral(";;"));
}

} // namespace

std::optional<std::string> QtDialogHost::AskOpenFileName(const std::string& filter, const std::string& startName)
{
    return Chosen(QFileDialog::getOpenFileName(Owner(), {}, Shown(startName), FilterText(filter), nullptr,
                                               QFileDialog::HideNameFilterDetails));
}

std::optional<std::vector<std::string>> QtDialogHost::AskOpenFileNames(const std::string& filter,
                                                                       const std::string& startName)
{
    const QStringList chosen = QFileDialog::getOpenFileNames(Owner(), {}, Shown(startName), FilterText(filter), nullptr,
                                                             QFileDialog::HideNameFilterDetails);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (const QString& name : chosen) {
        names.push_back(QFile::encodeName(name).toStdString());
    }
    return names;
}

std::optional<std::string> QtDialogHost::AskFolder(const std::string& startFolder)
{
    return Chosen(QFileDialog::getExistingDirectory(Owner(), {}, Shown(startFolder)));
}

std::optional<std::string> QtDialogHost::AskSaveFileName(const std::string& filter, const std::string& startName,
                                                         bool confirmOverwrite)
{
    QFileDialog::Options options = QFileDialog::HideNameFilterDetails;
    options.setFlag(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    return Chosen(QFileDialog::getSaveFileName(Owner(), {}, Shown(startName), FilterText(filter), nullptr, options));
}

// Qt's font dialog lists screen fonts only, so screenFontsOnly needs no counterpart.
std::optional<varnuth::FontChoice> QtDialogHost::AskFont(const varnuth::FontChoice& start, bool)
{
    bool confirmed = false;
    const QFont font = QFontDialog::getFont(&confirmed, FontOf(start), Owner());
    return confirmed ? std::optional(ChoiceOf(font)) : std::nullopt;
}

std::optional<std::int32_t> QtDialogHost::AskColour(std::int32_t start)
{
    const QColor colour = QColorDialog::getColor(UnpackColour(start), Owner());
    return colour.isValid() ? std::optional(PackColour(colour)) : std::nullopt;
}

bool QtDialogHost::AskYesNo(const std::string& question)
{
    return QMessageBox::question(Owner(), QStringLiteral("Varnuth"), QString::fromStdString(question),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

varnuth::FontChoice QtDialogHost::DefaultFont() const
{
    return ChoiceOf(QGuiApplication::font());
}

QStringList NameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList nameFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            // In Qt "*.*" hides names without a dot; the filter means every file.
            if (pattern == QStringLiteral("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        // The real dialogs hide this added copy of the patterns, so each description shows as written.
        nameFilters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return nameFilters;
}

QFont FontOf(const varnuth::FontChoice& choice)
{
    QFont font(QString::fromStdString(choice.name));
    if (choice.size > 0.0F) {
        font.setPointSizeF(choice.size);
    }
    font.setBold(choice.bold);
    font.setItalic(choice.italic);
    return font;
}

varnuth::FontChoice ChoiceOf(const QFont& font)
{
    return {font.family().toStdString(), static_cast<float>(font.pointSizeF()), font.bold(), font.italic()};
}

std::int32_t PackColour(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
}

QColor UnpackColour(std::int32_t packed)
{
    return {packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF};
}
