// JPEG through libjpeg-turbo's TurboJPEG API, the only file that includes it. Pixels go in and out
// as BGRX straight from the Bitmap's own rows: no intermediate buffer, no colour conversion of
// ours.
#include "jpegcodec.h"

#include "atomicfile.h"
#include "picturecodec.h"

#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <memory>

namespace platform {
namespace {

struct TjHandleDeleter {
    void operator()(void *h) const { tjDestroy(h); }
};
using TjHandle = std::unique_ptr<void, TjHandleDeleter>;

struct TjBufferDeleter {
    void operator()(unsigned char *p) const { tjFree(p); }
};
using TjBuffer = std::unique_ptr<unsigned char, TjBufferDeleter>;

QString tjError(void *handle) { return QString::fromLocal8Bit(tjGetErrorStr2(handle)); }

// Whether the end-of-image marker FF D9 closes the data, allowing for padding a writer may put
// after it. Inside the compressed data FF is always followed by 00 or a restart marker, so FF D9
// near the end is the marker itself; a file cut short has none there.
bool endsWithEndMarker(QByteArrayView bytes)
{
    const qsizetype tail = std::min<qsizetype>(bytes.size(), 4096);
    const QByteArrayView last = bytes.last(tail);
    return last.lastIndexOf(QByteArrayView("\xFF\xD9", 2)) >= 0;
}

int validQuality(int quality) { return (quality >= 1 && quality <= 100) ? quality : kDefaultJpegQuality; }

// Compresses into a buffer TurboJPEG owns; returns it with its size.
std::pair<TjBuffer, unsigned long> compress(const Bitmap &bitmap, int quality)
{
    if (bitmap.isNull())
        return {};
    TjHandle handle(tjInitCompress());
    if (!handle)
        return {};
    unsigned char *out = nullptr;
    unsigned long outSize = 0;
    const int rc = tjCompress2(handle.get(), bitmap.constScanLine(0), bitmap.width(), int(bitmap.bytesPerLine()),
                               bitmap.height(), TJPF_BGRX, &out, &outSize, TJSAMP_420, validQuality(quality), 0);
    TjBuffer buffer(out);
    if (rc != 0)
        return {};
    return {std::move(buffer), outSize};
}

} // namespace

QByteArray encodeJpeg(const Bitmap &bitmap, int quality)
{
    auto [buffer, size] = compress(bitmap, quality);
    if (!buffer)
        return {};
    return QByteArray(reinterpret_cast<const char *>(buffer.get()), qsizetype(size));
}

WriteResult writeJpegFile(const QString &path, const Bitmap &bitmap, int quality)
{
    auto [buffer, size] = compress(bitmap, quality);
    if (!buffer)
        return {PictureError::Malformed, {}};
    if (const std::error_code ec = writeFileAtomically(path, buffer.get(), size))
        return {PictureError::WriteFailed, ec};
    return {};
}

WriteResult writeJpegFile(const QString &path, const Bitmap &bitmap, int quality, const PictureMetadata &metadata,
                          QString *warning)
{
    if (metadata.empty())
        return writeJpegFile(path, bitmap, quality);
    auto [buffer, size] = compress(bitmap, quality);
    if (!buffer)
        return {PictureError::Malformed, {}};
    const QByteArrayView plain(reinterpret_cast<const char *>(buffer.get()), qsizetype(size));
    // The segments go in beside the encoder's own headers; the compressed picture is not copied.
    // A picture is worth more than its metadata: when exiv2 refuses, the plain JPEG is written.
    QString why;
    const std::optional<QByteArray> segments = jpegMetadataSegments(metadata, &why);
    const std::size_t at = std::size_t(jpegMetadataInsertPoint(plain));
    const bool tagged = segments && at > 0;
    const std::error_code ec =
        tagged ? writeFileAtomically(path, {ByteSpan{buffer.get(), at},
                                            ByteSpan{segments->constData(), std::size_t(segments->size())},
                                            ByteSpan{buffer.get() + at, size - at}})
               : writeFileAtomically(path, buffer.get(), size);
    if (ec)
        return {PictureError::WriteFailed, ec};
    if (!tagged && warning)
        *warning = QStringLiteral("metadata not written: ") + why;
    return {};
}

DecodedPicture decodeJpeg(QByteArrayView bytes, QSize maxSize)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    if (bytes.size() < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return {Bitmap(), PictureError::NotRecognised, QStringLiteral("no FF D8 signature")};
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return {Bitmap(), PictureError::Malformed, QStringLiteral("decoder unavailable")};
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle.get(), data, static_cast<unsigned long>(bytes.size()), &width, &height, &subsampling,
                            &colorspace) != 0)
        return {Bitmap(), PictureError::Malformed, tjError(handle.get())};
    if (width <= 0 || height <= 0)
        return {Bitmap(), PictureError::Malformed, QStringLiteral("no frame header")};
    if (!sizeIsAcceptable(width, height))
        return {Bitmap(), PictureError::TooLarge, QStringLiteral("size %1 x %2").arg(width).arg(height), QSize(width, height)};

    int outWidth = width, outHeight = height;
    if (maxSize.isValid() && maxSize.width() > 0 && maxSize.height() > 0) {
        // Factors come largest first; keep the smallest one that still covers the target.
        int count = 0;
        const tjscalingfactor *factors = tjGetScalingFactors(&count);
        for (int i = 0; i < count; ++i) {
            const tjscalingfactor f = factors[i];
            if (f.num > f.denom)
                continue;
            const int w = TJSCALED(width, f), h = TJSCALED(height, f);
            if (w >= maxSize.width() && h >= maxSize.height() && w * h < outWidth * outHeight) {
                outWidth = w;
                outHeight = h;
            }
        }
    }

    Bitmap bitmap(outWidth, outHeight);
    if (bitmap.isNull())
        return {Bitmap(), PictureError::TooLarge, QStringLiteral("out of memory"), QSize(outWidth, outHeight)};
    if (tjDecompress2(handle.get(), data, static_cast<unsigned long>(bytes.size()), bitmap.scanLine(0), outWidth,
                      int(bitmap.bytesPerLine()), outHeight, TJPF_BGRX, 0) != 0) {
        // A warning (a few stray bytes, a missing end marker) still leaves a whole picture, as
        // every viewer shows it; only a real error refuses the file. The user is told which.
        if (tjGetErrorCode(handle.get()) != TJERR_WARNING)
            return {Bitmap(), PictureError::Malformed, tjError(handle.get())};
        const PictureWarning warning = endsWithEndMarker(bytes) ? PictureWarning::Damaged : PictureWarning::Incomplete;
        return {std::move(bitmap), PictureError::None, tjError(handle.get()), {}, warning};
    }
    return {std::move(bitmap), PictureError::None, {}};
}

struct JpegCodec::Handle {
    TjHandle tj{tjInitDecompress()};
    // The header readHeader() read last, and of which bytes: a decode of the same bytes right
    // after it does not parse the markers again (the decoder itself still does).
    const std::uint8_t *headerData = nullptr;
    std::size_t headerSize = 0;
    std::optional<JpegHeader> header;
};

JpegCodec::JpegCodec() : handle_(std::make_unique<Handle>()) {}
JpegCodec::~JpegCodec() = default;

QString JpegCodec::lastError() const
{
    return handle_->tj ? tjError(handle_->tj.get()) : QStringLiteral("decoder unavailable");
}

std::optional<JpegHeader> JpegCodec::readHeader(const std::uint8_t *data, std::size_t size)
{
    handle_->headerData = data;
    handle_->headerSize = size;
    handle_->header = parseHeader(data, size);
    return handle_->header;
}

std::optional<JpegHeader> JpegCodec::takeHeader(const std::uint8_t *data, std::size_t size)
{
    const bool known = data && data == handle_->headerData && size == handle_->headerSize;
    handle_->headerData = nullptr;   // good for one decode only: the next frame may reuse the buffer
    return known ? handle_->header : parseHeader(data, size);
}

std::optional<JpegHeader> JpegCodec::parseHeader(const std::uint8_t *data, std::size_t size)
{
    void *tj = handle_->tj.get();
    if (!tj || !data || size < 2 || data[0] != 0xFF || data[1] != 0xD8)
        return std::nullopt;
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(tj, data, static_cast<unsigned long>(size), &width, &height, &subsampling, &colourspace) != 0 ||
        width <= 0 || height <= 0 || !sizeIsAcceptable(width, height) || subsampling < 0 || subsampling >= TJ_NUMSAMP)
        return std::nullopt;
    JpegHeader header;
    header.size = QSize(width, height);
    header.grey = subsampling == TJSAMP_GRAY;
    if (!header.grey) {
        header.chromaStepX = tjMCUWidth[subsampling] / 8;
        header.chromaStepY = tjMCUHeight[subsampling] / 8;
    }
    header.planar = colourspace == TJCS_YCbCr || colourspace == TJCS_GRAY;
    return header;
}

QSize JpegCodec::reducedSize(QSize picture, int reduction)
{
    const tjscalingfactor f{1, std::max(1, reduction)};
    return QSize(TJSCALED(picture.width(), f), TJSCALED(picture.height(), f));
}

namespace {

// A warning (a few stray bytes, a missing end marker) still leaves a whole picture.
bool decodedWell(int rc, void *tj) { return rc == 0 || tjGetErrorCode(tj) == TJERR_WARNING; }

} // namespace

bool JpegCodec::decodeBgrx(const std::uint8_t *data, std::size_t size, int reduction, std::uint8_t *out,
                           std::ptrdiff_t stride, bool fastTransform)
{
    const std::optional<JpegHeader> header = takeHeader(data, size);
    if (!header || !out)
        return false;
    const QSize scaled = reducedSize(header->size, reduction);
    void *tj = handle_->tj.get();
    return decodedWell(tjDecompress2(tj, data, static_cast<unsigned long>(size), out, scaled.width(), int(stride),
                                     scaled.height(), TJPF_BGRX, fastTransform ? TJFLAG_FASTDCT : 0),
                       tj);
}

bool JpegCodec::decodePlanes(const std::uint8_t *data, std::size_t size, YuvPlanes &planes, bool fastTransform)
{
    const std::optional<JpegHeader> header = takeHeader(data, size);
    if (!header || !header->planar)
        return false;
    const QSize picture = header->size;
    const QSize chroma = header->grey ? QSize()
                                      : QSize((picture.width() + header->chromaStepX - 1) / header->chromaStepX,
                                              (picture.height() + header->chromaStepY - 1) / header->chromaStepY);
    planes.reshape(picture, chroma, header->chromaStepX, header->chromaStepY);
    std::array<unsigned char *, 3> dst{planes.y.data(), header->grey ? nullptr : planes.cb.data(),
                                       header->grey ? nullptr : planes.cr.data()};
    std::array<int, 3> strides{planes.lumaStride, planes.chromaStride, planes.chromaStride};
    void *tj = handle_->tj.get();
    return decodedWell(tjDecompressToYUVPlanes(tj, data, static_cast<unsigned long>(size), dst.data(), picture.width(),
                                               strides.data(), picture.height(), fastTransform ? TJFLAG_FASTDCT : 0),
                       tj);
}

} // namespace platform
