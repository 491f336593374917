#pragma once

#include <QColor>
#include <QWidget>

/// An outlined rectangle filled solid with one colour.
class ColourSwatch final : public QWidget {
    Q_OBJECT

public:
    explicit ColourSwatch(QWidget* parent = nullptr);

    [[nodiscard]] QColor fillColour() const { return fill_; }
    void setFillColour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_ = Qt::white;
};
