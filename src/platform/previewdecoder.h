#pragma once

#include "platform/mediapipeline.h"

#include <QImage>
#include <QSize>

#include <array>
#include <memory>

namespace platform {

// The libjpeg-turbo reduction (1, 2, 4 or 8: the picture is decoded at 1/n) that gives the
// smallest picture still covering `shown` in both directions. These four are the reductions the
// decoder does inside its inverse transform, at a fraction of the cost of a full decode.
int previewReduction(QSize picture, QSize shown);

// The picture filtered to `shown`: area averaging where it shrinks, bilinear where it grows,
// so that fine periodic detail (a micrometer's divisions) keeps an even look instead of dropping
// out or doubling as single-pixel sampling does. Returns `picture` itself when the sizes match.
QImage scaleForPreview(const QImage &picture, QSize shown);

// Turns the frames of one camera into the pictures the video area shows, on the streaming
// thread that delivers them: JPEGs are decoded at the reduction previewReduction() picks, then
// filtered to the size shown (as luma and chroma planes, so that only shown pixels are converted
// to colour). One object per pipeline; used by one thread at a time.
struct PreviewScalePlan;
class JpegCodec;
class YuvScaler;
struct YuvPlanes;
class ShownRows;

class PreviewDecoder
{
public:
    PreviewDecoder();
    ~PreviewDecoder();
    PreviewDecoder(const PreviewDecoder &) = delete;
    PreviewDecoder &operator=(const PreviewDecoder &) = delete;

    // A JPEG frame: the shown picture, and the picture's full size in `pictureSize`. Null when the
    // JPEG cannot be read (a damaged frame is skipped, the next one shows). `rows`, when given,
    // sees the shown rows as they are made where the picture is made a row at a time.
    QImage decodeJpeg(const unsigned char *data, std::size_t size, QSize shown, QSize &pictureSize,
                      ShownRows *rows = nullptr);
    // A decoded frame at full size: the shown picture (the frame itself when no scaling is due).
    QImage scaleFrame(const QImage &frame, QSize shown);

    // How many JPEG frames were decoded at each reduction (index 0: 1/1 ... 3: 1/8), for tests
    // and the log.
    const std::array<std::uint64_t, 4> &reductionCounts() const { return counts_; }

private:
    // A reused picture of `size`: the buffer of a frame the UI has let go of, so that a big frame
    // does not cost fresh pages every time.
    QImage &pooled(QSize size);

    std::unique_ptr<JpegCodec> codec_;
    std::unique_ptr<PreviewScalePlan> plan_;
    std::unique_ptr<YuvPlanes> planes_;   // the last frame's planes, reused
    std::unique_ptr<YuvScaler> planeScaler_;
    std::array<QImage, 4> pool_;
    QImage spare_;
    std::array<std::uint64_t, 4> counts_{};
};

} // namespace platform
