#include "CompactStyle.h"

#include <QApplication>
#include <QStyleFactory>

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
