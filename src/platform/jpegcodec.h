#pragma once

#include "platform/yuvplanes.h"

#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

// What a JPEG's header says about the picture.
struct JpegHeader {
    QSize size;
    // Luma pixels per chroma sample across and down (1, 2 or 4); 1 x 1 for a grey picture.
    int chromaStepX = 1;
    int chromaStepY = 1;
    bool grey = false;
    // Y, Cb, Cr (or grey) components that decodePlanes() can hand out as they are; false for the
    // RGB, CMYK and YCCK colour spaces, whose components are no luma and chroma.
    bool planar = false;
};

// The one door to libjpeg-turbo: a decompressor kept for the frames of one stream, so that no
// frame pays for setting it up. Everything else in the program reads and writes JPEGs through
// this class or the functions of picturecodec.h.
//
// Threads: one thread at a time per object.
class JpegCodec
{
public:
    JpegCodec();
    ~JpegCodec();
    JpegCodec(const JpegCodec &) = delete;
    JpegCodec &operator=(const JpegCodec &) = delete;

    // Nullopt when the bytes hold no readable JPEG header or the picture is beyond
    // kMaxPictureSide / kMaxPicturePixels. The next decode, when it is of the same bytes (same
    // address and size, unchanged in between), takes this header instead of reading it again.
    std::optional<JpegHeader> readHeader(const std::uint8_t *data, std::size_t size);

    // The size of a picture decoded at 1/`reduction` (1, 2, 4 or 8): sides round up.
    static QSize reducedSize(QSize picture, int reduction);

    // Decodes at 1/`reduction` into B, G, R, 0xFF pixels (QImage::Format_RGB32 rows), `stride`
    // bytes apart; `out` must hold reducedSize() rows. `fastTransform` takes the decoder's faster,
    // slightly less exact inverse transform (fine for a picture that is only shown). A stream
    // with a few damaged bytes still decodes (as every viewer shows it); false only on a real
    // error.
    bool decodeBgrx(const std::uint8_t *data, std::size_t size, int reduction, std::uint8_t *out, std::ptrdiff_t stride,
                    bool fastTransform);

    // Decodes at full size into the picture's own luma and chroma planes, without colour
    // conversion or chroma upsampling. Only for a header whose `planar` is set. (Not offered at a
    // reduction: libjpeg-turbo 2.1 widens the chroma transform of a scaled decode to upsample
    // inside it, and TurboJPEG then hands out planes with the wrong chroma.)
    bool decodePlanes(const std::uint8_t *data, std::size_t size, YuvPlanes &planes, bool fastTransform);

    // What went wrong in the last call that failed, for the log.
    QString lastError() const;

private:
    std::optional<JpegHeader> parseHeader(const std::uint8_t *data, std::size_t size);
    // The header readHeader() just read of these bytes, or a fresh read; used up either way.
    std::optional<JpegHeader> takeHeader(const std::uint8_t *data, std::size_t size);

    struct Handle;
    std::unique_ptr<Handle> handle_;
};

} // namespace platform
