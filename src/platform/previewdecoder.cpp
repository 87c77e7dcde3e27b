#include "previewdecoder.h"

#include "platform/filtertaps.h"
#include "platform/jpegcodec.h"
#include "platform/picturecodec.h"
#include "platform/yuvplanes.h"
#include "platform/yuvscaler.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

namespace {

// Fixed point: rows are combined with weights summing to 256 and kept at 14 bits (a quarter),
// then pixels with weights summing to 128; 2^8 / 4 * 2^7 = 2^13 scales back to bytes.
constexpr int kRowUnit = 256, kPixelUnit = 128, kFinalShift = 13;

// acc = sum of rows times their weights, all four channels of every pixel at once.
void combineRows(const QImage &src, const FilterTaps &rows, int y, std::vector<std::uint16_t> &buffer)
{
    const std::size_t n = std::size_t(src.width()) * 4;
    // A local pointer: stores through it cannot be taken to change the vector itself.
    std::uint16_t *const acc = buffer.data();
    std::fill(acc, acc + n, std::uint16_t(0));
    const int first = rows.first[std::size_t(y)], count = rows.count[std::size_t(y)];
    for (int k = 0; k < count; ++k) {
        const uchar *const row = src.constScanLine(rows.source[std::size_t(first + k)]);
        const auto w = std::uint16_t(rows.weight[std::size_t(first + k)]);
        std::size_t i = 0;
#ifdef __SSE2__
        const __m128i weight = _mm_set1_epi16(std::int16_t(w)), zero = _mm_setzero_si128();
        for (; i + 16 <= n; i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(row + i));
            auto *a = reinterpret_cast<__m128i *>(acc + i);
            _mm_storeu_si128(a, _mm_add_epi16(_mm_loadu_si128(a), _mm_mullo_epi16(_mm_unpacklo_epi8(bytes, zero), weight)));
            _mm_storeu_si128(a + 1, _mm_add_epi16(_mm_loadu_si128(a + 1),
                                                  _mm_mullo_epi16(_mm_unpackhi_epi8(bytes, zero), weight)));
        }
#endif
        for (; i < n; ++i)
            acc[i] = std::uint16_t(acc[i] + row[i] * w);
    }
    // 255 x 256 fits 16 bits unsigned; a quarter of it fits the signed lanes of the next step.
    std::size_t i = 0;
#ifdef __SSE2__
    for (; i + 8 <= n; i += 8) {
        auto *a = reinterpret_cast<__m128i *>(acc + i);
        _mm_storeu_si128(a, _mm_srli_epi16(_mm_loadu_si128(a), 2));
    }
#endif
    for (; i < n; ++i)
        acc[i] = std::uint16_t(acc[i] >> 2);
}

// The taps of a row pass paired up for the multiply-add: per output pixel, pairs of source
// offsets (in 16-bit words) with their two weights packed into one word; an odd tap pairs with a
// zero weight.
struct PairedTaps {
    std::vector<int> first, count;   // per output pixel, into the pair arrays
    std::vector<int> a, b;
    std::vector<std::int32_t> weights;
};

PairedTaps pairTaps(const FilterTaps &t)
{
    PairedTaps p;
    p.first.resize(t.first.size());
    p.count.resize(t.first.size());
    for (std::size_t x = 0; x < t.first.size(); ++x) {
        p.first[x] = int(p.a.size());
        const int first = t.first[x], n = t.count[x];
        for (int k = 0; k < n; k += 2) {
            const int i = first + k;
            const bool odd = k + 1 >= n;
            p.a.push_back(4 * t.source[std::size_t(i)]);
            p.b.push_back(4 * t.source[std::size_t(odd ? i : i + 1)]);
            const int wa = t.weight[std::size_t(i)], wb = odd ? 0 : t.weight[std::size_t(i + 1)];
            p.weights.push_back(std::int32_t(std::uint32_t(std::uint16_t(wa)) | (std::uint32_t(std::uint16_t(wb)) << 16)));
        }
        p.count[x] = int(p.a.size()) - p.first[x];
    }
    return p;
}

#ifdef __SSE2__
// One output pixel, all four channels, still scaled by 2^13.
inline __m128i pixelSum(const std::uint16_t *px, const PairedTaps &t, int x)
{
    __m128i sum = _mm_setzero_si128();
    const int first = t.first[std::size_t(x)], end = first + t.count[std::size_t(x)];
    for (int k = first; k < end; ++k) {
        const __m128i a = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(px + t.a[std::size_t(k)]));
        const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(px + t.b[std::size_t(k)]));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), _mm_set1_epi32(t.weights[std::size_t(k)])));
    }
    return _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (kFinalShift - 1))), kFinalShift);
}
#endif

void combinePixels(const std::vector<std::uint16_t> &acc, const PairedTaps &cols, std::uint32_t *out, int width)
{
    const std::uint16_t *px = acc.data();
    int x = 0;
#ifdef __SSE2__
    // Two output pixels per store.
    for (; x + 2 <= width; x += 2) {
        const __m128i two = _mm_packs_epi32(pixelSum(px, cols, x), pixelSum(px, cols, x + 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + x), _mm_packus_epi16(two, two));
    }
    if (x < width) {
        const __m128i one = _mm_packs_epi32(pixelSum(px, cols, x), _mm_setzero_si128());
        out[x] = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(one, one)));
    }
#else
    for (; x < width; ++x) {
        std::uint32_t pixel = 0;
        const int first = cols.first[std::size_t(x)], end = first + cols.count[std::size_t(x)];
        for (int c = 0; c < 4; ++c) {
            int sum = 0;
            for (int k = first; k < end; ++k) {
                const auto w = std::uint32_t(cols.weights[std::size_t(k)]);
                sum += px[cols.a[std::size_t(k)] + c] * std::int16_t(w & 0xFFFF) + px[cols.b[std::size_t(k)] + c] * std::int16_t(w >> 16);
            }
            pixel |= std::uint32_t(std::clamp((sum + (1 << (kFinalShift - 1))) >> kFinalShift, 0, 255)) << (8 * c);
        }
        out[x] = pixel;
    }
#endif
}

} // namespace

// The taps of one source size and shown size, kept while the sizes stay, and the row buffer.
struct PreviewScalePlan {
    QSize from, to;
    FilterTaps rows;
    PairedTaps cols;
    std::vector<std::uint16_t> acc;

    void prepare(QSize source, QSize shown)
    {
        if (source == from && shown == to)
            return;
        from = source;
        to = shown;
        rows = makeFilterTaps(source.height(), shown.height(), kRowUnit);
        cols = pairTaps(makeFilterTaps(source.width(), shown.width(), kPixelUnit));
        acc.assign(std::size_t(source.width()) * 4 + 4, 0);
    }
    // Area averaging where a direction shrinks, bilinear where it grows, each direction on its
    // own: rows first (whole rows at a time), then pixels along the combined row.
    void scale(const QImage &src, QImage &out)
    {
        for (int y = 0; y < to.height(); ++y) {
            combineRows(src, rows, y, acc);
            combinePixels(acc, cols, reinterpret_cast<std::uint32_t *>(out.scanLine(y)), to.width());
        }
    }
};

namespace {

bool needsScaling(const QImage &picture, QSize shown)
{
    return !picture.isNull() && shown.isValid() && !shown.isEmpty() && picture.size() != shown;
}

QImage asRgb32(const QImage &picture)
{
    return picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
               ? picture
               : picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace

QImage scaleForPreview(const QImage &picture, QSize shown)
{
    if (!needsScaling(picture, shown))
        return picture;
    const QImage src = asRgb32(picture);
    QImage out(shown, QImage::Format_RGB32);
    if (out.isNull())
        return {};
    PreviewScalePlan plan;
    plan.prepare(src.size(), shown);
    plan.scale(src, out);
    return out;
}

QImage PreviewDecoder::scaleFrame(const QImage &frame, QSize shown)
{
    if (!needsScaling(frame, shown))
        return frame;
    const QImage src = asRgb32(frame);
    plan_->prepare(src.size(), shown);
    QImage &out = pooled(shown);
    if (out.isNull())
        return {};
    plan_->scale(src, out);
    return out;
}

PreviewDecoder::PreviewDecoder()
    : codec_(std::make_unique<JpegCodec>()), plan_(std::make_unique<PreviewScalePlan>()),
      planes_(std::make_unique<YuvPlanes>()), planeScaler_(std::make_unique<YuvScaler>())
{
}
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

QImage PreviewDecoder::decodeJpeg(const unsigned char *data, std::size_t size, QSize shown, QSize &pictureSize,
                                  ShownRows *rows)
{
    const std::optional<JpegHeader> header = codec_->readHeader(data, size);
    if (!header)
        return {};
    pictureSize = header->size;
    const QSize target = shown.isValid() && !shown.isEmpty() ? shown : pictureSize;
    const int n = previewReduction(pictureSize, target);
    const QSize decoded = JpegCodec::reducedSize(pictureSize, n);
    const int countAt = n == 8 ? 3 : n == 4 ? 2 : n == 2 ? 1 : 0;
    if (decoded == target || !header->planar || n != 1) {
        // At the size shown (the Normal preset's quarter) the decoder's own colour conversion is
        // the cheaper order: it converts no pixel that is not shown either. Pictures whose
        // components are not luma and chroma (RGB, CMYK) are converted first and filtered after,
        // and so are reduced decodes (the codec offers planes at full size only).
        QImage &out = pooled(decoded);
        // The pooled image is held by nobody else, so bits() writes in place without a copy.
        if (out.isNull() || !codec_->decodeBgrx(data, size, n, out.bits(), out.bytesPerLine(), true))
            return {};
        ++counts_[std::size_t(countAt)];
        if (decoded == target)
            return out;
        const QImage full = out;   // stays in its pool slot while the shown picture is made from it
        return scaleFrame(full, target);
    }
    // Filtered to another size: the planes are filtered first and only the shown pixels are
    // converted to colour, so a full-size picture is never converted.
    if (!codec_->decodePlanes(data, size, *planes_, true))
        return {};
    ++counts_[std::size_t(countAt)];
    QImage &out = pooled(target);
    if (out.isNull())
        return {};
    planeScaler_->scale(*planes_, out, rows);
    return out;
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
