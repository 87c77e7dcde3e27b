#include "videowidget.h"

#include "camera/flipmode.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
    ++frameSerial_;
    ++framesShown_;
    if (still_.isNull())
        update();
}

void VideoWidget::clearFrame()
{
    frame_ = QImage();
    ++frameSerial_;
    flipped_ = QImage();   // nothing left to reuse it for
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

namespace {

constexpr int kOverlayTile = 64;

// The overlay with pure white made transparent, in one pass over the pixels. When `tiles` is
// given it also collects the 64 x 64 tiles that hold anything: measurements cover little of the
// picture, so a frame painted at the overlay's own size blends only those. This runs on every
// mouse move while a shape is drawn, so it reads the layer once.
QImage keyWhiteInto(const QImage &overlay, std::vector<QRect> *tiles)
{
    const QImage src = overlay.format() == QImage::Format_RGB32 ? overlay
                           : overlay.convertToFormat(QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    QImage keyed(w, h, QImage::Format_ARGB32_Premultiplied);
    const int tilesAcross = (w + kOverlayTile - 1) / kOverlayTile;
    std::vector<char> used(tiles ? std::size_t(tilesAcross) * std::size_t((h + kOverlayTile - 1) / kOverlayTile) : 0);
    for (int y = 0; y < h; ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        auto *to = reinterpret_cast<QRgb *>(keyed.scanLine(y));
        char *usedRow = tiles ? used.data() + std::size_t(y / kOverlayTile) * std::size_t(tilesAcross) : nullptr;
        for (int x = 0; x < w; ++x) {
            // RGB32 is opaque, so the premultiplied pixel is the same word with alpha 0xFF.
            const QRgb p = from[x] | 0xFF000000u;
            if ((p & 0x00FFFFFFu) == 0x00FFFFFFu) {
                to[x] = 0;   // transparent, premultiplied
            } else {
                to[x] = p;
                if (usedRow)
                    usedRow[x / kOverlayTile] = 1;
            }
        }
    }
    if (tiles) {
        tiles->clear();
        for (std::size_t i = 0; i < used.size(); ++i)
            if (used[i])
                tiles->push_back(QRect(int(i % std::size_t(tilesAcross)) * kOverlayTile,
                                       int(i / std::size_t(tilesAcross)) * kOverlayTile, kOverlayTile, kOverlayTile)
                                     .intersected(keyed.rect()));
    }
    return keyed;
}

} // namespace

QImage VideoWidget::keyWhite(const QImage &overlay) { return keyWhiteInto(overlay, nullptr); }

void VideoWidget::setOverlay(const platform::Bitmap &overlay)
{
    if (overlay.isNull()) {
        overlay_ = QImage();
        overlayTiles_.clear();
    } else {
        overlay_ = keyWhiteInto(overlay.image(), &overlayTiles_);
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

namespace {

// One row with its pixels in reverse order. x86-64 always has SSE2, whose dword shuffle turns
// four pixels round at once; std::reverse_copy goes pixel by pixel.
void reverseRow(const std::uint32_t *from, std::uint32_t *to, int w)
{
    int x = 0;
#ifdef __SSE2__
    for (; x + 4 <= w; x += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + w - 4 - x));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(to + x), _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3)));
    }
#endif
    for (; x < w; ++x)
        to[x] = from[w - 1 - x];
}

// Copies `src` into `dst` (same size, 32 bits a pixel) with the rows and/or the pixels of each
// row in reverse order.
void copyFlipped(const QImage &src, uchar *dstBits, qsizetype dstStride, bool horizontal, bool vertical)
{
    const int w = src.width(), h = src.height();
    for (int y = 0; y < h; ++y) {
        const auto *from = reinterpret_cast<const std::uint32_t *>(src.constScanLine(vertical ? h - 1 - y : y));
        auto *to = reinterpret_cast<std::uint32_t *>(dstBits + y * dstStride);
        if (horizontal)
            reverseRow(from, to, w);
        else
            std::copy(from, from + w, to);
    }
}

} // namespace

const QImage &VideoWidget::flippedFrame() const
{
    if (flipMode_ == kFlipNone || !flipRect(flipMode_))
        return frame_;
    if (flippedSerial_ == frameSerial_ && flippedMode_ == flipMode_ && !flipped_.isNull())
        return flipped_;
    const bool horizontal = flipsHorizontally(flipMode_), vertical = flipsVertically(flipMode_);
    if (frame_.depth() != 32) {
        // Frames from the pipeline are always 32-bit; anything else takes Qt's general path.
        flipped_ = frame_.mirrored(horizontal, vertical);
    } else {
        if (flipped_.size() != frame_.size() || flipped_.format() != frame_.format())
            flipped_ = QImage(frame_.size(), frame_.format());
        copyFlipped(frame_, flipped_.bits(), flipped_.bytesPerLine(), horizontal, vertical);
    }
    flippedSerial_ = frameSerial_;
    flippedMode_ = flipMode_;
    return flipped_;
}

bool VideoWidget::flipOntoImage(QPainter &p, const QRect &target) const
{
    QPaintDevice *device = p.device();
    if (!device || device->devType() != QInternal::Image || frame_.format() != QImage::Format_RGB32)
        return false;
    auto *image = static_cast<QImage *>(device);
    const QTransform &t = p.worldTransform();
    const QRect onImage = target.translated(qRound(t.dx()), qRound(t.dy()));
    // Anything but an opaque copy at 1:1 inside the image is left to the painter.
    if (image->format() != QImage::Format_RGB32 || t.type() > QTransform::TxTranslate || t.dx() != qRound(t.dx())
        || t.dy() != qRound(t.dy()) || p.hasClipping() || p.opacity() != 1.0 || !image->isDetached()
        || (p.compositionMode() != QPainter::CompositionMode_SourceOver
            && p.compositionMode() != QPainter::CompositionMode_Source)
        || !image->rect().contains(onImage))
        return false;
    // The image is the painter's own (not shared), so its bits are written in place, where the
    // painter itself draws.
    uchar *bits = image->bits() + onImage.y() * image->bytesPerLine() + onImage.x() * 4;
    copyFlipped(frame_, bits, image->bytesPerLine(), flipsHorizontally(flipMode_), flipsVertically(flipMode_));
    return true;
}

void VideoWidget::paintVideo(QPainter &p, const QRect &target) const
{
    // Nearest-neighbour throughout: no smooth transform on the frame or the keyed layer.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QImage &picture = still_.isNull() ? frame_ : still_;
    const bool flips = still_.isNull() && flipMode_ != kFlipNone && flipRect(flipMode_);
    if (picture.isNull()) {
        p.fillRect(target, Qt::black);
    } else if (!flips) {
        if (picture.size() == target.size())
            p.drawImage(target.topLeft(), picture);   // unscaled: a straight row copy
        else
            p.drawImage(target, picture);
    } else if (picture.size() == target.size()) {
        // At 1:1 a transformed painter runs Qt's general per-pixel path, several times the cost
        // of a copy: flip by copying rows instead, into the target when it is an image.
        if (!flipOntoImage(p, target))
            p.drawImage(target.topLeft(), flippedFrame());
    } else {
        // Scaled, the painter mirrors while it scales, reading only the source pixels it needs:
        // cheaper than a full-size flipped copy first.
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

QSize VideoWidget::shownSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(qRound(width() * ratio), qRound(height() * ratio));
}

void VideoWidget::resizeEvent(QResizeEvent *)
{
    Q_EMIT shownSizeChanged(shownSize());
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
