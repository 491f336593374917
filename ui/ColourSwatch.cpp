#include "ColourSwatch.h"

#include "QtDialogHost.h"

#include <QPainter>

#include <limits>

namespace {

struct NamedColour {
    const char* name;
    int red;
    int green;
    int blue;
};

constexpr NamedColour kColourNames[] = {
    {"black", 0, 0, 0},        {"white", 255, 255, 255}, {"grey", 128, 128, 128},  {"light grey", 192, 192, 192},
    {"dark grey", 64, 64, 64}, {"red", 255, 0, 0},       {"dark red", 128, 0, 0},  {"green", 0, 255, 0},
    {"dark green", 0, 128, 0}, {"blue", 0, 0, 255},      {"dark blue", 0, 0, 128}, {"yellow", 255, 255, 0},
    {"olive", 128, 128, 0},    {"cyan", 0, 255, 255},    {"teal", 0, 128, 128},    {"magenta", 255, 0, 255},
    {"purple", 128, 0, 128},   {"orange", 255, 165, 0},  {"pink", 255, 192, 203},  {"brown", 165, 42, 42},
};

int SquaredDistance(const QColor& colour, const NamedColour& named)
{
    const int red = colour.red() - named.red;
    const int green = colour.green() - named.green;
    const int blue = colour.blue() - named.blue;
    return red * red + green * green + blue * blue;
}

} // namespace

QString ColourWords(const QColor& colour)
{
    const NamedColour* nearest = nullptr;
    int nearestDistance = std::numeric_limits<int>::max();
    for (const NamedColour& named : kColourNames) {
        if (const int distance = SquaredDistance(colour, named); distance < nearestDistance) {
            nearest = &named;
            nearestDistance = distance;
        }
    }
    return QStringLiteral("%1, %2").arg(QLatin1String(nearest->name)).arg(PackColour(colour));
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
