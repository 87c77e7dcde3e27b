#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace platform {

// The program's own XMP namespace; its properties carry the calibration and the shapes.
inline constexpr char kXmpNamespaceUri[] = "http://sendra-cam.org/ns/measure/1.0/";
inline constexpr char kXmpPrefix[] = "sendracam";

// One property of our namespace by its path below it: "ScaleName", "Shapes", "Shapes[2]",
// "Shapes[2]/sendracam:Tool". Arrays are ordered sequences; their items are structures.
struct XmpProperty {
    enum class Kind { Unknown, Text, Sequence, Structure };
    QString path;
    Kind kind = Kind::Unknown;
    QString value;   // Text only
    bool operator==(const XmpProperty &) const = default;
};

// What a saved picture says about itself beyond its pixels.
struct PictureMetadata {
    double pixelsPerCmX = 0;   // 0: no resolution is written
    double pixelsPerCmY = 0;
    std::vector<XmpProperty> properties;
    bool hasResolution() const { return pixelsPerCmX > 0 && pixelsPerCmY > 0; }
    bool empty() const { return !hasResolution() && properties.empty(); }
};

// A picture's metadata as read back. `error` says why nothing (or only part) could be read.
struct MetadataRead {
    PictureMetadata metadata;
    QString error;
};

// The packet reader refuses more properties than this: a packet of our own never comes close.
inline constexpr std::size_t kMaxXmpProperties = 20000;
// Nor is a packet larger than a JPEG segment can hold read at all.
inline constexpr qsizetype kMaxXmpPacketBytes = 65502;

// EXIF XResolution/YResolution (pixels per centimetre, ResolutionUnit 3) and our XMP properties
// put into JPEG bytes; none on failure, with the reason in `error`.
std::optional<QByteArray> embedJpegMetadata(QByteArrayView jpeg, const PictureMetadata &metadata, QString *error = nullptr);
// The same metadata as ready JPEG segments (EXIF and XMP APP1, markers included), made by exiv2 on
// a small stand-in picture: a large picture then takes them without being copied through exiv2.
std::optional<QByteArray> jpegMetadataSegments(const PictureMetadata &metadata, QString *error = nullptr);
// Where metadata segments go in a JPEG: after SOI and a JFIF APP0 segment; 0 when `jpeg` is no JPEG.
qsizetype jpegMetadataInsertPoint(QByteArrayView jpeg);
// The resolution and our XMP properties of JPEG bytes. Never throws; damage ends up in `error`.
MetadataRead readJpegMetadata(QByteArrayView jpeg);
MetadataRead readJpegMetadataFile(const QString &path);

// An XMP packet of our properties, and the properties of a packet (only those of our namespace).
QByteArray encodeXmpPacket(const std::vector<XmpProperty> &properties, QString *error = nullptr);
MetadataRead decodeXmpPacket(QByteArrayView packet);

// BMP header resolution for a calibration: pixels per metre, rounded; 0 when there is none.
int pelsPerMetre(double pixelsPerCm);

} // namespace platform
