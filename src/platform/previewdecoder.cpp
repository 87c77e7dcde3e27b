#include "previewdecoder.h"

#include "platform/picturecodec.h"

#include <turbojpeg.h>

namespace platform {

int previewReduction(QSize picture, QSize shown)
{
    if (!picture.isValid() || !shown.isValid() || shown.isEmpty())
        return 1;
    for (int n : {8, 4, 2}) {
        // The decoder rounds a reduced side up, as TJSCALED does.
        const int w = (picture.width() + n - 1) / n, h = (picture.height() + n - 1) / n;
        if (w >= shown.width() && h >= shown.height())
            return n;
    }
    return 1;
}

QImage scaleForPreview(const QImage &picture, QSize shown)
{
    if (picture.isNull() || !shown.isValid() || shown.isEmpty() || picture.size() == shown)
        return picture;
    // Qt's smooth scaling averages every source pixel that falls into a shrunk pixel and
    // interpolates bilinearly where it enlarges; a direction can do either independently.
    return picture.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

struct PreviewDecoder::Handle {
    tjhandle tj = tjInitDecompress();
    ~Handle()
    {
        if (tj)
            tjDestroy(tj);
    }
};

PreviewDecoder::PreviewDecoder() : handle_(std::make_unique<Handle>()) {}
PreviewDecoder::~PreviewDecoder() = default;

QImage &PreviewDecoder::pooled(QSize size)
{
    for (QImage &image : pool_)
        if (image.size() == size && image.isDetached())
            return image;   // nobody else holds it: its pixels are free to overwrite
    for (QImage &image : pool_)
        if (image.isNull() || image.isDetached()) {
            image = QImage(size, QImage::Format_RGB32);
            return image;
        }
    spare_ = QImage(size, QImage::Format_RGB32);   // every buffer is still on screen or queued
    return spare_;
}

QImage PreviewDecoder::decodeJpeg(const unsigned char *data, std::size_t size, QSize shown, QSize &pictureSize)
{
    if (!handle_->tj || !data || size < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return {};
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle_->tj, data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                            &colourspace) != 0 ||
        width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return {};
    pictureSize = QSize(width, height);
    const QSize target = shown.isValid() && !shown.isEmpty() ? shown : pictureSize;
    const int n = previewReduction(pictureSize, target);
    const QSize decoded((width + n - 1) / n, (height + n - 1) / n);
    QImage &out = pooled(decoded);
    if (out.isNull())
        return {};
    // The pooled image is held by nobody else, so bits() writes in place without a copy.
    if (tjDecompress2(handle_->tj, data, static_cast<unsigned long>(size), out.bits(), decoded.width(),
                      int(out.bytesPerLine()), decoded.height(), TJPF_BGRX, TJFLAG_FASTDCT) != 0 &&
        tjGetErrorCode(handle_->tj) != TJERR_WARNING)
        return {};
    ++counts_[n == 8 ? 3 : n == 4 ? 2 : n == 2 ? 1 : 0];
    return scaleForPreview(out, target);
}

QImage fullPicture(const VideoFrame &frame)
{
    if (!frame.full.isNull())
        return frame.full;
    if (!frame.image.isNull() && (!frame.pictureSize.isValid() || frame.image.size() == frame.pictureSize))
        return frame.image;
    if (frame.encoded && frame.encoded->data) {
        DecodedPicture picture = decodeJpeg(
            QByteArrayView(reinterpret_cast<const char *>(frame.encoded->data), qsizetype(frame.encoded->size)));
        if (picture.ok())
            return picture.bitmap.image();
    }
    return {};
}

} // namespace platform
