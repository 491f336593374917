#include "CompactStyle.h"

#include <QApplication>
#include <QStyleFactory>

#include <string_view>

CompactStyle::CompactStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int CompactStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    constexpr int kCaptionGap = 3;
    if (metric == PM_RadioButtonLabelSpacing || metric == PM_CheckBoxLabelSpacing) {
        return kCaptionGap;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void UseCompactStyle()
{
    QApplication::setStyle(new CompactStyle);
}

bool StyleAskedFor(int argc, const char* const* argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE")) {
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument.starts_with("--")) {
            argument.remove_prefix(1);
        }
        if ((argument == "-style" && i + 1 < argc) || argument.starts_with("-style=")) {
            return true;
        }
    }
    return false;
}
