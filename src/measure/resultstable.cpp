#include "measure/resultstable.h"

#include "measure/exactnumbers.h"
#include "measure/labels.h"
#include "measure/measuringsession.h"
#include "platform/atomicfile.h"
#include "scales/rulerscale.h"

#include <QStringList>

#include <algorithm>

namespace measure {
namespace {

std::vector<QPointF> definingPoints(const ShapeDraft &s)
{
    std::vector<MeasurePoint> p;
    const auto list = [&p](const MeasurePoint *points, int last) {
        for (int i = 0; i <= last; ++i)
            p.push_back(points[i]);
    };
    switch (s.kind) {
    case ShapeKind::NodeLine: list(s.nodes.data(), std::clamp(s.nodeCount, 0, kMaxListPoints - 1)); break;
    case ShapeKind::MultiLine: list(s.multi.data(), std::clamp(s.multiCount, 0, kMaxListPoints - 1)); break;
    case ShapeKind::Polygon: list(s.polygon.data(), std::clamp(s.polygonCount, 0, kMaxPolygonEntries - 2)); break;
    case ShapeKind::ThreePointsCircle:
    case ShapeKind::Arc:
    case ShapeKind::Arch:
    case ShapeKind::ThreePointsAngle:
    case ShapeKind::ThreePointsFillet: p = {s.a, s.b, s.d}; break;
    case ShapeKind::FourPointsAngle: p = {s.a, s.b, s.c, s.d}; break;
    default: p = {s.a, s.b}; break;
    }
    std::vector<QPointF> out;
    out.reserve(p.size());
    for (const MeasurePoint &m : p) {
        const PrecisePoint e = s.snapped.precise(m);   // where a snapped point truly lies
        out.emplace_back(e.x, e.y);
    }
    return out;
}

void addRows(std::vector<ResultRow> &rows, const ShapeDraft &stored, const LabelSettings &labels,
             const LabelContext &context, double fx, double fy)
{
    ShapeDraft shape = stored;   // labelValues records multiple-line segment lengths
    const std::vector<LabelValue> values = labelValues(shape, labels, context);
    if (values.empty())
        return;
    std::vector<QPointF> points = definingPoints(stored);
    for (QPointF &p : points)
        p = QPointF(p.x() * fx, p.y() * fy);
    std::optional<double> residual;
    if (stored.kind == ShapeKind::EdgeCircle)
        residual = stored.fitResidualPx;
    for (const LabelValue &v : values)
        rows.push_back({labels.counter, stored.kind, v, points, residual});
}

QString quantityTitle(LabelQuantity q)
{
    switch (q) {
    case LabelQuantity::Length: return QStringLiteral("Length");
    case LabelQuantity::Perimeter: return QStringLiteral("Perimeter");
    case LabelQuantity::Area: return QStringLiteral("Area");
    case LabelQuantity::Radius: return QStringLiteral("Radius");
    case LabelQuantity::Diameter: return QStringLiteral("Diameter");
    case LabelQuantity::Angle: return QStringLiteral("Angle");
    default: return QString();
    }
}

QStringList headerFields(int scaleUnitIndex)
{
    QStringList h{QStringLiteral("No."), QStringLiteral("Tool"), QStringLiteral("Label")};
    for (LabelQuantity q : kResultQuantities)
        h << quantityTitle(q) + QStringLiteral(" (") + quantityUnit(q, scaleUnitIndex) + u')';
    h << QStringLiteral("Points (px)") << QStringLiteral("Fit RMS (px)");
    return h;
}

QStringList rowFields(const ResultRow &row, const ToolNames &names)
{
    const QString &tool = names[std::size_t(std::clamp(int(row.kind), 0, kShapeKindCount - 1))];
    QStringList f{QString::number(row.number), tool, row.value.letter};
    for (LabelQuantity q : kResultQuantities)
        f << resultCell(row, q);
    f << pointsCell(row) << residualCell(row);
    return f;
}

} // namespace

std::vector<ResultRow> resultRows(const MeasuringSession &session)
{
    std::vector<ResultRow> rows;
    const QSize picture = session.pictureSize();
    const QSize window = session.windowSize();
    const QSize layer = window.width() >= picture.width() ? picture : window;
    const double fx = layer.width() > 0 ? double(picture.width()) / layer.width() : 1.0;
    const double fy = layer.height() > 0 ? double(picture.height()) / layer.height() : 1.0;
    LabelContext context = session.labelContext(false, layer);
    context.calibrating = false;   // the calibration line is no measurement
    const MeasureHistory &history = session.history();
    if (session.overlap() && !history.empty()) {
        for (int i = 0; i <= history.currentIndex(); ++i) {
            const HistoryNode &node = history.node(std::size_t(i));
            addRows(rows, node.shape, node.labels, context, fx, fy);
        }
    } else if (!session.overlap() && !session.inProgress()) {
        addRows(rows, session.shape(), session.labels(), context, fx, fy);
    }
    return rows;
}

QString resultCell(const ResultRow &row, LabelQuantity quantity)
{
    if (row.value.quantity != quantity)
        return QString();
    return composeLabel(row.value.value, row.value.precision, UnitCode::None, QString()).text;
}

QString pointsCell(const ResultRow &row)
{
    QStringList parts;
    for (const QPointF &p : row.pointsPx)
        parts << QString::number(p.x(), 'f', 1) + u' ' + QString::number(p.y(), 'f', 1);
    return parts.join(QStringLiteral("; "));
}

QString residualCell(const ResultRow &row)
{
    return row.fitResidualPx ? QString::number(*row.fitResidualPx, 'f', 3) : QString();
}

QString toolName(ShapeKind kind)
{
    const int i = std::clamp(int(kind), 0, kShapeKindCount - 1);
    const std::string_view caption = kShapeToolMenu[std::size_t(i)].caption;
    return QString::fromUtf8(caption.data(), qsizetype(caption.size())).trimmed();
}

ToolNames builtInToolNames()
{
    ToolNames names;
    for (int i = 0; i < kShapeKindCount; ++i)
        names[std::size_t(i)] = toolName(ShapeKind(i));
    return names;
}

QString quantityUnit(LabelQuantity quantity, int scaleUnitIndex)
{
    if (quantity == LabelQuantity::Angle)
        return kDegree;
    const QString unit = GetUnitStr(unitCodeFor(scaleUnitIndex, true));
    return quantity == LabelQuantity::Area ? unit + QStringLiteral("\u00B2") : unit;
}

QString resultsTsv(const std::vector<ResultRow> &rows, int scaleUnitIndex, const ToolNames &names)
{
    // Tabs and line breaks inside a cell would split it: none of ours hold any.
    QString out = headerFields(scaleUnitIndex).join(u'\t') + u'\n';
    for (const ResultRow &row : rows)
        out += rowFields(row, names).join(u'\t') + u'\n';
    return out;
}

ResultsMetadata resultsMetadata(const MeasuringSession &session)
{
    const scales::RulerScaleControl &scale = session.scale();
    ResultsMetadata m;
    m.scaleName = scale.name;
    m.scaleUnitIndex = int(scale.unit);
    m.picture = session.pictureSize();
    if (m.picture.width() > 0 && m.picture.height() > 0) {
        m.pixelWidth = typedValue(scale.hLength) / m.picture.width();
        m.pixelHeight = typedValue(scale.vLength) / m.picture.height();
    }
    return m;
}

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString csvLine(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &f : fields)
        quoted << csvField(f);
    return quoted.join(u',') + QStringLiteral("\r\n");
}

QByteArray resultsCsv(const std::vector<ResultRow> &rows, const ResultsMetadata &meta, const ToolNames &names)
{
    const QString unit = GetUnitStr(unitCodeFor(meta.scaleUnitIndex, true));
    QString out;
    const auto line = [&out](const QStringList &fields) { out += csvLine(fields); };
    line({QStringLiteral("scale"), meta.scaleName});
    line({QStringLiteral("unit"), unit});
    line({QStringLiteral("pixel width (") + unit + u')', shortestText(meta.pixelWidth)});
    line({QStringLiteral("pixel height (") + unit + u')', shortestText(meta.pixelHeight)});
    line({QStringLiteral("picture width (px)"), QString::number(meta.picture.width())});
    line({QStringLiteral("picture height (px)"), QString::number(meta.picture.height())});
    out += QStringLiteral("\r\n");
    line(headerFields(meta.scaleUnitIndex));
    for (const ResultRow &row : rows)
        line(rowFields(row, names));
    return out.toUtf8();
}

std::error_code writeResultsCsv(const QString &path, const std::vector<ResultRow> &rows, const ResultsMetadata &meta,
                                const ToolNames &names)
{
    const QByteArray bytes = resultsCsv(rows, meta, names);
    return platform::writeFileAtomically(path, bytes.constData(), std::size_t(bytes.size()));
}

} // namespace measure
