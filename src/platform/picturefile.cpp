#include "picturecodec.h"

#include <QFile>

namespace platform {

PictureKind sniffPicture(QByteArrayView head)
{
    if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M')
        return PictureKind::Bmp;
    if (head.size() >= 2 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xD8)
        return PictureKind::Jpeg;
    return PictureKind::Unknown;
}

PictureKind sniffPictureFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PictureKind::Unknown;
    return sniffPicture(file.read(2));
}

DecodedPicture readPictureFile(const QString &path, QSize maxSize, PictureKind as)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {Bitmap(), PictureError::CannotOpen, file.errorString()};
    // Mapping avoids a copy of a large file; a file that cannot be mapped is read.
    const qint64 size = file.size();
    if (size == 0)
        return {Bitmap(), PictureError::Empty, QStringLiteral("no bytes")};
    QByteArray copy;
    QByteArrayView bytes;
    if (uchar *mapped = size > 0 ? file.map(0, size) : nullptr) {
        bytes = QByteArrayView(reinterpret_cast<const char *>(mapped), size);
    } else {
        copy = file.readAll();
        bytes = copy;
    }
    const PictureKind content = sniffPicture(bytes.first(std::min<qsizetype>(2, bytes.size())));
    if (as != PictureKind::Unknown && content != PictureKind::Unknown && content != as) {
        DecodedPicture other(Bitmap(), PictureError::OtherKind, QStringLiteral("the content is the other kind"));
        other.content = content;
        return other;
    }
    if (as == PictureKind::Bmp)
        return decodeBmp(bytes);
    if (as == PictureKind::Jpeg)
        return decodeJpeg(bytes, maxSize);
    switch (content) {
    case PictureKind::Bmp:
        return decodeBmp(bytes);
    case PictureKind::Jpeg:
        return decodeJpeg(bytes, maxSize);
    case PictureKind::Unknown:
        break;
    }
    return {Bitmap(), PictureError::NotRecognised, QStringLiteral("neither BMP nor JPEG content")};
}

QString pictureErrorText(PictureError error)
{
    switch (error) {
    case PictureError::None: return QStringLiteral("no error");
    case PictureError::CannotOpen: return QStringLiteral("cannot open");
    case PictureError::Empty: return QStringLiteral("empty file");
    case PictureError::NotRecognised: return QStringLiteral("not a BMP or JPEG file");
    case PictureError::OtherKind: return QStringLiteral("the other kind of picture");
    case PictureError::Malformed: return QStringLiteral("malformed");
    case PictureError::Truncated: return QStringLiteral("truncated");
    case PictureError::TooLarge: return QStringLiteral("too large");
    case PictureError::Unsupported: return QStringLiteral("unsupported kind");
    case PictureError::WriteFailed: return QStringLiteral("write failed");
    }
    return {};
}

} // namespace platform
