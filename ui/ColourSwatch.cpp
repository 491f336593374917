#include "ColourSwatch.h"

#include "QtDialogHost.h"

#include "ColourWords.h"

#include <QPainter>

QString ColourWords(const QColor& colour)
{
    return QString::fromStdString(varnuth::ColourWords(PackColour(colour)));
}

ColourSwatch::ColourSwatch(QWidget* parent) : QWidget(parent)
{
    describe();
}

void ColourSwatch::setFillColour(const QColor& colour)
{
    fill_ = colour;
    describe();
    update();
}

void ColourSwatch::describeIn(QWidget* control)
{
    describedIn_ = control;
    describe();
}

void ColourSwatch::describe()
{
    const QString words = ColourWords(fill_);
    setAccessibleName(words);
    if (describedIn_ != nullptr) {
        describedIn_->setAccessibleDescription(words);
    }
}

// Disabled, the fill is mixed half and half with the palette's mid grey, so that no colour stays bright.
void ColourSwatch::paintEvent(QPaintEvent*)
{
    QColor shown = fill_;
    if (!isEnabled()) {
        const QColor mid = palette().color(QPalette::Disabled, QPalette::Mid);
        shown =
            QColor((fill_.red() + mid.red()) / 2, (fill_.green() + mid.green()) / 2, (fill_.blue() + mid.blue()) / 2);
    }
    QPainter painter(this);
    painter.fillRect(rect(), shown);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
