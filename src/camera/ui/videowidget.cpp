#include "videowidget.h"

#include "camera/flipmode.h"
#include "camera/focusmarks.h"

#include <QMouseEvent>
#include <QPaintEngine>
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
    ++pictureSerial_;
    ++framesShown_;
    if (still_.isNull())
        update();
}

void VideoWidget::clearFrame()
{
    frame_ = QImage();
    ++frameSerial_;
    ++pictureSerial_;
    flipped_ = QImage();   // nothing left to reuse it for
    update();
}

void VideoWidget::setFlipMode(int mode)
{
    if (mode == flipMode_)
        return;
    flipMode_ = mode;
    ++pictureSerial_;
    update();
}

void VideoWidget::setStill(const QImage &still)
{
    still_ = still;
    ++pictureSerial_;
    update();
}

void VideoWidget::clearStill()
{
    still_ = QImage();
    ++pictureSerial_;
    update();
}

QImage VideoWidget::keyWhite(const QImage &overlay) { return keyOverlay(overlay, 0xFFFFFF); }

void VideoWidget::setFocusMarks(std::shared_ptr<const camera::FocusMarks> marks, QRgb peakingColour)
{
    marks_ = std::move(marks);
    peakingColour_ = peakingColour;
    // What is painted changes although the frame does not.
    ++frameSerial_;
    ++pictureSerial_;
    if (still_.isNull())
        update();
}

void VideoWidget::clearFocusMarks()
{
    if (!marks_)
        return;
    setFocusMarks(nullptr, 0);
}

bool VideoWidget::showsFocusMarks() const { return still_.isNull() && marksBelongToFrame(); }

bool VideoWidget::marksBelongToFrame() const
{
    return marks_ && !frame_.isNull() && frame_.format() == QImage::Format_RGB32 && marks_->imageKey == frame_.cacheKey() &&
           marks_->size() == frame_.size();
}

const QImage &VideoWidget::liveFrame() const
{
    if (!marksBelongToFrame())
        return frame_;
    if (markedSerial_ != frameSerial_ || marked_.size() != frame_.size()) {
        if (marked_.size() != frame_.size() || !marked_.isDetached())
            marked_ = QImage(frame_.size(), QImage::Format_RGB32);
        composeMarks(frame_, *marks_, peakingColour_, marked_.bits(), marked_.bytesPerLine());
        markedSerial_ = frameSerial_;
    }
    return marked_;
}

QImage VideoWidget::shownFrame() const
{
    if (!marks_)
        return flippedFrame().copy();
    // A snapshot of a playing recording is taken from here: never with the marks on it.
    if (flipMode_ == kFlipNone || !flipRect(flipMode_))
        return frame_.copy();
    return frame_.mirrored(flipsHorizontally(flipMode_), flipsVertically(flipMode_));
}

void VideoWidget::setOverlay(const platform::Bitmap &overlay, platform::ColorRef key, qreal opacity)
{
    if (overlay.isNull()) {
        clearOverlay();
        return;
    }
    key &= 0xFFFFFF;
    // The transparency slider hands the same bitmap over with each step: only the opacity changes.
    if (overlay_.isNull() || overlay.image().cacheKey() != overlaySource_ || key != overlayKey_) {
        overlay_ = keyOverlay(overlay.image(), platform::toQRgb(key));
        overlaySource_ = overlay.image().cacheKey();
        overlayKey_ = key;
    }
    overlayOpacity_ = std::clamp(opacity, 0.0, 1.0);
    overlayChanged();
}

void VideoWidget::clearOverlay()
{
    overlay_ = QImage();
    overlaySource_ = 0;
    overlayChanged();
}

void VideoWidget::setOverlayOpacity(qreal opacity)
{
    overlayOpacity_ = std::clamp(opacity, 0.0, 1.0);
    overlayChanged();
}

void VideoWidget::overlayChanged()
{
    ++overlaySerial_;
    prepared_ = PreparedOverlay();
    composed_ = QImage();
    update();
}

const PreparedOverlay *VideoWidget::preparedOverlay(QSize size) const
{
    if (overlay_.isNull())
        return nullptr;
    if (preparedSerial_ != overlaySerial_ || prepared_.image.size() != size) {
        prepared_ = prepareOverlay(overlay_, size, overlayOpacity_);
        preparedSerial_ = overlaySerial_;
    }
    return prepared_.isNull() ? nullptr : &prepared_;
}

QImage VideoWidget::withOverlay(const QImage &picture) const
{
    if (overlay_.isNull() || picture.isNull())
        return picture;
    const PreparedOverlay overlay = prepareOverlay(overlay_, picture.size(), overlayOpacity_);
    if (overlay.isNull())
        return picture;
    const QImage source = picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage out(source.size(), QImage::Format_RGB32);
    composeOverlay(source, overlay, out.bits(), out.bytesPerLine());
    return out;
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
    const QImage &frame = liveFrame();   // as shown: with the focus aids' marks
    if (flipMode_ == kFlipNone || !flipRect(flipMode_))
        return frame;
    if (flippedSerial_ == frameSerial_ && flippedMode_ == flipMode_ && !flipped_.isNull())
        return flipped_;
    const bool horizontal = flipsHorizontally(flipMode_), vertical = flipsVertically(flipMode_);
    if (frame.depth() != 32) {
        // Frames from the pipeline are always 32-bit; anything else takes Qt's general path.
        flipped_ = frame.mirrored(horizontal, vertical);
    } else {
        if (flipped_.size() != frame.size() || flipped_.format() != frame.format())
            flipped_ = QImage(frame.size(), frame.format());
        copyFlipped(frame, flipped_.bits(), flipped_.bytesPerLine(), horizontal, vertical);
    }
    flippedSerial_ = frameSerial_;
    flippedMode_ = flipMode_;
    return flipped_;
}

uchar *VideoWidget::directTarget(QPainter &p, const QRect &target, qsizetype &stride) const
{
    QPaintDevice *device = p.device();
    QPaintEngine *engine = p.paintEngine();
    // A widget paints into its window's backing store: with the raster engine, an image.
    if (device && device->devType() == QInternal::Widget && engine && engine->type() == QPaintEngine::Raster)
        device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image || !engine)
        return nullptr;
    auto *image = static_cast<QImage *>(device);
    // The device transform holds the widget's place in its window as well as the painter's own.
    const QTransform t = p.deviceTransform();
    const QRect onImage = target.translated(qRound(t.dx()), qRound(t.dy()));
    // Anything but an opaque copy at 1:1 inside the image is left to the painter.
    if (image->format() != QImage::Format_RGB32 || t.type() > QTransform::TxTranslate || t.dx() != qRound(t.dx())
        || t.dy() != qRound(t.dy()) || p.hasClipping() || p.opacity() != 1.0 || !image->isDetached()
        || (p.compositionMode() != QPainter::CompositionMode_SourceOver
            && p.compositionMode() != QPainter::CompositionMode_Source)
        || !image->rect().contains(onImage))
        return nullptr;
    // A paint event may paint only its region (the system clip): outside it the backing store
    // holds what other widgets show, children included.
    const QRegion allowed = engine->systemClip();
    if (!allowed.isEmpty() && !(QRegion(onImage) - allowed).isEmpty())
        return nullptr;
    // The image is the painter's own (not shared), so its bits are written in place, where the
    // painter itself draws.
    stride = image->bytesPerLine();
    return image->bits() + onImage.y() * stride + onImage.x() * 4;
}

bool VideoWidget::flipOntoImage(QPainter &p, const QRect &target, const QImage &frame) const
{
    if (frame.format() != QImage::Format_RGB32)
        return false;
    qsizetype stride = 0;
    uchar *bits = directTarget(p, target, stride);
    if (!bits)
        return false;
    copyFlipped(frame, bits, stride, flipsHorizontally(flipMode_), flipsVertically(flipMode_));
    return true;
}

void VideoWidget::paintVideo(QPainter &p, const QRect &target) const
{
    // Nearest-neighbour throughout: no smooth transform on the frame or the keyed layer.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const bool flips = still_.isNull() && flipMode_ != kFlipNone && flipRect(flipMode_);
    const PreparedOverlay *overlay = preparedOverlay(target.size());
    // The focus aids' marks at 1:1 into an image: the frame goes in as it is and only the pieces
    // of it that hold a mark are composited again, in place. Otherwise (scaled, a full-frame
    // reference over it, another paint device) the frame is marked into a copy first.
    qsizetype markStride = 0;
    uchar *markTarget = still_.isNull() && marksBelongToFrame() && frame_.size() == target.size() &&
                                !(overlay && overlay->dense)
                            ? directTarget(p, target, markStride)
                            : nullptr;
    const QImage &picture = !still_.isNull() ? still_ : markTarget ? frame_ : liveFrame();
    if (overlay && overlay->dense && !picture.isNull() && picture.size() == target.size() && picture.depth() == 32) {
        // A full-frame overlay (a blended or split reference) at the size shown: one fused pass
        // over frame and overlay, straight into the target when it is an image.
        const QImage &shown = flips ? flippedFrame() : picture;
        qsizetype stride = 0;
        if (uchar *bits = directTarget(p, target, stride)) {
            composeOverlay(shown, *overlay, bits, stride);
            return;
        }
        if (composedPicture_ != pictureSerial_ || composedOverlay_ != overlaySerial_ || composed_.size() != target.size()) {
            if (composed_.size() != target.size() || !composed_.isDetached())
                composed_ = QImage(target.size(), QImage::Format_RGB32);
            composeOverlay(shown, *overlay, composed_.bits(), composed_.bytesPerLine());
            composedPicture_ = pictureSerial_;
            composedOverlay_ = overlaySerial_;
        }
        p.drawImage(target.topLeft(), composed_);
        return;
    }
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
        if (!flipOntoImage(p, target, picture))
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
    if (markTarget)
        composeMarksOnto(*marks_, peakingColour_, markTarget, markStride, flips && flipsHorizontally(flipMode_),
                         flips && flipsVertically(flipMode_));
    // A sparse overlay (measurements, a reticle): only the tiles that hold anything are blended.
    if (overlay)
        for (const QRect &tile : overlay->tiles)
            p.drawImage(tile.topLeft() + target.topLeft(), overlay->image, tile);
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
