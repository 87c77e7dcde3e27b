// EXIF and XMP through exiv2. Exiv2 0.27 hands images out as std::auto_ptr, so this one file
// allows deprecated declarations; nothing of exiv2 reaches any other file.
#include "picturemetadata.h"

#include "picturecodec.h"

#include <QFile>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <mutex>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

namespace platform {
namespace {

const std::string kGroup = kXmpPrefix;
const std::string kKeyStart = std::string("Xmp.") + kXmpPrefix + '.';

// Registering a namespace and starting the XMP toolkit touch global tables: once per process,
// before any other call. Exiv2's own warnings are silenced; each failure reaches our log as a value.
void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
        Exiv2::XmpProperties::registerNs(kXmpNamespaceUri, kXmpPrefix);
    });
}

QString exivError(const std::exception &e) { return QString::fromLocal8Bit(e.what()); }

// "Name[3]" of a plain text item: the sequence's name, or empty for any other path.
QString sequenceOfItem(const XmpProperty &p)
{
    if (p.kind != XmpProperty::Kind::Text || !p.path.endsWith(u']') || p.path.contains(u'/'))
        return {};
    const qsizetype open = p.path.indexOf(u'[');
    return open > 0 ? p.path.left(open) : QString();
}

Exiv2::XmpData toXmpData(const std::vector<XmpProperty> &properties)
{
    // Plain text items of a sequence go into the sequence's own array value, the form in which
    // exiv2 writes and reads back arrays of text; they are written in the order given.
    std::map<QString, std::vector<std::string>> items;
    for (const XmpProperty &p : properties)
        if (p.kind == XmpProperty::Kind::Sequence)
            items.emplace(p.path, std::vector<std::string>());
    for (const XmpProperty &p : properties)
        if (const auto it = items.find(sequenceOfItem(p)); it != items.end())
            it->second.push_back(p.value.toStdString());

    Exiv2::XmpData xmp;
    for (const XmpProperty &p : properties) {
        if (items.count(sequenceOfItem(p)))
            continue;
        const Exiv2::XmpKey key(kKeyStart + p.path.toStdString());
        if (p.kind == XmpProperty::Kind::Sequence && !items[p.path].empty()) {
            Exiv2::XmpArrayValue array(Exiv2::xmpSeq);
            for (const std::string &item : items[p.path])
                array.read(item);
            xmp.add(key, &array);
            continue;
        }
        Exiv2::XmpTextValue value(p.kind == XmpProperty::Kind::Text ? p.value.toStdString() : std::string());
        if (p.kind == XmpProperty::Kind::Sequence)
            value.setXmpArrayType(Exiv2::XmpValue::xaSeq);
        else if (p.kind == XmpProperty::Kind::Structure)
            value.setXmpStruct();
        xmp.add(key, &value);
    }
    return xmp;
}

// Our properties of decoded XMP, each with the kind it really has.
void fromXmpData(const Exiv2::XmpData &xmp, MetadataRead &out)
{
    for (const Exiv2::Xmpdatum &d : xmp) {
        if (d.groupName() != kGroup)
            continue;
        if (out.metadata.properties.size() >= kMaxXmpProperties) {
            out.error = QStringLiteral("more than %1 XMP properties").arg(kMaxXmpProperties);
            out.metadata.properties.clear();
            return;
        }
        XmpProperty p;
        const std::string key = d.key();
        p.path = QString::fromStdString(key.substr(kKeyStart.size()));
        const auto *value = dynamic_cast<const Exiv2::XmpValue *>(&d.value());
        if (!value) {
            p.kind = XmpProperty::Kind::Unknown;
        } else if (value->xmpStruct() == Exiv2::XmpValue::xsStruct) {
            p.kind = XmpProperty::Kind::Structure;
        } else if (value->typeId() == Exiv2::xmpSeq) {
            // An array of plain text: the sequence, then its items as "Name[1]", "Name[2]"...
            p.kind = XmpProperty::Kind::Sequence;
            const long count = value->count();
            if (std::size_t(count) >= kMaxXmpProperties - out.metadata.properties.size()) {
                out.error = QStringLiteral("more than %1 XMP properties").arg(kMaxXmpProperties);
                out.metadata.properties.clear();
                return;
            }
            const QString path = p.path;
            out.metadata.properties.push_back(std::move(p));
            for (long i = 0; i < count; ++i)
                out.metadata.properties.push_back({path + u'[' + QString::number(i + 1) + u']', XmpProperty::Kind::Text,
                                                   QString::fromStdString(value->toString(i))});
            continue;
        } else if (value->typeId() == Exiv2::xmpText && value->xmpArrayType() == Exiv2::XmpValue::xaSeq) {
            p.kind = XmpProperty::Kind::Sequence;
        } else if (value->typeId() == Exiv2::xmpText && value->xmpArrayType() == Exiv2::XmpValue::xaNone) {
            p.kind = XmpProperty::Kind::Text;
            p.value = QString::fromStdString(value->toString());
        } else {
            p.kind = XmpProperty::Kind::Unknown;
        }
        out.metadata.properties.push_back(std::move(p));
    }
}

// The simplest fraction within a few parts in 10^12 of `value` whose terms fit 32 bits: the first
// convergent of its continued fraction that close, else the closest convergent that fits. So
// 5000 pixels per centimetre, which reaches here as 4999.999999999999 or 5000.000000000001 after
// the decimal arithmetic, is written 5000/1, and 7812.5 is 15625/2.
Exiv2::URational toRational(double value)
{
    constexpr double kMax = double(std::numeric_limits<std::uint32_t>::max());
    if (!(value > 0) || !std::isfinite(value))
        return {0, 1};
    if (value >= kMax)
        return {std::numeric_limits<std::uint32_t>::max(), 1};
    // Convergents h/k: h(n) = a(n) h(n-1) + h(n-2), k likewise, from h(-1) = 1, k(-1) = 0.
    double hPrev = 1, kPrev = 0, h = std::floor(value), k = 1;
    double rest = value - h;
    while (std::abs(h / k - value) > value * 1e-12 && rest > 0) {
        const double inverse = 1.0 / rest;
        const double a = std::floor(inverse);
        const double hNext = a * h + hPrev, kNext = a * k + kPrev;
        if (hNext > kMax || kNext > kMax)
            break;
        hPrev = h;
        kPrev = k;
        h = hNext;
        k = kNext;
        rest = inverse - a;
    }
    return {std::uint32_t(h), std::uint32_t(k)};
}

double fromRational(const Exiv2::Exifdatum &d)
{
    if (d.count() < 1)
        return 0;
    const Exiv2::Rational r = d.toRational(0);
    if (r.second == 0 || r.first <= 0)
        return 0;
    return double(r.first) / double(r.second);
}

} // namespace

int pelsPerMetre(double pixelsPerCm)
{
    if (!(pixelsPerCm > 0) || !std::isfinite(pixelsPerCm))
        return 0;
    return int(std::min(std::round(pixelsPerCm * 100.0), double(std::numeric_limits<std::int32_t>::max())));
}

QByteArray encodeXmpPacket(const std::vector<XmpProperty> &properties, QString *error)
{
    initialiseOnce();
    try {
        std::string packet;
        if (Exiv2::XmpParser::encode(packet, toXmpData(properties), Exiv2::XmpParser::useCompactFormat) != 0) {
            if (error)
                *error = QStringLiteral("XMP packet could not be encoded");
            return {};
        }
        return QByteArray::fromStdString(packet);
    } catch (const std::exception &e) {
        if (error)
            *error = exivError(e);
    }
    return {};
}

MetadataRead decodeXmpPacket(QByteArrayView packet)
{
    initialiseOnce();
    MetadataRead out;
    if (packet.size() > kMaxXmpPacketBytes) {
        out.error = QStringLiteral("XMP packet of %1 bytes").arg(packet.size());
        return out;
    }
    try {
        Exiv2::XmpData xmp;
        if (Exiv2::XmpParser::decode(xmp, std::string(packet.data(), std::size_t(packet.size()))) != 0) {
            out.error = QStringLiteral("XMP packet could not be parsed");
            return out;
        }
        fromXmpData(xmp, out);
    } catch (const std::exception &e) {
        out.error = exivError(e);
        out.metadata.properties.clear();
    }
    return out;
}

std::optional<QByteArray> embedJpegMetadata(QByteArrayView jpeg, const PictureMetadata &metadata, QString *error)
{
    initialiseOnce();
    try {
        Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(jpeg.data()), long(jpeg.size()));
        if (!image.get() || image->imageType() != Exiv2::ImageType::jpeg) {
            if (error)
                *error = QStringLiteral("not a JPEG");
            return std::nullopt;
        }
        if (metadata.hasResolution()) {
            Exiv2::ExifData exif;
            exif["Exif.Image.XResolution"] = toRational(metadata.pixelsPerCmX);
            exif["Exif.Image.YResolution"] = toRational(metadata.pixelsPerCmY);
            exif["Exif.Image.ResolutionUnit"] = std::uint16_t(3);   // centimetres
            image->setExifData(exif);
        }
        if (!metadata.properties.empty())
            image->setXmpData(toXmpData(metadata.properties));
        image->writeMetadata();
        Exiv2::BasicIo &io = image->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const long size = long(io.size());
        QByteArray out(size, Qt::Uninitialized);
        if (io.read(reinterpret_cast<Exiv2::byte *>(out.data()), size) != size) {
            if (error)
                *error = QStringLiteral("metadata could not be written");
            return std::nullopt;
        }
        return out;
    } catch (const std::exception &e) {
        if (error)
            *error = exivError(e);
    }
    return std::nullopt;
}

qsizetype jpegMetadataInsertPoint(QByteArrayView jpeg)
{
    const auto *d = reinterpret_cast<const unsigned char *>(jpeg.data());
    if (jpeg.size() < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return 0;
    if (jpeg.size() >= 6 && d[2] == 0xFF && d[3] == 0xE0) {
        const qsizetype end = 4 + ((qsizetype(d[4]) << 8) | d[5]);
        return end <= jpeg.size() ? end : 0;
    }
    return 2;
}

std::optional<QByteArray> jpegMetadataSegments(const PictureMetadata &metadata, QString *error)
{
    // An 8 x 8 grey picture: exiv2 rewrites a few hundred bytes instead of the whole picture.
    static const QByteArray standIn = [] {
        Bitmap b(8, 8);
        b.fill(0x808080);
        return encodeJpeg(b);
    }();
    const std::optional<QByteArray> tagged = embedJpegMetadata(standIn, metadata, error);
    if (!tagged)
        return std::nullopt;
    // Every APP1 segment before the frame starts.
    QByteArray segments;
    const auto *d = reinterpret_cast<const unsigned char *>(tagged->constData());
    qsizetype pos = 2;
    while (pos + 4 <= tagged->size() && d[pos] == 0xFF && d[pos + 1] != 0xDA) {
        const qsizetype length = (qsizetype(d[pos + 2]) << 8) | d[pos + 3];
        if (pos + 2 + length > tagged->size())
            break;
        if (d[pos + 1] == 0xE1)
            segments.append(tagged->constData() + pos, 2 + length);
        pos += 2 + length;
    }
    if (segments.isEmpty() && !metadata.empty()) {
        if (error)
            *error = QStringLiteral("no metadata segments");
        return std::nullopt;
    }
    return segments;
}

MetadataRead readJpegMetadata(QByteArrayView jpeg)
{
    initialiseOnce();
    MetadataRead out;
    try {
        Exiv2::Image::AutoPtr image =
            Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(jpeg.data()), long(jpeg.size()));
        if (!image.get() || image->imageType() != Exiv2::ImageType::jpeg) {
            out.error = QStringLiteral("not a JPEG");
            return out;
        }
        image->readMetadata();
        const Exiv2::ExifData &exif = image->exifData();
        const auto x = exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution"));
        const auto y = exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution"));
        const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
        if (x != exif.end() && y != exif.end()) {
            // Unit 3 is centimetres; 2 (and a missing unit) inches.
            const double perCm = (unit != exif.end() && unit->count() > 0 && unit->toLong(0) == 3) ? 1.0 : 1.0 / 2.54;
            out.metadata.pixelsPerCmX = fromRational(*x) * perCm;
            out.metadata.pixelsPerCmY = fromRational(*y) * perCm;
        }
        if (image->xmpPacket().size() > std::size_t(kMaxXmpPacketBytes)) {
            out.error = QStringLiteral("XMP packet of %1 bytes").arg(image->xmpPacket().size());
            return out;
        }
        fromXmpData(image->xmpData(), out);
        if (out.metadata.properties.empty() && out.error.isEmpty() && !image->xmpPacket().empty()
            && image->xmpData().empty())
            out.error = QStringLiteral("XMP packet could not be parsed");
    } catch (const std::exception &e) {
        out.error = exivError(e);
        out.metadata.properties.clear();
    }
    return out;
}

MetadataRead readJpegMetadataFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        MetadataRead out;
        out.error = QStringLiteral("cannot open ") + path;
        return out;
    }
    // Pictures are bounded by the decoder's size limits; a file far larger is no picture of ours.
    const QByteArray bytes = file.read(qint64(512) * 1024 * 1024);
    return readJpegMetadata(bytes);
}

} // namespace platform

#pragma GCC diagnostic pop
