#include "CommonDialog.h"

#include <QGuiApplication>

CommonDialog::CommonDialog(std::unique_ptr<DialogHost> host, QWidget* owner) : host_(std::move(host)), owner_(owner)
{
    const QFont platformFont = QGuiApplication::font();
    FontName = platformFont.family();
    FontSize = static_cast<float>(platformFont.pointSizeF());
}

bool CommonDialog::ShowOpen()
{
    const std::optional<QStringList> chosen = host_->AskOpenFileNames(owner_, NameFilters(Filter), FileName);
    if (chosen && !chosen->isEmpty()) {
        FileNames = *chosen;
        FileName = FileNames.front();
    }
    return chosen.has_value();
}

bool CommonDialog::ShowSave()
{
    const std::optional<QString> chosen =
        host_->AskSaveFileName(owner_, NameFilters(Filter), FileName, (Flags & kOverwritePrompt) != 0);
    if (chosen) {
        FileName = *chosen;
    }
    return chosen.has_value();
}

bool CommonDialog::ShowFolder()
{
    const std::optional<QString> chosen = host_->AskFolder(owner_, InitDir);
    if (chosen) {
        InitDir = *chosen;
    }
    return chosen.has_value();
}

// Qt's font dialog lists screen fonts only, so kScreenFonts needs no counterpart.
bool CommonDialog::ShowFont()
{
    QFont start(FontName);
    start.setPointSizeF(FontSize);
    start.setBold(FontBold);
    start.setItalic(FontItalic);
    const std::optional<QFont> chosen = host_->AskFont(owner_, start);
    if (chosen) {
        FontName = chosen->family();
        FontSize = static_cast<float>(chosen->pointSizeF());
        FontBold = chosen->bold();
        FontItalic = chosen->italic();
    }
    return chosen.has_value();
}

bool CommonDialog::ShowColor()
{
    const std::optional<QColor> chosen = host_->AskColour(owner_, UnpackColour(Color));
    if (chosen) {
        Color = PackColour(*chosen);
    }
    return chosen.has_value();
}

bool CommonDialog::AskYesNo(const QString& question)
{
    return host_->AskYesNo(owner_, question);
}

QStringList NameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
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

std::int32_t PackColour(const QColor& colour)
{
    const QRgb rgb = colour.rgb();
    return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb);
}

QColor UnpackColour(std::int32_t packed)
{
    return {packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF};
}
