#include "ColourSwatch.h"

#include <QPainter>

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent) {}

void ColourSwatch::setFillColour(const QColor& colour)
{
    fill_ = colour;
    update();
}

void ColourSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), fill_);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
