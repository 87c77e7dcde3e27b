#include "platform/tiffwriter.h"

#include "platform/atomicfile.h"

#include <QImage>

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {
namespace {

// libtiff writes through these callbacks into a growing buffer; it seeks back to patch the
// directory offsets, so the buffer keeps a position of its own.
struct MemoryFile {
    std::vector<char> bytes;
    toff_t pos = 0;
};

tsize_t memRead(thandle_t, tdata_t, tsize_t) { return 0; }

tsize_t memWrite(thandle_t h, tdata_t data, tsize_t size)
{
    auto *f = static_cast<MemoryFile *>(h);
    const std::size_t end = std::size_t(f->pos) + std::size_t(size);
    if (f->bytes.size() < end)
        f->bytes.resize(end);
    std::memcpy(f->bytes.data() + f->pos, data, std::size_t(size));
    f->pos = end;
    return size;
}

toff_t memSeek(thandle_t h, toff_t off, int whence)
{
    auto *f = static_cast<MemoryFile *>(h);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = f->pos;
    else if (whence == SEEK_END)
        base = toff_t(f->bytes.size());
    f->pos = base + off;
    return f->pos;
}

int memClose(thandle_t) { return 0; }
toff_t memSize(thandle_t h) { return toff_t(static_cast<MemoryFile *>(h)->bytes.size()); }
int memMap(thandle_t, tdata_t *, toff_t *) { return 0; }
void memUnmap(thandle_t, tdata_t, toff_t) {}

struct TiffCloser {
    void operator()(TIFF *t) const { TIFFClose(t); }
};

} // namespace

std::optional<QByteArray> encodeTiff(const QImage &picture, const TiffOptions &options)
{
    if (picture.isNull())
        return std::nullopt;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    MemoryFile file;
    std::unique_ptr<TIFF, TiffCloser> tif(
        TIFFClientOpen("memory", "w", &file, memRead, memWrite, memSeek, memClose, memSize, memMap, memUnmap));
    if (!tif)
        return std::nullopt;
    TIFF *t = tif.get();
    const auto width = std::uint32_t(rgb.width());
    const auto height = std::uint32_t(rgb.height());
    constexpr std::uint32_t kRowsPerStrip = 64;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, kRowsPerStrip);
    if (options.compression == TiffCompression::Deflate) {
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    } else {
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    }
    if (options.xPixelsPerCm > 0 && options.yPixelsPerCm > 0) {
        TIFFSetField(t, TIFFTAG_XRESOLUTION, float(options.xPixelsPerCm));
        TIFFSetField(t, TIFFTAG_YRESOLUTION, float(options.yPixelsPerCm));
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
    }
    if (!options.description.isEmpty())
        TIFFSetField(t, TIFFTAG_IMAGEDESCRIPTION, options.description.constData());
    TIFFSetField(t, TIFFTAG_SOFTWARE, "Sendra-CAM Viewer");

    const tsize_t rowBytes = tsize_t(width) * 3;
    std::vector<unsigned char> strip(std::size_t(rowBytes) * kRowsPerStrip);
    for (std::uint32_t row = 0, index = 0; row < height; row += kRowsPerStrip, ++index) {
        const std::uint32_t rows = std::min(kRowsPerStrip, height - row);
        for (std::uint32_t r = 0; r < rows; ++r)
            std::memcpy(strip.data() + std::size_t(r) * std::size_t(rowBytes), rgb.constScanLine(int(row + r)),
                        std::size_t(rowBytes));
        if (TIFFWriteEncodedStrip(t, index, strip.data(), rowBytes * tsize_t(rows)) < 0)
            return std::nullopt;
    }
    if (!TIFFWriteDirectory(t))
        return std::nullopt;
    tif.reset();   // flushes the directory
    return QByteArray(file.bytes.data(), qsizetype(file.bytes.size()));
}

std::error_code writeTiff(const QString &path, const QImage &picture, const TiffOptions &options)
{
    const std::optional<QByteArray> bytes = encodeTiff(picture, options);
    if (!bytes)
        return std::make_error_code(std::errc::invalid_argument);
    return writeFileAtomically(path, bytes->constData(), std::size_t(bytes->size()));
}

} // namespace platform
