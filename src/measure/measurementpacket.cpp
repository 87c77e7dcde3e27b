#include "measure/measurementpacket.h"

#include "measure/exactnumbers.h"

#include <QRegularExpression>

#include <cmath>
#include <map>

namespace measure {
namespace {

using platform::XmpProperty;
using Kind = XmpProperty::Kind;

const QString kVersion = QStringLiteral("1");
constexpr std::array<const char *, 4> kUnitNames{"mm", "inch", "um", "mil"};
constexpr int kMaxNameLength = 256;
constexpr double kMaxPixelSize = 1.0e6;
// Ten fields a shape, and two more for snapped shapes; the points of the largest list are bounded
// on their own below (twice: as stored and as snapped).
constexpr std::size_t kShapeFields = 12;
constexpr qsizetype kMaxShapeText = 2 * kMaxPolygonEntries * 2 * 40 + 400;
constexpr double kMaxResidualPx = 1.0e6;

QString number(double v) { return shortestText(v); }
QString number(float v) { return shortestText(v); }

// The points of a completed shape, in the order the kind keeps them.
std::vector<MeasurePoint> pointsOf(const ShapeDraft &s)
{
    switch (s.kind) {
    case ShapeKind::NodeLine:
        return {s.nodes.begin(), s.nodes.begin() + std::clamp(s.nodeCount, 0, kMaxListPoints - 1) + 1};
    case ShapeKind::MultiLine:
        return {s.multi.begin(), s.multi.begin() + std::clamp(s.multiCount, 0, kMaxListPoints - 1) + 1};
    case ShapeKind::Polygon:
        return {s.polygon.begin(), s.polygon.begin() + std::clamp(s.polygonCount, 0, kMaxPolygonEntries - 2) + 1};
    default:
        if (usesCAndD(s.kind))
            return {s.a, s.b, s.c, s.d};
        return {s.a, s.b};
    }
}

// The label item that decides what the shape's label shows.
std::int32_t &itemOf(LabelSettings &l, ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::ThreePointsCircle:
    case ShapeKind::EdgeCircle:
        return l.circleItem;
    case ShapeKind::Ellipse:
        return l.ellipseItem;
    case ShapeKind::Square:
    case ShapeKind::Rectangle:
    case ShapeKind::Polygon:
        return l.squareItem;
    case ShapeKind::Arc:
        return l.arcItem;
    case ShapeKind::Arch:
        return l.archItem;
    default:
        return l.lineItem;
    }
}

int maxItem(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::TwoPointsCircle:
    case ShapeKind::ThreePointsCircle:
    case ShapeKind::EdgeCircle:
    case ShapeKind::Ellipse:
        return 4;
    case ShapeKind::Square:
    case ShapeKind::Rectangle:
    case ShapeKind::Polygon:
        return 2;
    case ShapeKind::Arc:
        return 5;
    case ShapeKind::Arch:
        return 6;
    default:
        return 1;
    }
}

struct Fault {
    QString why;
};

std::optional<long long> toInteger(const QString &text, long long low, long long high)
{
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

std::optional<double> toReal(const QString &text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Text properties by path, with everything else checked on the way in.
class Properties
{
public:
    explicit Properties(const std::vector<XmpProperty> &all)
    {
        for (const XmpProperty &p : all)
            byPath_.emplace(p.path, &p);
    }
    bool empty() const { return byPath_.empty(); }
    const XmpProperty *find(const QString &path) const
    {
        const auto it = byPath_.find(path);
        return it == byPath_.end() ? nullptr : it->second;
    }
    QString text(const QString &path) const
    {
        const XmpProperty *p = find(path);
        if (!p)
            throw Fault{path + QStringLiteral(" is missing")};
        if (p->kind != Kind::Text)
            throw Fault{path + QStringLiteral(" is not a text")};
        return p->value;
    }
    std::optional<QString> optionalText(const QString &path) const
    {
        return find(path) ? std::optional<QString>(text(path)) : std::nullopt;
    }
    long long integer(const QString &path, long long low, long long high) const
    {
        const auto v = toInteger(text(path), low, high);
        if (!v)
            throw Fault{path + QStringLiteral(" is not a whole number in %1..%2").arg(low).arg(high)};
        return *v;
    }
    double real(const QString &path, double low, double high) const
    {
        const auto v = toReal(text(path));
        if (!v || *v < low || *v > high)
            throw Fault{path + QStringLiteral(" is not a number in range")};
        return *v;
    }
    const std::map<QString, const XmpProperty *> &all() const { return byPath_; }

private:
    std::map<QString, const XmpProperty *> byPath_;
};

std::vector<MeasurePoint> parsePoints(const QString &text, QSize picture, const QString &path)
{
    // Bounded before splitting: 64 points of two coordinates cannot need more characters than this.
    if (text.size() > kMaxPolygonEntries * 2 * 40)
        throw Fault{path + QStringLiteral(" is too long")};
    std::vector<MeasurePoint> points;
    const QStringList pairs = text.split(u' ', Qt::SkipEmptyParts);
    if (pairs.size() > kMaxListPoints)
        throw Fault{path + QStringLiteral(" holds too many points")};
    for (const QString &pair : pairs) {
        const QStringList xy = pair.split(u',');
        const auto x = xy.size() == 2 ? toReal(xy[0]) : std::nullopt;
        const auto y = xy.size() == 2 ? toReal(xy[1]) : std::nullopt;
        if (!x || !y)
            throw Fault{path + QStringLiteral(" holds a point that is not x,y")};
        if (*x < 0 || *y < 0 || *x > picture.width() || *y > picture.height())
            throw Fault{path + QStringLiteral(" holds a point outside the picture")};
        points.push_back({float(*x), float(*y)});
    }
    return points;
}

std::vector<PrecisePoint> parseExactPoints(const QString &text, const QString &path)
{
    if (text.size() > kMaxPolygonEntries * 2 * 40)
        throw Fault{path + QStringLiteral(" is too long")};
    std::vector<PrecisePoint> points;
    for (const QString &pair : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList xy = pair.split(u',');
        const auto x = xy.size() == 2 ? toReal(xy[0]) : std::nullopt;
        const auto y = xy.size() == 2 ? toReal(xy[1]) : std::nullopt;
        if (!x || !y)
            throw Fault{path + QStringLiteral(" holds a point that is not x,y")};
        points.push_back({*x, *y});
    }
    return points;
}

HistoryNode parseShapeFields(const Properties &props, const QString &f, QSize picture)
{
    HistoryNode node;
    ShapeDraft &s = node.shape;
    LabelSettings &l = node.labels;
    s.kind = ShapeKind(props.integer(f + QStringLiteral("Tool"), 1, kShapeKindCount - 1));
    s.penStyle = std::int32_t(props.integer(f + QStringLiteral("PenStyle"), 0, 7));
    s.penWidth = std::int32_t(props.integer(f + QStringLiteral("PenWidth"), 1, 3));
    s.colour = storableColour(platform::ColorRef(props.integer(f + QStringLiteral("Colour"), 0, 0xFFFFFF)));
    l.counter = std::int32_t(props.integer(f + QStringLiteral("Number"), 0, 99999));
    itemOf(l, s.kind) = std::int32_t(props.integer(f + QStringLiteral("Item"), 0, maxItem(s.kind)));
    l.precision = std::int32_t(props.integer(f + QStringLiteral("Precision"), 1, 9));
    l.displayUnit = props.integer(f + QStringLiteral("DisplayUnit"), 0, 1) == 1;
    l.labelColour = platform::ColorRef(props.integer(f + QStringLiteral("LabelColour"), 0, 0xFFFFFF));

    const std::vector<MeasurePoint> p = parsePoints(props.text(f + QStringLiteral("Points")), picture, f + "Points");
    const int n = int(p.size());
    if (isListKind(s.kind)) {
        if (n < 2)
            throw Fault{f + QStringLiteral("Points: a list shape needs two points")};
        const int count = n - 1;
        if (s.kind == ShapeKind::Polygon) {
            std::copy(p.begin(), p.end(), s.polygon.begin());
            s.polygonCount = count;
            s.polygon[std::size_t(count + 1)] = p.front();
        } else if (s.kind == ShapeKind::NodeLine) {
            std::copy(p.begin(), p.end(), s.nodes.begin());
            s.nodeCount = count;
        } else {
            std::copy(p.begin(), p.end(), s.multi.begin());
            s.multiCount = count;
        }
        s.a = p.front();
        s.b = p.back();
    } else if (usesCAndD(s.kind)) {
        if (n != 4)
            throw Fault{f + QStringLiteral("Points: this tool needs four points")};
        s.a = p[0];
        s.b = p[1];
        s.c = p[2];
        s.d = p[3];
    } else {
        if (n != 2)
            throw Fault{f + QStringLiteral("Points: this tool needs two points")};
        s.a = p[0];
        s.b = p[1];
    }
    // Snapped points: the same points in double precision. Each must round to its stored point,
    // or the two fields contradict each other.
    if (const auto exact = props.optionalText(f + QStringLiteral("Exact"))) {
        const std::vector<PrecisePoint> e = parseExactPoints(*exact, f + "Exact");
        if (int(e.size()) != n)
            throw Fault{f + QStringLiteral("Exact: not one point for each of Points")};
        for (int i = 0; i < n; ++i) {
            const MeasurePoint stored = p[std::size_t(i)];
            if (MeasurePoint{float(e[std::size_t(i)].x), float(e[std::size_t(i)].y)} != stored)
                throw Fault{f + QStringLiteral("Exact: a point does not round to its stored point")};
            if (e[std::size_t(i)] != PrecisePoint{double(stored.x), double(stored.y)})
                s.snapped.add(stored, e[std::size_t(i)]);
        }
    }
    if (s.kind == ShapeKind::EdgeCircle)
        s.fitResidualPx = props.real(f + QStringLiteral("Residual"), 0.0, kMaxResidualPx);
    return node;
}

// One shape is one text item, "Key=value" fields joined by ';' (a structure of ten properties
// a shape made exiv2 the slowest part of a save). The fields go through the same checks as the
// packet's own properties.
HistoryNode parseShape(const Properties &props, int index, QSize picture)
{
    const QString base = QStringLiteral("Shapes[%1]").arg(index);
    const XmpProperty *item = props.find(base);
    if (!item || item->kind != Kind::Text)
        throw Fault{base + QStringLiteral(" is not a text")};
    if (item->value.size() > kMaxShapeText)
        throw Fault{base + QStringLiteral(" is too long")};
    const QString f = base + u'/';
    std::vector<XmpProperty> fields;
    for (const QString &field : item->value.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = field.indexOf(u'=');
        if (eq <= 0)
            throw Fault{base + QStringLiteral(" holds a field that is not Key=value")};
        if (fields.size() >= kShapeFields)
            throw Fault{base + QStringLiteral(" holds too many fields")};
        fields.push_back({f + field.left(eq).trimmed(), Kind::Text, field.mid(eq + 1)});
    }
    const Properties shape(fields);
    if (shape.all().size() != fields.size())
        throw Fault{base + QStringLiteral(" repeats a field")};
    return parseShapeFields(shape, f, picture);
}

} // namespace

double MeasurementPacket::pixelsPerCm(double pixelSize) const
{
    if (!(pixelSize > 0))
        return 0;
    const double cmPerUnit = std::array<double, 4>{0.1, 2.54, 0.0001, 0.00254}[std::size_t(unit)];
    return 1.0 / (pixelSize * cmPerUnit);
}

std::optional<MeasurementPacket> packetFor(const scales::RulerScaleControl &scale, QSize picture,
                                           std::vector<HistoryNode> shapes, double screenMagnification,
                                           double printMagnification, QSize measuredOn)
{
    if (measuredOn.width() <= 0 || measuredOn.height() <= 0)
        measuredOn = picture;
    if (!(scale.hLength > 0) || !(scale.vLength > 0) || picture.width() <= 0 || picture.height() <= 0
        || !scales::unitFromIndex(int(scale.unit)))
        return std::nullopt;
    MeasurementPacket p;
    p.scaleName = scale.name;
    p.unit = scale.unit;
    p.pixelWidth = typedValue(scale.hLength) / measuredOn.width();
    p.pixelHeight = typedValue(scale.vLength) / measuredOn.height();
    p.picture = picture;
    p.screenMagnification = screenMagnification;
    p.printMagnification = printMagnification;
    p.shapes = std::move(shapes);
    return p;
}

platform::PictureMetadata toMetadata(const MeasurementPacket &packet)
{
    platform::PictureMetadata m;
    m.pixelsPerCmX = packet.pixelsPerCm(packet.pixelWidth);
    m.pixelsPerCmY = packet.pixelsPerCm(packet.pixelHeight);
    auto text = [&m](const QString &path, const QString &value) { m.properties.push_back({path, Kind::Text, value}); };
    text(QStringLiteral("Version"), kVersion);
    text(QStringLiteral("ScaleName"), packet.scaleName);
    text(QStringLiteral("Unit"), QLatin1String(kUnitNames[std::size_t(packet.unit)]));
    text(QStringLiteral("PixelWidth"), number(packet.pixelWidth));
    text(QStringLiteral("PixelHeight"), number(packet.pixelHeight));
    text(QStringLiteral("PictureWidth"), QString::number(packet.picture.width()));
    text(QStringLiteral("PictureHeight"), QString::number(packet.picture.height()));
    text(QStringLiteral("ScreenMagnification"), number(packet.screenMagnification));
    text(QStringLiteral("PrintMagnification"), number(packet.printMagnification));
    if (packet.shapes.empty())
        return m;
    m.properties.push_back({QStringLiteral("Shapes"), Kind::Sequence, {}});
    int index = 0;
    for (const HistoryNode &node : packet.shapes) {
        const QString base = QStringLiteral("Shapes[%1]").arg(++index);
        const ShapeDraft &s = node.shape;
        LabelSettings labels = node.labels;
        QStringList points, exact;
        for (const MeasurePoint &p : pointsOf(s)) {
            points << number(p.x) + u',' + number(p.y);
            const PrecisePoint e = s.snapped.precise(p);
            exact << number(e.x) + u',' + number(e.y);
        }
        QStringList fields{
            QStringLiteral("Tool=") + QString::number(int(s.kind)),
            QStringLiteral("Number=") + QString::number(labels.counter),
            QStringLiteral("Item=") + QString::number(itemOf(labels, s.kind)),
            QStringLiteral("Points=") + points.join(u' '),
            QStringLiteral("PenStyle=") + QString::number(s.penStyle),
            QStringLiteral("PenWidth=") + QString::number(s.penWidth),
            QStringLiteral("Colour=") + QString::number(s.colour & 0xFFFFFF),
            QStringLiteral("Precision=") + QString::number(labels.precision),
            QStringLiteral("DisplayUnit=") + (labels.displayUnit ? QStringLiteral("1") : QStringLiteral("0")),
            QStringLiteral("LabelColour=") + QString::number(labels.labelColour & 0xFFFFFF)};
        // Snapped shapes carry their points in double precision as well; readers that do not know
        // the field still have the stored points.
        if (!s.snapped.empty())
            fields << QStringLiteral("Exact=") + exact.join(u' ');
        if (s.kind == ShapeKind::EdgeCircle)
            fields << QStringLiteral("Residual=") + number(s.fitResidualPx);
        m.properties.push_back({base, Kind::Text, fields.join(u';')});
    }
    return m;
}

PacketRead parsePacket(const std::vector<platform::XmpProperty> &properties, QSize picture)
{
    PacketRead out;
    if (properties.empty())
        return out;
    try {
        if (properties.size() > platform::kMaxXmpProperties)
            throw Fault{QStringLiteral("too many properties")};
        const Properties props(properties);
        if (props.text(QStringLiteral("Version")) != kVersion)
            throw Fault{QStringLiteral("unknown version")};
        MeasurementPacket p;
        p.scaleName = props.text(QStringLiteral("ScaleName"));
        if (p.scaleName.trimmed().isEmpty() || p.scaleName.size() > kMaxNameLength)
            throw Fault{QStringLiteral("ScaleName is empty or too long")};
        const QString unit = props.text(QStringLiteral("Unit"));
        const auto u = std::find_if(kUnitNames.begin(), kUnitNames.end(), [&](const char *n) { return unit == QLatin1String(n); });
        if (u == kUnitNames.end())
            throw Fault{QStringLiteral("Unit is not mm, inch, um or mil")};
        p.unit = scales::ScaleUnit(u - kUnitNames.begin());
        p.pixelWidth = props.real(QStringLiteral("PixelWidth"), 1e-12, kMaxPixelSize);
        p.pixelHeight = props.real(QStringLiteral("PixelHeight"), 1e-12, kMaxPixelSize);
        if (!(p.pixelWidth > 0) || !(p.pixelHeight > 0))
            throw Fault{QStringLiteral("pixel size is not positive")};
        const QSize saved(int(props.integer(QStringLiteral("PictureWidth"), 1, 1 << 20)),
                          int(props.integer(QStringLiteral("PictureHeight"), 1, 1 << 20)));
        if (saved != picture)
            throw Fault{QStringLiteral("the packet belongs to a picture of another size")};
        p.picture = picture;
        if (const auto s = props.optionalText(QStringLiteral("ScreenMagnification")))
            p.screenMagnification = toReal(*s).value_or(0);
        if (const auto s = props.optionalText(QStringLiteral("PrintMagnification")))
            p.printMagnification = toReal(*s).value_or(0);

        // Shapes: a sequence of text items numbered 1..n without gaps.
        int count = 0;
        if (const XmpProperty *shapes = props.find(QStringLiteral("Shapes"))) {
            if (shapes->kind != Kind::Sequence)
                throw Fault{QStringLiteral("Shapes is not a sequence")};
            static const QRegularExpression itemPath(QStringLiteral("^Shapes\\[(\\d{1,9})\\]"));
            for (const auto &[path, property] : props.all()) {
                const QRegularExpressionMatch m = itemPath.match(path);
                if (!m.hasMatch())
                    continue;
                const auto index = toInteger(m.captured(1), 1, kMaxPacketShapes);
                if (!index)
                    throw Fault{QStringLiteral("more than %1 shapes").arg(kMaxPacketShapes)};
                count = std::max(count, int(*index));
            }
            for (int i = 1; i <= count; ++i)
                p.shapes.push_back(parseShape(props, i, picture));
        }
        out.packet = std::move(p);
    } catch (const Fault &f) {
        out.error = f.why;
    }
    return out;
}

scales::RulerScaleControl scaleFromPacket(const MeasurementPacket &packet)
{
    scales::RulerScaleControl scale;
    scales::applyStoreDefaults(scale);
    scale.name = packet.scaleName;
    // Rounded to a millionth of the unit: 0.000625 mm x 1600 must give 1.00 mm, not 0.99.
    const auto length = [](double pixel, int pixels) { return std::round(pixel * pixels * 1e6) / 1e6; };
    scales::setLengthsFromLength(scale, packet.unit, length(packet.pixelWidth, packet.picture.width()),
                                 length(packet.pixelHeight, packet.picture.height()));
    return scale;
}

} // namespace measure
