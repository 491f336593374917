#include "PreviewFrame.h"

#include "AssRenderer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLinearGradient>
#include <QMimeData>
#include <QPainter>

namespace {

constexpr QSize kVideoSize(720, 480);
constexpr QColor kGradientTop(0x9a, 0x9a, 0x9a);
constexpr QColor kGradientBottom(0x3c, 0x3c, 0x3c);

// The image a drop carries, as image data or as a local file; null if none.
QImage DroppedImage(const QMimeData& data)
{
    if (data.hasImage()) {
        return qvariant_cast<QImage>(data.imageData());
    }
    for (const QUrl& url : data.urls()) {
        if (QImage image(url.toLocalFile()); url.isLocalFile() && !image.isNull()) {
            return image;
        }
    }
    return {};
}

} // namespace

PreviewFrame::PreviewFrame(QWidget* parent) : QWidget(parent)
{
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(kVideoSize / 4);
}

void PreviewFrame::setRenderer(AssRenderer* renderer)
{
    renderer_ = renderer;
}

void PreviewFrame::setBackground(const QImage& background)
{
    background_ = background;
    redraw();
}

QSize PreviewFrame::sizeHint() const
{
    return kVideoSize;
}

// The largest rectangle of the script's aspect that the widget holds, centred.
QRect PreviewFrame::frameRect() const
{
    const QSize playRes = renderer_ != nullptr ? renderer_->PlayRes() : kVideoSize;
    QSize size = playRes.scaled(this->size(), Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    return {QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size};
}

void PreviewFrame::redraw()
{
    QImage frame(frameRect().size(), QImage::Format_RGB32);
    paintBackground(frame);
    if (renderer_ != nullptr) {
        renderer_->Draw(frame);
    }
    image_ = std::move(frame);
    update();
}

// A still fills the frame as a player fills the screen with a video of another shape: cut, never stretched.
void PreviewFrame::paintBackground(QImage& frame) const
{
    QPainter painter(&frame);
    if (background_.isNull()) {
        QLinearGradient gradient(0, 0, 0, frame.height());
        gradient.setColorAt(0, kGradientTop);
        gradient.setColorAt(1, kGradientBottom);
        painter.fillRect(frame.rect(), gradient);
        return;
    }
    const QImage still =
        background_.scaled(frame.size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    painter.drawImage(0, 0, still, (still.width() - frame.width()) / 2, (still.height() - frame.height()) / 2);
}

void PreviewFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawImage(frameRect().topLeft(), image_);
}

void PreviewFrame::resizeEvent(QResizeEvent*)
{
    redraw();
}

void PreviewFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedImage(*event->mimeData()).isNull()) {
        event->acceptProposedAction();
    }
}

void PreviewFrame::dropEvent(QDropEvent* event)
{
    if (const QImage image = DroppedImage(*event->mimeData()); !image.isNull()) {
        setBackground(image);
        event->acceptProposedAction();
    }
}
