#include "videowidget.h"

#include "camera/flipmode.h"

#include <QMouseEvent>
#include <QPainter>

namespace camera::ui {

VideoWidget::VideoWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(400, 300);
}

void VideoWidget::setFrame(const QImage &frame)
{
    frame_ = frame;
    ++framesShown_;
    if (still_.isNull())
        update();
}

void VideoWidget::clearFrame()
{
    frame_ = QImage();
    update();
}

void VideoWidget::setFlipMode(int mode)
{
    if (mode == flipMode_)
        return;
    flipMode_ = mode;
    update();
}

void VideoWidget::setStill(const QImage &still)
{
    still_ = still;
    update();
}

void VideoWidget::clearStill()
{
    still_ = QImage();
    update();
}

QImage VideoWidget::keyWhite(const QImage &overlay)
{
    QImage keyed = overlay.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < keyed.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if ((row[x] & 0x00FFFFFFu) == 0x00FFFFFFu)
                row[x] = 0;   // transparent, premultiplied
    }
    return keyed;
}

void VideoWidget::setOverlay(const platform::Bitmap &overlay)
{
    overlay_ = overlay.isNull() ? QImage() : keyWhite(overlay.image());
    // Measurements cover little of the picture: remember which tiles hold anything, so that a
    // frame painted at the overlay's own size blends only those.
    overlayTiles_.clear();
    constexpr int kTile = 64;
    for (int ty = 0; ty < overlay_.height(); ty += kTile)
        for (int tx = 0; tx < overlay_.width(); tx += kTile) {
            const QRect tile = QRect(tx, ty, kTile, kTile).intersected(overlay_.rect());
            bool used = false;
            for (int y = tile.top(); y <= tile.bottom() && !used; ++y) {
                const auto *row = reinterpret_cast<const QRgb *>(overlay_.constScanLine(y));
                for (int x = tile.left(); x <= tile.right() && !used; ++x)
                    used = row[x] != 0;
            }
            if (used)
                overlayTiles_.push_back(tile);
        }
    update();
}

void VideoWidget::clearOverlay()
{
    overlay_ = QImage();
    overlayTiles_.clear();
    update();
}

void VideoWidget::setOverlayOpacity(qreal opacity)
{
    overlayOpacity_ = std::clamp(opacity, 0.0, 1.0);
    update();
}

void VideoWidget::paintVideo(QPainter &p, const QRect &target) const
{
    // Nearest-neighbour throughout: no smooth transform on the frame or the keyed layer.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QImage &picture = still_.isNull() ? frame_ : still_;
    if (picture.isNull()) {
        p.fillRect(target, Qt::black);
    } else if (!still_.isNull() || flipMode_ == kFlipNone || !flipRect(flipMode_)) {
        p.drawImage(target, picture);
    } else {
        // Mirror through the painter: no flipped copy of the frame is made.
        p.save();
        const QPointF centre = QRectF(target).center();
        p.translate(centre);
        p.scale(flipsHorizontally(flipMode_) ? -1 : 1, flipsVertically(flipMode_) ? -1 : 1);
        p.translate(-centre);
        p.drawImage(target, picture);
        p.restore();
    }
    if (!overlay_.isNull()) {
        p.save();
        p.setOpacity(overlayOpacity_);
        if (overlay_.size() == target.size()) {
            for (const QRect &tile : overlayTiles_)
                p.drawImage(tile.topLeft() + target.topLeft(), overlay_, tile);
        } else {
            p.drawImage(target, overlay_);
        }
        p.restore();
    }
}

QImage VideoWidget::grabVideo() const
{
    QImage out(size(), QImage::Format_RGB32);
    QPainter p(&out);
    paintVideo(p, out.rect());
    return out;
}

void VideoWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintVideo(p, rect());
}

void VideoWidget::mousePressEvent(QMouseEvent *e)
{
    Q_EMIT videoMousePressed(e->button(), e->modifiers(), e->position().toPoint());
}

void VideoWidget::mouseMoveEvent(QMouseEvent *e)
{
    Q_EMIT videoMouseMoved(e->buttons(), e->modifiers(), e->position().toPoint());
}

void VideoWidget::mouseReleaseEvent(QMouseEvent *e)
{
    Q_EMIT videoMouseReleased(e->button(), e->modifiers(), e->position().toPoint());
}

void VideoWidget::mouseDoubleClickEvent(QMouseEvent *e)
{
    Q_EMIT videoDoubleClicked(e->button(), e->modifiers(), e->position().toPoint());
}

} // namespace camera::ui
