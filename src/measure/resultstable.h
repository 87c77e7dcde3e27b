#pragma once

#include "measure/labelvalues.h"
#include "measure/shapes.h"

#include <QByteArray>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <system_error>
#include <vector>

namespace scales {
struct RulerScaleControl;
}

namespace measure {

class MeasuringSession;

// One value written on the picture: a shape gives one row per label value (a multiple line one per
// segment, an ellipse's radii two), so every cell holds a single number.
struct ResultRow {
    int number = 0;                   // the running number the label shows
    ShapeKind kind = ShapeKind::None;
    LabelValue value;                 // as the label writes it
    std::vector<QPointF> pointsPx;    // the shape's defining points in picture pixels
    // A circle by edge: the RMS distance of its edge points from the fitted circle, picture px.
    std::optional<double> fitResidualPx;
};

// The columns of values, in order.
inline constexpr std::array<LabelQuantity, 6> kResultQuantities{LabelQuantity::Length,    LabelQuantity::Perimeter,
                                                                 LabelQuantity::Area,      LabelQuantity::Radius,
                                                                 LabelQuantity::Diameter,  LabelQuantity::Angle};

// Every shape of the current measurement in drawing order: the history up to its current node while
// overlap keeps shapes, otherwise the one completed shape on the picture. Values come from the
// labels' own computation at the labels' own precision; a shape still being drawn is not listed.
std::vector<ResultRow> resultRows(const MeasuringSession &session);

// The number as the label writes it ("." whatever the locale), without label and unit; empty when
// the row's value is not of `quantity`.
QString resultCell(const ResultRow &row, LabelQuantity quantity);
// "x y" pairs in picture pixels at one decimal, separated by "; ".
QString pointsCell(const ResultRow &row);
// A fitted circle's RMS residual in picture pixels at three decimals; empty for other shapes.
QString residualCell(const ResultRow &row);
// English tool name, as the draw style menu's built-in caption.
QString toolName(ShapeKind kind);
// The tool name of each kind (by ShapeKind), as the results table shows it: the table, the
// clipboard's copy and the CSV all take their names from one such set.
using ToolNames = std::array<QString, kShapeKindCount>;
// The built-in captions (toolName), for a reader without language texts.
ToolNames builtInToolNames();
// Unit text of a column for the scale unit index: "mm", "mm²" for areas, "°" for angles.
QString quantityUnit(LabelQuantity quantity, int scaleUnitIndex);

// Tab-separated rows with a header line, for the clipboard.
QString resultsTsv(const std::vector<ResultRow> &rows, int scaleUnitIndex, const ToolNames &names);

// What the CSV's leading key,value block says about the picture and its scale.
struct ResultsMetadata {
    QString scaleName;
    int scaleUnitIndex = 0;
    double pixelWidth = 0;    // scale unit per picture pixel; 0 when uncalibrated
    double pixelHeight = 0;
    QSize picture;
};
ResultsMetadata resultsMetadata(const MeasuringSession &session);

// One CSV field, quoted when it holds a comma, quote, CR or LF (RFC 4180).
QString csvField(const QString &text);
// One CSV line of fields, each quoted as csvField does, ended by CR LF.
QString csvLine(const QStringList &fields);
// The whole file: UTF-8, CRLF line ends, metadata rows, a blank line, the header with units, the rows.
// Numbers are the labels' own texts; the pixel sizes are the shortest texts that read back as the
// same double, computed from the scale's lengths as typed.
QByteArray resultsCsv(const std::vector<ResultRow> &rows, const ResultsMetadata &meta, const ToolNames &names);
// Written atomically: the destination keeps its old content when anything fails.
std::error_code writeResultsCsv(const QString &path, const std::vector<ResultRow> &rows, const ResultsMetadata &meta,
                                const ToolNames &names);

} // namespace measure
