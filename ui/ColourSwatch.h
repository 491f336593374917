#pragma once

#include <QColor>
#include <QWidget>

/// An outlined rectangle filled solid with one colour, drawn dimmed while disabled.
class ColourSwatch final : public QWidget {
    Q_OBJECT

public:
    explicit ColourSwatch(QWidget* parent = nullptr);

    [[nodiscard]] QColor fillColour() const { return fill_; }
    void setFillColour(const QColor& colour);

    /// Makes \p control's accessible description name the fill colour, now and after every change.
    void describeIn(QWidget* control);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void describe();

    QColor fill_ = Qt::white;
    QWidget* describedIn_ = nullptr;
};

/// A screen reader's words for a colour: the nearest common name and the number the SSA script holds, such as
/// "white, 16777215".
[[nodiscard]] QString ColourWords(const QColor& colour);
