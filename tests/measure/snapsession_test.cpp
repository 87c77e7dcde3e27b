// Edge snapping and circle by edge through the measuring session: the clicks a user makes, the
// labels and results they give, and the history, rescaling and saved packet they go through.
#include "measure/measurementpacket.h"
#include "measure/measuringsession.h"
#include "measure/resultstable.h"
#include "measure/shaperenderer.h"
#include "measure/shaperescaler.h"

#include "syntheticpicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace measure {
namespace {

using testing::Greys;

constexpr double kDegree = 3.141592653589793 / 180.0;
constexpr QSize kPicture(240, 200);
constexpr double kBarWidth = 37.30;
const PrecisePoint kAcross{std::cos(7 * kDegree), -std::sin(7 * kDegree)};
const PrecisePoint kAlong{std::sin(7 * kDegree), std::cos(7 * kDegree)};
const PrecisePoint kOnFirstEdge{101.23, 100.0};
const double kLow = kAcross.x * kOnFirstEdge.x + kAcross.y * kOnFirstEdge.y;
constexpr double kDiscRadius = 41.70;
constexpr PrecisePoint kDiscCentre{117.37, 103.61};

PrecisePoint plus(PrecisePoint p, PrecisePoint dir, double t) { return {p.x + t * dir.x, p.y + t * dir.y}; }
QPoint whole(PrecisePoint p) { return {int(std::lround(p.x)), int(std::lround(p.y))}; }

platform::Bitmap bar(double noise = 0)
{
    Greys g;
    g.noiseSigma = noise;
    return testing::drawBand(kPicture.width(), kPicture.height(), kAcross, kLow, kLow + kBarWidth, g);
}

platform::Bitmap disc(double noise = 0)
{
    Greys g;
    g.noiseSigma = noise;
    return testing::drawDisc(kPicture.width(), kPicture.height(), kDiscCentre, kDiscRadius, g);
}

class SnapSession : public ::testing::Test
{
protected:
    MeasuringSession s;
    platform::Bitmap picture = bar();

    void SetUp() override
    {
        s.setGeometry(kPicture, kPicture);
        scales::RulerScaleControl scale = scales::firstBuiltInScale();
        scale.hLength = float(kPicture.width());   // one millimetre a pixel: labels read in pixels
        scale.vLength = float(kPicture.height());
        s.setScale(scale);
        s.EntryMeasurementMode();
        s.setPictureSource([this] { return picture; });
        s.setSnapping(true);
    }

    static PointerInput at(QPoint p, bool invert = false) { return {PointerButton::Left, p, false, false, invert}; }
    void click(QPoint p, bool alt = false)
    {
        s.press(at(p, alt));
        s.release(at(p, alt));
    }
    // The value of the label of the shape on the picture (with overlap off, the last one).
    double value()
    {
        const std::vector<ResultRow> rows = resultRows(s);
        EXPECT_EQ(rows.size(), 1u);
        return rows.empty() ? 0.0 : rows.front().value.value;
    }
};

TEST_F(SnapSession, LineAcrossTheBarMeasuresItsWidthFromClicksOffTheEdges)
{
    s.selectTool(ShapeKind::Line);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> off(-3.0, 3.0);
    double worstSnapped = 0, worstClicked = 0;
    for (int row = 0; row < 12; ++row) {
        const PrecisePoint first = plus(kOnFirstEdge, kAlong, -50 + 9.1 * row);
        const QPoint a = whole(plus(first, kAcross, off(random)));
        const QPoint b = whole(plus(first, kAcross, kBarWidth + off(random)));
        click(a);
        click(b);
        ASSERT_FALSE(s.inProgress());
        const double snapped = value();
        EXPECT_NEAR(snapped, kBarWidth, 0.10) << "row " << row;
        worstSnapped = std::max(worstSnapped, std::abs(snapped - kBarWidth));
        worstClicked = std::max(worstClicked, std::abs(std::hypot(b.x() - a.x(), b.y() - a.y()) - kBarWidth));
    }
    std::printf("[ line tool over the bar ] label 37.30 px off by at most %.3f px snapped; the same clicks "
                "unsnapped: off by up to %.3f px\n",
                worstSnapped, worstClicked);
}

TEST_F(SnapSession, OffPlacesWholePixelsAndLabelsExactlyAsTheFloatFormula)
{
    s.setSnapping(false);
    s.selectTool(ShapeKind::Line);
    click({100, 95});
    click({139, 90});
    EXPECT_EQ(s.shape().a, (MeasurePoint{100, 95}));
    EXPECT_EQ(s.shape().b, (MeasurePoint{139, 90}));
    EXPECT_TRUE(s.shape().snapped.empty());
    // Bit for bit the float formula of the stored points (1 mm a pixel).
    const ScaleFactors f = *ScaleFactorsFor(240, 200, kPicture, kPicture, {}, false);
    EXPECT_EQ(value(), double(ScaledDistance({100, 95}, {139, 90}, f.sx, f.sy)));
}

TEST_F(SnapSession, AltInvertsTheToggleForOneClick)
{
    struct Row {
        bool snapping, altOnFirst, firstSnapped;
    };
    for (const Row r : {Row{true, true, false}, Row{false, true, true}, Row{true, false, true}, Row{false, false, false}}) {
        s.setSnapping(r.snapping);
        s.selectTool(ShapeKind::Line);
        s.ClearData(1);
        const QPoint a = whole(plus(plus(kOnFirstEdge, kAlong, 10), kAcross, -2));
        const QPoint b = whole(plus(plus(kOnFirstEdge, kAlong, 10), kAcross, kBarWidth + 2));
        click(a, r.altOnFirst);
        click(b);
        EXPECT_EQ(s.shape().snapped.contains(s.shape().a), r.firstSnapped) << r.snapping << r.altOnFirst;
        EXPECT_EQ(s.shape().a == (MeasurePoint{float(a.x()), float(a.y())}), !r.firstSnapped);
        // The second click had no Alt: it follows the toggle.
        EXPECT_EQ(s.shape().snapped.contains(s.shape().b), r.snapping);
    }
}

TEST_F(SnapSession, WithoutAnEdgeNearThePointStaysWhereItWasClicked)
{
    Greys flat;
    flat.shape = flat.background;
    picture = testing::drawBand(kPicture.width(), kPicture.height(), kAcross, 10, 20, flat);
    s.selectTool(ShapeKind::Line);
    click({60, 60});
    click({90, 70});
    EXPECT_EQ(s.shape().a, (MeasurePoint{60, 60}));
    EXPECT_EQ(s.shape().b, (MeasurePoint{90, 70}));
    EXPECT_TRUE(s.shape().snapped.empty());
    // Nor does anything snap without a picture.
    picture = platform::Bitmap();
    click({60, 60});
    click({90, 70});
    EXPECT_EQ(s.shape().a, (MeasurePoint{60, 60}));
}

TEST_F(SnapSession, ToolsWithoutPointsOnEdgesAndTheArcCentreAreNotSnapped)
{
    const QPoint nearEdge = whole(plus(plus(kOnFirstEdge, kAlong, 10), kAcross, -2));
    const QPoint other = whole(plus(plus(kOnFirstEdge, kAlong, -30), kAcross, 60));
    for (ShapeKind kind : {ShapeKind::Rectangle, ShapeKind::Ellipse, ShapeKind::Square}) {
        s.selectTool(kind);
        click(nearEdge);
        click(other);
        EXPECT_EQ(s.shape().a, (MeasurePoint{float(nearEdge.x()), float(nearEdge.y())})) << int(kind);
        EXPECT_TRUE(s.shape().snapped.empty()) << int(kind);
    }
    // An arc's ends snap; its centre, the third click, does not.
    s.selectTool(ShapeKind::Arc);
    click(whole(plus(plus(kOnFirstEdge, kAlong, -40), kAcross, 1)));
    click(whole(plus(plus(kOnFirstEdge, kAlong, 40), kAcross, -1)));
    click(nearEdge);
    EXPECT_TRUE(s.shape().snapped.contains(s.shape().a));
    EXPECT_TRUE(s.shape().snapped.contains(s.shape().b));
    EXPECT_FALSE(s.shape().snapped.contains(s.shape().d));
}

TEST_F(SnapSession, SnappedPointsWearADiamondWhileDrawingOnly)
{
    s.selectTool(ShapeKind::Line);
    click(whole(plus(plus(kOnFirstEdge, kAlong, 10), kAcross, -2)));
    const MeasurePoint a = s.shape().a;
    ASSERT_TRUE(s.shape().snapped.contains(a));
    s.move(at(whole(plus(plus(kOnFirstEdge, kAlong, 10), kAcross, 20))));
    const platform::Bitmap &layer = s.layer();
    const int x = int(a.x), y = int(a.y);
    // The diamond's top and bottom corners, off the near-horizontal rubber band.
    EXPECT_EQ(layer.pixel(x, y - ShapeRenderer::kSnapMarkReach), s.shape().colour);
    EXPECT_EQ(layer.pixel(x, y + ShapeRenderer::kSnapMarkReach), s.shape().colour);
    click(whole(plus(plus(kOnFirstEdge, kAlong, 10), kAcross, kBarWidth + 1)));
    ASSERT_FALSE(s.inProgress());
    EXPECT_EQ(s.layer().pixel(x, y - ShapeRenderer::kSnapMarkReach), MeasureLayers::kTransparent);
}

TEST_F(SnapSession, ListShapesSnapEveryPointAndAClickTwiceOnOneEdgeAddsOnePoint)
{
    s.selectTool(ShapeKind::Polygon);
    const QPoint p0 = whole(plus(plus(kOnFirstEdge, kAlong, -30), kAcross, -2));
    const QPoint p1 = whole(plus(plus(kOnFirstEdge, kAlong, 30), kAcross, 2));
    const QPoint p2 = whole(plus(plus(kOnFirstEdge, kAlong, 0), kAcross, kBarWidth - 1));
    click(p0);
    click(p1);
    // A second click on the same pixel finds the same edge point: a duplicate, not a new vertex.
    click(p1);
    click(p2);
    EXPECT_EQ(s.shape().polygonCount, 3);
    s.press({PointerButton::Right, p2 + QPoint(3, 40), false, false});
    s.release({PointerButton::Right, p2 + QPoint(3, 40), false, false});
    ASSERT_FALSE(s.inProgress());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(s.shape().snapped.contains(s.shape().polygon[std::size_t(i)])) << i;
}

TEST_F(SnapSession, CircleByEdgeFromOneInnerClickIsLabelledAndListedWithItsResidual)
{
    picture = disc();
    s.selectTool(ShapeKind::EdgeCircle);
    LabelSettings l = s.labels();
    l.circleItem = 3;   // radius
    s.setLabelSettings(l);
    click({110, 110});
    ASSERT_FALSE(s.inProgress());
    EXPECT_EQ(s.shape().kind, ShapeKind::EdgeCircle);
    const std::vector<ResultRow> rows = resultRows(s);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].value.label, "[01]R");
    EXPECT_NEAR(rows[0].value.value, kDiscRadius, 0.10);
    ASSERT_TRUE(rows[0].fitResidualPx);
    EXPECT_LT(*rows[0].fitResidualPx, 0.10);
    EXPECT_EQ(residualCell(rows[0]), QString::number(*rows[0].fitResidualPx, 'f', 3));
    const QPointF a = rows[0].pointsPx[0], b = rows[0].pointsPx[1];
    EXPECT_NEAR((a.x() + b.x()) / 2, kDiscCentre.x, 0.10);
    EXPECT_NEAR((a.y() + b.y()) / 2, kDiscCentre.y, 0.10);
    // Drawn as a circle, labelled at B as a two-point circle is.
    EXPECT_NE(s.layer().pixel(int(kDiscCentre.x), int(kDiscCentre.y - kDiscRadius)), MeasureLayers::kTransparent);
    // Other tools list no residual.
    s.selectTool(ShapeKind::Line);
    click({20, 20});
    click({60, 20});
    EXPECT_FALSE(resultRows(s).front().fitResidualPx);
    EXPECT_EQ(residualCell(resultRows(s).front()), QString());
}

TEST_F(SnapSession, CircleByEdgeOnAFlatPictureStartsNothing)
{
    Greys flat;
    flat.shape = flat.background;
    picture = testing::drawDisc(kPicture.width(), kPicture.height(), kDiscCentre, kDiscRadius, flat);
    s.selectTool(ShapeKind::EdgeCircle);
    click({110, 110});
    EXPECT_FALSE(s.inProgress());
    EXPECT_EQ(s.labels().counter, 0);
    EXPECT_TRUE(resultRows(s).empty());
}

TEST_F(SnapSession, UndoRedoAndAWindowChangeKeepThePrecisePoints)
{
    s.setOverlap(true);
    s.selectTool(ShapeKind::Line);
    click(whole(plus(plus(kOnFirstEdge, kAlong, 0), kAcross, -2)));
    click(whole(plus(plus(kOnFirstEdge, kAlong, 0), kAcross, kBarWidth + 2)));
    click({20, 20});
    click({60, 20});
    const double width = resultRows(s)[0].value.value;
    EXPECT_NEAR(width, kBarWidth, 0.10);
    s.UndoList();
    s.RedoList();
    EXPECT_EQ(resultRows(s)[0].value.value, width);
    // Half the window: the stored points become window pixels, the length halves with the scale
    // factors doubling, and the snapped points follow their stored copies.
    s.resizeWindow({kPicture.width() / 2, kPicture.height() / 2});
    const HistoryNode &node = s.history().node(1);
    EXPECT_TRUE(node.shape.snapped.contains(node.shape.a));
    EXPECT_TRUE(node.shape.snapped.contains(node.shape.b));
    EXPECT_NEAR(resultRows(s)[0].value.value, width, 1e-9);
}

TEST_F(SnapSession, ASavedPictureKeepsThePrecisePointsAndTheResidual)
{
    picture = disc();
    s.setOverlap(true);
    s.selectTool(ShapeKind::EdgeCircle);
    click({110, 110});
    s.selectTool(ShapeKind::Line);
    click({20, 20});
    click({60, 20});
    const std::vector<ResultRow> before = resultRows(s);
    const auto packet = packetFor(s.scale(), kPicture, s.shapesOnPicture(kPicture), 0, 0);
    ASSERT_TRUE(packet);
    const platform::PictureMetadata m = toMetadata(*packet);
    // The unsnapped line's fields are as they always were.
    const auto item = std::find_if(m.properties.begin(), m.properties.end(),
                                   [](const platform::XmpProperty &p) { return p.path == "Shapes[2]"; });
    ASSERT_NE(item, m.properties.end());
    EXPECT_FALSE(item->value.contains("Exact=")) << item->value.toStdString();
    EXPECT_FALSE(item->value.contains("Residual=")) << item->value.toStdString();

    const PacketRead read = parsePacket(m.properties, kPicture);
    ASSERT_TRUE(read.packet) << read.error.toStdString();
    MeasuringSession again;
    again.setGeometry(kPicture, kPicture);
    again.setScale(s.scale());
    again.EntryMeasurementMode();
    again.restoreShapes(read.packet->shapes, kPicture);
    const std::vector<ResultRow> after = resultRows(again);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].value.value, before[i].value.value) << i;
        EXPECT_EQ(after[i].fitResidualPx, before[i].fitResidualPx) << i;
    }

    // A packet whose exact points do not round to its stored points is refused as damaged.
    std::vector<platform::XmpProperty> tampered = m.properties;
    for (platform::XmpProperty &p : tampered)
        if (p.path == "Shapes[1]") {
            const qsizetype at = p.value.indexOf("Exact=") + 6;
            p.value.insert(at, "1");
        }
    EXPECT_FALSE(parsePacket(tampered, kPicture).packet);
}

TEST(SnappedPoints, ScaledWithTheirShapeTheyStillMatchTheirStoredCopies)
{
    ShapeDraft shape;
    shape.kind = ShapeKind::Line;
    shape.a = {10.37f, 20.5f};
    shape.b = {60.0f, 20.0f};
    shape.snapped.add(shape.a, {10.3712345, 20.5000001});
    ShapeRescaler::convert(shape, 0.5f, 0.25f);
    ASSERT_TRUE(shape.snapped.contains(shape.a));
    EXPECT_DOUBLE_EQ(shape.snapped.precise(shape.a).x, 10.3712345 * 0.5);
    EXPECT_FALSE(shape.snapped.contains(shape.b));
    EXPECT_EQ(shape.snapped.precise(shape.b).x, double(shape.b.x));
    // Points replaced since are forgotten.
    shape.a = {1, 1};
    dropUnusedSnapped(shape);
    EXPECT_TRUE(shape.snapped.empty());
}

} // namespace
} // namespace measure
