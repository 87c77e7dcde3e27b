#pragma once

#include "bitmap.h"
#include "picturemetadata.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <system_error>

namespace platform {

enum class PictureError {
    None,
    CannotOpen,      // the file is missing or unreadable
    Empty,           // the file holds no byte at all
    NotRecognised,   // the content is neither "BM" nor FF D8
    OtherKind,       // read as one kind, the content is the other (`content` says which)
    Malformed,       // a header field is impossible
    Truncated,       // the header promises more pixels than the file holds
    TooLarge,        // beyond kMaxPictureSide / kMaxPicturePixels
    Unsupported,     // a valid file of a kind we do not read (RLE BMP, OS/2 header ...)
    WriteFailed,     // the disk refused the file (full, read-only, gone)
};

enum class PictureKind { Unknown, Bmp, Jpeg };

// A picture that was read, though not whole: the user is told, the picture is still shown.
enum class PictureWarning {
    None,
    Incomplete,   // the file ends before the picture does: the missing rows are grey
    Damaged,      // the decoder stepped over corrupt data; the picture may show faults
};

struct DecodedPicture {
    DecodedPicture() = default;
    DecodedPicture(Bitmap picture, PictureError why, QString what, QSize claimed = {},
                   PictureWarning warned = PictureWarning::None)
        : bitmap(std::move(picture)), error(why), detail(std::move(what)), claimedSize(claimed), warning(warned)
    {
    }
    Bitmap bitmap;
    PictureError error = PictureError::None;
    QString detail;      // for the log: what exactly was wrong
    QSize claimedSize;   // TooLarge: the size the file's header claims
    PictureWarning warning = PictureWarning::None;
    PictureKind content = PictureKind::Unknown;   // OtherKind: what the file holds
    bool ok() const { return error == PictureError::None; }
};

struct WriteResult {
    PictureError error = PictureError::None;
    std::error_code system;   // errno of the failed write, when there is one
    bool ok() const { return error == PictureError::None; }
};

// Recognition by content: a BMP starts with "BM", a JPEG with FF D8.
PictureKind sniffPicture(QByteArrayView head);
PictureKind sniffPictureFile(const QString &path);

// Reads uncompressed BMPs of 1, 4 and 8 bits (palette), 16 bits (x555, or 565/555 bit fields),
// 24 and 32 bits (plain or bit fields), bottom-up or top-down, into opaque RGB32. A palette index
// beyond the file's palette is Malformed rather than clamped; run-length files are Unsupported.
DecodedPicture decodeBmp(QByteArrayView bytes);
// Always 24-bit, bottom-up, uncompressed. Without a calibration the header says 96 dots per inch.
inline constexpr int kBmpDefaultPelsPerMetre = 3780;
QByteArray encodeBmpHeader(int width, int height, int pelsPerMetreX = kBmpDefaultPelsPerMetre,
                           int pelsPerMetreY = kBmpDefaultPelsPerMetre);
WriteResult writeBmpFile(const QString &path, const Bitmap &bitmap);
// A BMP's only metadata is its resolution: the calibration's pixels per metre, rounded.
WriteResult writeBmpFile(const QString &path, const Bitmap &bitmap, const PictureMetadata &metadata);

// JPEG quality as the quality menu offers it: 100, 90 (default) or 80.
constexpr int kDefaultJpegQuality = 90;
// `maxSize`, when valid, lets the decoder scale down by 1/2, 1/4 or 1/8 while the result still
// covers it: a thumbnail does not need a full decode of a 5-megapixel picture.
DecodedPicture decodeJpeg(QByteArrayView bytes, QSize maxSize = {});
WriteResult writeJpegFile(const QString &path, const Bitmap &bitmap, int quality = kDefaultJpegQuality);
// With EXIF resolution and XMP properties; empty metadata writes exactly what the plain call does.
// When the metadata cannot be added the plain picture is written and `warning` says why.
WriteResult writeJpegFile(const QString &path, const Bitmap &bitmap, int quality, const PictureMetadata &metadata,
                          QString *warning = nullptr);
// Baseline JPEG in memory (empty on failure).
QByteArray encodeJpeg(const Bitmap &bitmap, int quality = kDefaultJpegQuality);

// Reads a BMP or JPEG by its content, whatever its extension says; with `as` set, reads it as that
// kind only (a JPEG read as BMP is OtherKind). A file of no bytes is Empty.
DecodedPicture readPictureFile(const QString &path, QSize maxSize = {}, PictureKind as = PictureKind::Unknown);

QString pictureErrorText(PictureError error);

} // namespace platform
