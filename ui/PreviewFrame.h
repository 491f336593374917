#pragma once

#include <QImage>
#include <QWidget>

#include <string>

class AssRenderer;

/// The video frame of a preview: a background, and over it the script's subtitle as libass draws it, as large as
/// the widget allows at the script's own aspect. An image dropped on it becomes the background.
class PreviewFrame final : public QWidget {
    Q_OBJECT

public:
    explicit PreviewFrame(QWidget* parent = nullptr);

    /// Draws with \p renderer, which holds the script, from now on; nullptr draws the background alone.
    void setRenderer(AssRenderer* renderer);

    /// A still of the video to draw under the subtitles; a null image gives the neutral grey gradient.
    void setBackground(const QImage& background);

    /// Draws the frame again, after the script or the widget's size changed.
    void redraw();

    /// The frame last drawn, without the bars around it.
    [[nodiscard]] const QImage& image() const noexcept { return image_; }

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    [[nodiscard]] QRect frameRect() const;
    void paintBackground(QImage& frame) const;

    AssRenderer* renderer_ = nullptr;
    QImage background_;
    QImage image_;
};
