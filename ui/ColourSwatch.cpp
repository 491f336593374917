#include "ColourSwatch.h"

#include <QPainter>

namespace {

// A screen reader's words for a colour the swatch can only show.
QString ColourName(const QColor& colour)
{
    return QStringLiteral("red %1, green %2, blue %3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
}

} // namespace

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(ColourName(fill_));
}

void ColourSwatch::setFillColour(const QColor& colour)
{
    fill_ = colour;
    setAccessibleName(ColourName(fill_));
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), fill_);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
