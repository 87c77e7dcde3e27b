#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <system_error>

class QImage;

namespace platform {

enum class TiffCompression { Unknown, None, Deflate };

// What goes into the file besides the pixels. Resolutions are pixels per centimetre
// (ResolutionUnit 3); zero writes no resolution tags (an uncalibrated picture).
struct TiffOptions {
    TiffCompression compression = TiffCompression::Deflate;
    double xPixelsPerCm = 0;
    double yPixelsPerCm = 0;
    QByteArray description;   // ImageDescription, ASCII; empty writes none
};

// An 8-bit RGB TIFF of the picture (alpha dropped), one strip per 64 rows. Nullopt when libtiff
// refuses (a null picture, an encoder error).
std::optional<QByteArray> encodeTiff(const QImage &picture, const TiffOptions &options);

// encodeTiff, written atomically: the destination never holds a part of the file.
std::error_code writeTiff(const QString &path, const QImage &picture, const TiffOptions &options);

} // namespace platform
