// Calibration and shapes inside saved pictures: the BMP resolution, the JPEG EXIF resolution
// (read by exiv2 and by our own marker walk), the XMP shapes through real files, and packets that
// are damaged or hostile.
#include "measure/measurementpacket.h"

#include "platform/picturecodec.h"
#include "platform/picturemetadata.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using platform::XmpProperty;
using Kind = XmpProperty::Kind;

namespace {

platform::Bitmap gradient(int w, int h)
{
    platform::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, platform::rgbColor(x & 0xFF, y & 0xFF, (x + y) & 0xFF));
    return b;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// 1.00 mm x 0.75 mm over the whole picture.
scales::RulerScaleControl smallScale()
{
    scales::RulerScaleControl s;
    s.name = QStringLiteral("Stage 1 mm");
    scales::setLengthsFromMillimetreSpin(s, 100, 75);
    return s;
}

measure::HistoryNode node(measure::ShapeKind kind, std::vector<measure::MeasurePoint> points, int number, int item = 1)
{
    measure::HistoryNode n;
    n.shape.kind = kind;
    n.shape.colour = 0x00FF00;
    n.shape.penStyle = 2;
    n.shape.penWidth = 1;
    n.labels.counter = number;
    n.labels.precision = 2;
    n.labels.circleItem = item;
    if (kind == measure::ShapeKind::Polygon) {
        std::copy(points.begin(), points.end(), n.shape.polygon.begin());
        n.shape.polygonCount = int(points.size()) - 1;
        n.shape.polygon[points.size()] = points.front();
        n.shape.a = points.front();
        n.shape.b = points.back();
    } else if (kind == measure::ShapeKind::ThreePointsAngle) {
        n.shape.a = points[0];
        n.shape.b = points[1];
        n.shape.c = points[2];
        n.shape.d = points[3];
    } else {
        n.shape.a = points[0];
        n.shape.b = points[1];
    }
    return n;
}

std::vector<measure::HistoryNode> someShapes()
{
    using measure::ShapeKind;
    return {node(ShapeKind::Line, {{10, 10}, {110, 10}}, 1),
            node(ShapeKind::TwoPointsCircle, {{400, 300}, {450.5f, 320}}, 2, 2),
            node(ShapeKind::ThreePointsAngle, {{100, 100}, {200, 100}, {200, 100}, {200, 300}}, 3),
            node(ShapeKind::Polygon, {{10, 500}, {300, 500}, {300, 1100}, {1599, 1199}}, 4)};
}

// Our own walk to the EXIF IFD0 resolution entries: a second reader besides exiv2.
struct ExifResolution {
    double x = 0, y = 0;
    int unit = 0;
    std::pair<quint32, quint32> xRational, yRational;   // as stored: numerator, denominator
};
std::optional<ExifResolution> exifResolutionByMarkers(const QByteArray &jpeg)
{
    const auto *d = reinterpret_cast<const uchar *>(jpeg.constData());
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && d[pos] == 0xFF) {
        const int marker = d[pos + 1];
        const int length = qFromBigEndian<quint16>(d + pos + 2);
        if (marker == 0xE1 && jpeg.mid(pos + 4, 6) == QByteArray("Exif\0\0", 6)) {
            const uchar *tiff = d + pos + 10;
            const bool little = tiff[0] == 'I';
            auto u16 = [little](const uchar *p) { return little ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p); };
            auto u32 = [little](const uchar *p) { return little ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p); };
            const uchar *ifd = tiff + u32(tiff + 4);
            ExifResolution r;
            for (int i = 0, n = u16(ifd); i < n; ++i) {
                const uchar *e = ifd + 2 + 12 * i;
                const int tag = u16(e);
                if (tag == 0x011A || tag == 0x011B) {
                    const uchar *v = tiff + u32(e + 8);
                    (tag == 0x011A ? r.x : r.y) = double(u32(v)) / double(u32(v + 4));
                    (tag == 0x011A ? r.xRational : r.yRational) = {u32(v), u32(v + 4)};
                } else if (tag == 0x0128) {
                    r.unit = u16(e + 8);
                }
            }
            return r;
        }
        if (marker == 0xDA)
            break;
        pos += 2 + length;
    }
    return std::nullopt;
}

measure::MeasurementPacket packet1600(std::vector<measure::HistoryNode> shapes = someShapes())
{
    return *measure::packetFor(smallScale(), QSize(1600, 1200), std::move(shapes), 12.5, 3.25);
}

} // namespace

TEST(PictureCalibration, BmpCarriesThePixelsPerMetreOfTheScale)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    ASSERT_TRUE(platform::writeBmpFile(path, gradient(1600, 1200), measure::toMetadata(packet1600())).ok());
    const QByteArray bytes = fileBytes(path);
    // 1.00 mm over 1600 pixels: 1 600 000 pixels per metre; 0.75 mm over 1200 likewise.
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 38), 1600000);
    EXPECT_EQ(qFromLittleEndian<qint32>(bytes.constData() + 42), 1600000);
    EXPECT_TRUE(platform::readPictureFile(path).ok());

    // A cut-out of the measured picture keeps the pixel size of the whole.
    const auto cut = measure::packetFor(smallScale(), QSize(800, 300), {}, 0, 0, QSize(1600, 1200));
    ASSERT_TRUE(cut);
    EXPECT_EQ(platform::pelsPerMetre(measure::toMetadata(*cut).pixelsPerCmX), 1600000);
    EXPECT_EQ(platform::pelsPerMetre(measure::toMetadata(*cut).pixelsPerCmY), 1600000);
}

TEST(PictureCalibration, JpegExifResolutionReadsBackAsTheScaleWithTwoReaders)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.jpg");
    ASSERT_TRUE(platform::writeJpegFile(path, gradient(1600, 1200), 90, measure::toMetadata(packet1600())).ok());
    // exiv2: 16 000 pixels per centimetre, no clipping at microscope densities.
    const platform::MetadataRead read = platform::readJpegMetadataFile(path);
    EXPECT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_DOUBLE_EQ(read.metadata.pixelsPerCmX, 16000.0);
    EXPECT_DOUBLE_EQ(read.metadata.pixelsPerCmY, 16000.0);
    // Our own marker walk: the same rationals and unit 3 (centimetres).
    const auto byMarkers = exifResolutionByMarkers(fileBytes(path));
    ASSERT_TRUE(byMarkers);
    EXPECT_DOUBLE_EQ(byMarkers->x, 16000.0);
    EXPECT_DOUBLE_EQ(byMarkers->y, 16000.0);
    EXPECT_EQ(byMarkers->unit, 3);
    // And the picture still decodes as before.
    const platform::DecodedPicture decoded = platform::readPictureFile(path);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.bitmap.size(), QSize(1600, 1200));
}

// 1.00 mm calibrated over 500 px: a 640 x 480 picture covers 1.28 mm x 0.96 mm, which the scale
// keeps as floats. The file still says 0.002 mm per pixel and exactly 5000 pixels per centimetre.
TEST(PictureCalibration, NumbersInTheFileAreTheCalibratedOnes)
{
    scales::RulerScaleControl scale;
    scale.name = QStringLiteral("Calibrated");
    scales::setLengthsFromLength(scale, scales::ScaleUnit::Millimetre, 1.28, 0.96);
    ASSERT_EQ(scale.hLength, 1.28f);
    const auto packet = measure::packetFor(scale, QSize(640, 480), {}, 0, 0);
    ASSERT_TRUE(packet);
    QTemporaryDir dir;
    const QString path = dir.filePath("c.jpg");
    ASSERT_TRUE(platform::writeJpegFile(path, gradient(640, 480), 90, measure::toMetadata(*packet)).ok());

    const auto byMarkers = exifResolutionByMarkers(fileBytes(path));
    ASSERT_TRUE(byMarkers);
    EXPECT_EQ(byMarkers->xRational, (std::pair<quint32, quint32>{5000, 1}));
    EXPECT_EQ(byMarkers->yRational, (std::pair<quint32, quint32>{5000, 1}));
    EXPECT_EQ(byMarkers->unit, 3);

    const platform::MetadataRead read = platform::readJpegMetadataFile(path);
    QString width, height;
    for (const XmpProperty &p : read.metadata.properties) {
        if (p.path == "PixelWidth")
            width = p.value;
        if (p.path == "PixelHeight")
            height = p.value;
    }
    EXPECT_EQ(width, "0.002");
    EXPECT_EQ(height, "0.002");
}

TEST(PictureCalibration, ResolutionRationalsAreTheSimplestExactFractions)
{
    struct Row { double pixelsPerCm; std::pair<quint32, quint32> expected; };
    const Row rows[] = {
        {4999.999999999999, {5000, 1}}, {5000.000000000001, {5000, 1}}, {7812.5, {15625, 2}},
        {16000.0, {16000, 1}}, {1.0 / 3.0, {1, 3}}, {393.7007874015748, {50000, 127}},   // 1000 dpi
    };
    QTemporaryDir dir;
    for (const Row &r : rows) {
        platform::PictureMetadata m;
        m.pixelsPerCmX = m.pixelsPerCmY = r.pixelsPerCm;
        const QString path = dir.filePath("r.jpg");
        ASSERT_TRUE(platform::writeJpegFile(path, gradient(16, 16), 90, m).ok());
        const auto byMarkers = exifResolutionByMarkers(fileBytes(path));
        ASSERT_TRUE(byMarkers);
        EXPECT_EQ(byMarkers->xRational, r.expected) << r.pixelsPerCm;
    }
}

TEST(PictureCalibration, PicturesWithoutAScaleAreByteForByteThePlainFiles)
{
    scales::RulerScaleControl none;   // no lengths: nothing to calibrate with
    EXPECT_FALSE(measure::packetFor(none, QSize(640, 480), someShapes(), 0, 0));
    QTemporaryDir dir;
    const platform::Bitmap picture = gradient(640, 480);
    ASSERT_TRUE(platform::writeJpegFile(dir.filePath("m.jpg"), picture, 90, platform::PictureMetadata{}).ok());
    EXPECT_EQ(fileBytes(dir.filePath("m.jpg")), platform::encodeJpeg(picture, 90));
    ASSERT_TRUE(platform::writeBmpFile(dir.filePath("m.bmp"), picture, platform::PictureMetadata{}).ok());
    const QByteArray bmp = fileBytes(dir.filePath("m.bmp"));
    EXPECT_TRUE(bmp.startsWith(platform::encodeBmpHeader(640, 480)));
    EXPECT_EQ(qFromLittleEndian<qint32>(bmp.constData() + 38), 3780);   // 96 dpi, as always
    EXPECT_TRUE(platform::readJpegMetadataFile(dir.filePath("m.jpg")).metadata.empty());
}

TEST(PictureShapes, SurviveAJpegFileWithTheirPointsLabelsAndScale)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.jpg");
    const measure::MeasurementPacket saved = packet1600();
    ASSERT_TRUE(platform::writeJpegFile(path, gradient(1600, 1200), 90, measure::toMetadata(saved)).ok());
    const platform::MetadataRead read = platform::readJpegMetadataFile(path);
    const measure::PacketRead back = measure::parsePacket(read.metadata.properties, QSize(1600, 1200));
    ASSERT_TRUE(back.packet) << back.error.toStdString();
    EXPECT_EQ(back.packet->scaleName, "Stage 1 mm");
    EXPECT_EQ(back.packet->unit, scales::ScaleUnit::Millimetre);
    EXPECT_DOUBLE_EQ(back.packet->pixelWidth, 0.000625);
    EXPECT_DOUBLE_EQ(back.packet->screenMagnification, 12.5);
    ASSERT_EQ(back.packet->shapes.size(), saved.shapes.size());
    for (std::size_t i = 0; i < saved.shapes.size(); ++i) {
        const measure::ShapeDraft &a = saved.shapes[i].shape, &b = back.packet->shapes[i].shape;
        EXPECT_EQ(b.kind, a.kind);
        EXPECT_EQ(b.a, a.a);
        EXPECT_EQ(b.b, a.b);
        EXPECT_EQ(b.colour, a.colour);
        EXPECT_EQ(b.penStyle, a.penStyle);
        EXPECT_EQ(back.packet->shapes[i].labels.counter, saved.shapes[i].labels.counter);
        EXPECT_EQ(back.packet->shapes[i].labels.precision, 2);
    }
    EXPECT_EQ(back.packet->shapes[1].labels.circleItem, 2);   // the circle's area label
    EXPECT_EQ(back.packet->shapes[2].shape.d, (measure::MeasurePoint{200, 300}));
    const measure::ShapeDraft &polygon = back.packet->shapes[3].shape;
    EXPECT_EQ(polygon.polygonCount, 3);
    EXPECT_EQ(polygon.polygon[3], (measure::MeasurePoint{1599, 1199}));
    EXPECT_EQ(polygon.polygon[4], polygon.polygon[0]);   // closes on A

    // The scale it names: 1.00 mm x 0.75 mm, not 0.99 from rounding.
    const scales::RulerScaleControl scale = measure::scaleFromPacket(*back.packet);
    EXPECT_EQ(scale.name, "Stage 1 mm");
    EXPECT_EQ(scale.spinValues[0].horizontal, 100);
    EXPECT_EQ(scale.spinValues[0].vertical, 75);
}

namespace {

std::vector<XmpProperty> goodProperties() { return measure::toMetadata(packet1600()).properties; }

XmpProperty *findProperty(std::vector<XmpProperty> &all, const QString &path)
{
    for (XmpProperty &p : all)
        if (p.path == path)
            return &p;
    return nullptr;
}

// The fields of one shape are "Key=value" pairs joined by ';' in the text item Shapes[index].
void setShapeField(std::vector<XmpProperty> &all, int index, const QString &key, const QString &value)
{
    XmpProperty *item = findProperty(all, QStringLiteral("Shapes[%1]").arg(index));
    ASSERT_NE(item, nullptr);
    QStringList fields = item->value.split(u';');
    for (QString &f : fields)
        if (f.startsWith(key + u'='))
            f = key + u'=' + value;
    item->value = fields.join(u';');
}

void dropShapeField(std::vector<XmpProperty> &all, int index, const QString &key)
{
    XmpProperty *item = findProperty(all, QStringLiteral("Shapes[%1]").arg(index));
    ASSERT_NE(item, nullptr);
    QStringList fields = item->value.split(u';');
    fields.removeIf([&](const QString &f) { return f.startsWith(key + u'='); });
    item->value = fields.join(u';');
}

void expectRefused(const std::vector<XmpProperty> &properties, const char *why)
{
    const measure::PacketRead r = measure::parsePacket(properties, QSize(1600, 1200));
    EXPECT_FALSE(r.packet) << why;
    EXPECT_FALSE(r.error.isEmpty()) << why;
}

} // namespace

TEST(PictureShapes, DamagedOrHostilePacketsAreRefusedWithAReason)
{
    {
        auto p = goodProperties();
        p.push_back({QStringLiteral("Shapes[999999999]"), Kind::Structure, {}});
        expectRefused(p, "a huge shape count");
    }
    {
        auto p = goodProperties();
        findProperty(p, "Shapes")->kind = Kind::Text;
        expectRefused(p, "shapes that are no sequence");
    }
    {
        auto p = goodProperties();
        findProperty(p, "Shapes[2]")->kind = Kind::Structure;
        expectRefused(p, "a shape of the wrong type");
    }
    {
        auto p = goodProperties();
        setShapeField(p, 2, "Points", QStringLiteral("400,300 1601,10"));
        expectRefused(p, "a point outside the picture");
    }
    {
        auto p = goodProperties();
        setShapeField(p, 2, "Points", QStringLiteral("nan,3 4,5"));
        expectRefused(p, "a coordinate that is no number");
    }
    {
        auto p = goodProperties();
        setShapeField(p, 2, "Points", QStringLiteral("1,1"));
        expectRefused(p, "a circle of one point");
    }
    {
        auto p = goodProperties();
        QString many;
        for (int i = 0; i < 70; ++i)
            many += QStringLiteral("1,1 ");
        setShapeField(p, 4, "Points", many);
        expectRefused(p, "a polygon of more points than a list holds");
    }
    {
        auto p = goodProperties();
        setShapeField(p, 2, "Tool", QStringLiteral("17"));
        expectRefused(p, "an unknown tool");
    }
    {
        auto p = goodProperties();
        setShapeField(p, 2, "Item", QStringLiteral("9"));
        expectRefused(p, "a label item the tool does not have");
    }
    {
        auto p = goodProperties();
        dropShapeField(p, 2, "Number");
        expectRefused(p, "a missing field");
    }
    {
        auto p = goodProperties();
        findProperty(p, "Shapes[2]")->value += QStringLiteral(";Tool=1");
        expectRefused(p, "a repeated field");
    }
    {
        auto p = goodProperties();
        findProperty(p, "Shapes[2]")->value += QStringLiteral(";garbage");
        expectRefused(p, "a field that is no Key=value");
    }
    {
        auto p = goodProperties();
        findProperty(p, "Shapes[2]")->value += QString(u';') + QString(20000, u'x') + QStringLiteral("=1");
        expectRefused(p, "a shape text longer than any shape needs");
    }
    {
        auto p = goodProperties();
        std::erase_if(p, [](const XmpProperty &x) { return x.path.startsWith("Shapes[3]"); });
        expectRefused(p, "a gap in the sequence (a truncated packet)");
    }
    {
        auto p = goodProperties();
        findProperty(p, "PixelWidth")->value = QStringLiteral("-1");
        expectRefused(p, "a negative pixel size");
    }
    {
        auto p = goodProperties();
        findProperty(p, "Unit")->value = QStringLiteral("furlong");
        expectRefused(p, "an unknown unit");
    }
    // Another picture size: the points would land elsewhere.
    EXPECT_FALSE(measure::parsePacket(goodProperties(), QSize(640, 480)).packet);
    // No properties of ours is simply no packet.
    const measure::PacketRead none = measure::parsePacket({}, QSize(640, 480));
    EXPECT_FALSE(none.packet);
    EXPECT_TRUE(none.error.isEmpty());
}

TEST(PictureShapes, TruncatedAndForeignPacketBytesNeverCrashAndYieldNothing)
{
    const QByteArray packet = platform::encodeXmpPacket(goodProperties());
    ASSERT_FALSE(packet.isEmpty());
    const platform::MetadataRead whole = platform::decodeXmpPacket(packet);
    ASSERT_TRUE(whole.error.isEmpty()) << whole.error.toStdString();
    EXPECT_TRUE(measure::parsePacket(whole.metadata.properties, QSize(1600, 1200)).packet);
    // Cut anywhere, the packet either fails to parse or is refused; nothing crashes.
    for (qsizetype cut = 0; cut < packet.size(); cut += 97) {
        const platform::MetadataRead r = platform::decodeXmpPacket(packet.first(cut));
        const measure::PacketRead p = measure::parsePacket(r.metadata.properties, QSize(1600, 1200));
        if (p.packet) {
            EXPECT_LE(p.packet->shapes.size(), 4u);
        }
    }
    EXPECT_FALSE(platform::decodeXmpPacket(QByteArray(70000, 'x')).error.isEmpty());
    EXPECT_TRUE(platform::decodeXmpPacket(QByteArray("<x:xmpmeta")).metadata.properties.empty());

    // A JPEG whose XMP segment was overwritten in the middle still decodes; its packet is refused
    // or absent.
    QTemporaryDir dir;
    const QString path = dir.filePath("d.jpg");
    ASSERT_TRUE(platform::writeJpegFile(path, gradient(320, 240), 90,
                                        measure::toMetadata(*measure::packetFor(smallScale(), QSize(320, 240), {}, 0, 0)))
                    .ok());
    QByteArray bytes = fileBytes(path);
    const qsizetype at = bytes.indexOf("ScaleName");
    ASSERT_GT(at, 0);
    bytes.replace(at, 40, QByteArray(40, '\xFF'));
    const platform::MetadataRead damaged = platform::readJpegMetadata(bytes);
    EXPECT_FALSE(measure::parsePacket(damaged.metadata.properties, QSize(320, 240)).packet);
    EXPECT_TRUE(platform::decodeJpeg(bytes).ok());
    // Not a JPEG at all.
    EXPECT_FALSE(platform::readJpegMetadata(QByteArray("BM123")).error.isEmpty());
}

TEST(PictureShapes, TheFuzzSeedsReadAsTheirNamesSay)
{
    const QString seeds = QStringLiteral(SENDRA_SOURCE_DIR "/tests/fuzz/corpus/xmp/");
    const auto parse = [&](const char *name) {
        return measure::parsePacket(platform::decodeXmpPacket(fileBytes(seeds + name)).metadata.properties,
                                    QSize(1600, 1200));
    };
    const measure::PacketRead good = parse("two-shapes.xmp");
    ASSERT_TRUE(good.packet) << good.error.toStdString();
    ASSERT_EQ(good.packet->shapes.size(), 2u);
    EXPECT_EQ(good.packet->shapes[1].shape.kind, measure::ShapeKind::Polygon);
    EXPECT_EQ(good.packet->shapes[1].labels.squareItem, 2);
    EXPECT_FALSE(good.packet->shapes[1].labels.displayUnit);
    const measure::PacketRead scaleOnly = parse("scale-only.xmp");
    ASSERT_TRUE(scaleOnly.packet);
    EXPECT_TRUE(scaleOnly.packet->shapes.empty());
    EXPECT_FALSE(parse("point-outside.xmp").packet);
    EXPECT_FALSE(parse("wrong-type.xmp").packet);
    EXPECT_FALSE(parse("truncated.xmp").packet);
}
