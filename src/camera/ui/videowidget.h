#pragma once

#include "camera/overlaycompositor.h"
#include "platform/bitmap.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

namespace camera {
struct FocusMarks;
}

namespace camera::ui {

// The video area: the newest frame scaled to the widget (aspect not kept) and flipped by the
// flip mode, or the frozen still picture, with the overlay bitmap composited on top. In the
// overlay pure white is transparent; the key is applied before any scaling and keyed layers are
// scaled nearest-neighbour, so the key never bleeds into edge pixels. Mouse events are passed
// on with widget coordinates for the measuring surface.
class VideoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit VideoWidget(QWidget *parent = nullptr);

    // UI thread; repaints once. `frame` may share the pipeline's buffer.
    void setFrame(const QImage &frame);
    void setFlipMode(int mode);
    int flipMode() const { return flipMode_; }
    // The frozen picture, shown as it is instead of the live frame.
    void setStill(const QImage &still);
    void clearStill();
    bool showsStill() const { return !still_.isNull(); }
    void clearFrame();

    // The overlay bitmap, laid over the whole picture: pixels of colour `key` are transparent, the
    // rest drawn at `opacity`. It is keyed here, scaled once for the size shown and then
    // composited onto every frame; setting the same bitmap again with another opacity does not key
    // it anew.
    void setOverlay(const platform::Bitmap &overlay, platform::ColorRef key = 0xFFFFFF, qreal opacity = 1.0);
    void clearOverlay();
    void setOverlayOpacity(qreal opacity);
    bool hasOverlay() const { return !overlay_.isNull(); }
    // `picture` with the overlay laid over it as the widget shows it, scaled to the picture's
    // size (a snapshot of the picture as shown). The picture itself when there is no overlay.
    // The focus aids' marks are never part of it.
    QImage withOverlay(const QImage &picture) const;

    // The focus aids' marks (focus peaking, clipping stripes) for the live frame whose cacheKey
    // they carry: laid over that frame before it is flipped, when it is painted, and nowhere else
    // (not in withOverlay() or shownFrame()). Marks of another frame are not drawn.
    void setFocusMarks(std::shared_ptr<const camera::FocusMarks> marks, QRgb peakingColour);
    void clearFocusMarks();
    bool showsFocusMarks() const;

    // Paints what the widget shows into `target` of `painter`; paintEvent and tests use it.
    void paintVideo(QPainter &painter, const QRect &target) const;
    // What the widget shows, at widget size.
    QImage grabVideo() const;
    // The newest frame as shown (flip applied) at its own size, without the focus aids' marks;
    // null before the first frame.
    QImage shownFrame() const;
    bool hasFrame() const { return !frame_.isNull(); }

    std::uint64_t framesShown() const { return framesShown_; }

    // The white-keyed overlay layer (premultiplied ARGB, white made transparent).
    static QImage keyWhite(const QImage &overlay);

    // The size in device pixels that a frame is painted at without scaling.
    QSize shownSize() const;

Q_SIGNALS:
    // The widget was resized: frames of shownSize() are now the ones painted 1:1.
    void shownSizeChanged(QSize size);
    void videoMousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    void videoMouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint position);
    void videoMouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);
    void videoDoubleClicked(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // The focus aids' marks are of the live frame now shown.
    bool marksBelongToFrame() const;
    // The live frame with the focus aids' marks on it when they belong to it (made at most once
    // per frame into a reused buffer), else the frame itself.
    const QImage &liveFrame() const;
    // The live frame as the flip mode shows it, made at most once per frame into a buffer that is
    // reused from frame to frame (a fresh 7.7 MB image per frame would cost page faults).
    const QImage &flippedFrame() const;
    // Writes the flipped live frame straight into the image `painter` paints on, when that is a
    // plain copy (same size and format, no clip, no transform beyond a shift): one pass over the
    // frame instead of a flip into a buffer and a second copy out of it. False when it cannot.
    bool flipOntoImage(QPainter &painter, const QRect &target, const QImage &frame) const;
    // The bits of `target` in the RGB32 image `painter` paints on, when pixels may be written there
    // directly (as for flipOntoImage); null otherwise.
    uchar *directTarget(QPainter &painter, const QRect &target, qsizetype &stride) const;
    // The overlay prepared for `size`, made again only when the overlay, its opacity or the size
    // changed; null when there is nothing to draw.
    const PreparedOverlay *preparedOverlay(QSize size) const;
    void overlayChanged();

    QImage frame_;
    std::uint64_t frameSerial_ = 0;   // counts setFrame/clearFrame, so a flipped copy knows its frame
    mutable QImage flipped_;
    mutable std::uint64_t flippedSerial_ = 0;
    mutable int flippedMode_ = -1;
    QImage still_;
    std::uint64_t pictureSerial_ = 0;   // counts every change of what is painted under the overlay
    QImage overlay_;   // keyed, at its own size
    qint64 overlaySource_ = 0;   // the cache key of the bitmap it was keyed from
    platform::ColorRef overlayKey_ = 0xFFFFFF;
    qreal overlayOpacity_ = 1.0;
    std::uint64_t overlaySerial_ = 0;
    mutable PreparedOverlay prepared_;
    mutable std::uint64_t preparedSerial_ = 0;
    // The picture with the overlay on it, for targets that cannot be written directly.
    mutable QImage composed_;
    mutable std::uint64_t composedPicture_ = 0, composedOverlay_ = 0;
    int flipMode_ = 3;
    std::uint64_t framesShown_ = 0;
    std::shared_ptr<const camera::FocusMarks> marks_;
    QRgb peakingColour_ = 0;
    mutable QImage marked_;
    mutable std::uint64_t markedSerial_ = 0;
};

} // namespace camera::ui
