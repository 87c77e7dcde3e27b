#pragma once

#include "measure/geometry.h"
#include "platform/bitmap.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace measure {

// The sixteen tools; the code is stored in records and history nodes.
enum class ShapeKind : std::int32_t {
    None = 0,
    Line = 1,
    AuxiliaryLine = 2,
    NodeLine = 3,
    MultiLine = 4,
    TwoPointsCircle = 5,
    ThreePointsCircle = 6,
    Arc = 7,
    Arch = 8,
    Ellipse = 9,
    Square = 10,
    Rectangle = 11,
    ThreePointsAngle = 12,
    ThreePointsFillet = 13,
    FourPointsAngle = 14,
    Polygon = 15,
    EdgeCircle = 16,   // circle by edge: one click inside a round feature, the circle fitted to its edge
};
inline constexpr int kShapeKindCount = 17;

// One entry of the draw style menu: the menu item's name and its built-in caption (the language
// file may replace the caption).
struct ShapeToolItem {
    ShapeKind kind;
    std::string_view itemName;
    std::string_view caption;
};
inline constexpr std::array<ShapeToolItem, kShapeKindCount> kShapeToolMenu{{
    {ShapeKind::None, "ST_None", "None"},
    {ShapeKind::Line, "ST_Line", "Line"},
    {ShapeKind::AuxiliaryLine, "ST_AuxiliaryLine", " Auxiliary Line"},
    {ShapeKind::NodeLine, "ST_NodeLine", "Node Line"},
    {ShapeKind::MultiLine, "ST_MultiLine", "Multiple Line"},
    {ShapeKind::TwoPointsCircle, "ST_2PointsCircle", "2 Points Circle"},
    {ShapeKind::ThreePointsCircle, "ST_3PointsCircle", "3 Points Circle"},
    {ShapeKind::Arc, "ST_Arc", "Arc"},
    {ShapeKind::Arch, "ST_Arch", "Arch"},
    {ShapeKind::Ellipse, "ST_Ellipse", "Ellipse"},
    {ShapeKind::Square, "ST_Square", "Square"},
    {ShapeKind::Rectangle, "ST_Rectangle", "Rectangle"},
    {ShapeKind::ThreePointsAngle, "ST_3PointsAngle", "3 Points Angle"},
    {ShapeKind::ThreePointsFillet, "ST_3PointsFillet", "3 Points Fillet"},
    {ShapeKind::FourPointsAngle, "ST_4PointsAngle", "4 Points Angle"},
    {ShapeKind::Polygon, "ST_Polygon", "Polygon"},
    {ShapeKind::EdgeCircle, "ST_EdgeCircle", "Circle by Edge"},
}};

inline constexpr int kMaxListPoints = 64;        // node and multiple line lists
inline constexpr int kMaxPolygonEntries = 65;    // vertices plus the closing copy of A
inline constexpr int kListFinishCount = 63;      // placed points from which a release finishes

// Pen style codes of the shape record.
enum class PenStyle : std::int32_t { Initial = 0, Solid = 1, Dash = 2, Dot = 3, DashDot = 4, DashDotDot = 5, Solid2 = 6, Solid3 = 7 };

// A point of the record that edge snapping or a circle fit placed between pixels: the float
// point stored in the record and the position it stands for, in double precision.
struct SnappedPoint {
    MeasurePoint stored;
    PrecisePoint precise;
};
inline constexpr int kMaxSnappedPoints = kMaxPolygonEntries + 4;   // a list's points and A, B, C, D

// Where the snapped points of a shape lie to a fraction of a pixel. A point of the record that
// equals an entry's stored point exactly stands for the entry's precise position, wherever the
// click protocol copies it (B to C, A into the polygon's closing entry, A and B swapped); every
// other point is where its float says. Labels of a shape with entries are computed in double
// precision from these positions; a shape without any is labelled exactly as ever.
struct SnappedPoints {
    std::int32_t count = 0;
    std::array<SnappedPoint, kMaxSnappedPoints> entries{};

    bool empty() const { return count == 0; }
    // The precise position a stored point stands for; the point itself (widened) when none.
    PrecisePoint precise(MeasurePoint stored) const;
    bool contains(MeasurePoint stored) const;
    // Records a snapped point; an entry for the same stored point is replaced. When the table is
    // full the point keeps its float position, a hundred-thousandth of a pixel away.
    void add(MeasurePoint stored, PrecisePoint precise);
    void clear() { count = 0; }
};

// The shape being drawn or last drawn. History nodes copy it field by field.
struct ShapeDraft {
    MeasurePoint a, b;
    std::int32_t penWidth = 1;
    std::int32_t penStyle = 0;
    platform::ColorRef colour = 0xFF0000;
    ShapeKind kind = ShapeKind::Line;
    MeasurePoint c, d;
    std::int32_t polygonCount = 0;
    std::array<MeasurePoint, kMaxPolygonEntries> polygon{};   // [count] live point, [count + 1] copy of A
    std::int32_t nodeCount = 0;
    std::array<MeasurePoint, kMaxListPoints> nodes{};         // [count] live point
    std::int32_t multiCount = 0;
    std::array<MeasurePoint, kMaxListPoints> multi{};         // [count] live point
    std::array<float, kMaxListPoints> segmentLengths{};       // recomputed by every multiple-line label
    float calibrationPixelLength = 0;
    float calibrationRealLength = 0;
    // Snapped points of the shape (none unless snapping placed or a circle fit made them).
    SnappedPoints snapped;
    // A circle by edge: the RMS distance of the edge points kept from the fitted circle, px.
    double fitResidualPx = 0;
};

// What each label shows. Initial values are those at start; they are not stored between runs.
struct LabelSettings {
    std::int32_t lineItem = 1;        // 0 none, 1 length
    std::int32_t circleItem = 1;      // 0 none, 1 circumference, 2 area, 3 radius, 4 diameter
    std::int32_t ellipseItem = 1;     // as circle; 3 and 4 give short and long values
    std::int32_t squareItem = 1;      // square, rectangle, polygon: 0 none, 1 perimeter, 2 area
    std::int32_t arcItem = 1;         // 0 none, 1 arc length, 2 perimeter, 3 area, 4 radius, 5 angle
    std::int32_t archItem = 1;        // 0 none, 1 perimeter, 2 area, 3 arc, 4 chord, 5 radius, 6 angle
    bool displayUnit = true;
    std::int32_t precision = 3;       // decimals, 1-9
    platform::ColorRef labelColour = 0xFF0000;
    std::int32_t counter = 0;         // running number printed as "[%02d]"
};

// The pen chosen by item i of the pen style combo box.
struct PenChoice {
    std::int32_t style;
    std::int32_t width;
};
constexpr PenChoice penForComboItem(int item)
{
    return {item + 1, item < 5 ? 1 : item - 3};
}

// Pure white is the transparency key of every layer, so a drawing colour is never stored as white.
constexpr platform::ColorRef storableColour(platform::ColorRef chosen) { return platform::keyFreeColour(chosen); }
// The colour a colour dialog is preset to: the stored near-white is shown as white.
constexpr platform::ColorRef dialogColour(platform::ColorRef stored)
{
    return stored == 0xFFFFFE ? 0xFFFFFF : stored;
}

// Forgets the snapped points that no point of the record (A, B, C, D, the lists up to their live
// entries) stands at any more, so that the table never fills with points long replaced.
void dropUnusedSnapped(ShapeDraft &shape);

// The point-based tools whose clicked points move onto an edge when snapping is on. An arc's or
// arch's centre (its third point) is not on an edge and stays as clicked.
constexpr bool snapsPoints(ShapeKind k)
{
    return (k >= ShapeKind::Line && k <= ShapeKind::Arch) || (k >= ShapeKind::ThreePointsAngle && k <= ShapeKind::Polygon);
}

constexpr bool isLineKind(ShapeKind k) { return k >= ShapeKind::Line && k <= ShapeKind::MultiLine; }
constexpr bool isListKind(ShapeKind k)
{
    return k == ShapeKind::NodeLine || k == ShapeKind::MultiLine || k == ShapeKind::Polygon;
}
constexpr bool isAngleKind(ShapeKind k) { return k >= ShapeKind::ThreePointsAngle && k <= ShapeKind::FourPointsAngle; }
// Kinds whose C and D slots hold points of the shape.
constexpr bool usesCAndD(ShapeKind k)
{
    return (k >= ShapeKind::ThreePointsCircle && k <= ShapeKind::Arch) || isAngleKind(k);
}

} // namespace measure
