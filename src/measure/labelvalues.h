#pragma once

#include "measure/geometry.h"
#include "measure/labels.h"
#include "measure/shapes.h"

#include <QSize>
#include <QString>

#include <vector>

namespace measure {

// What a label needs besides the shape: the current scale's lengths and unit, and the sizes from
// which the per-pixel factors follow.
struct LabelContext {
    float hLength = 0;
    float vLength = 0;
    int scaleUnitIndex = 0;
    QSize window;
    QSize picture;
    QSize bitmap;
    bool useBitmap = false;     // re-rendering onto a full-size picture
    bool calibrating = false;   // the line label shows the calibration length without number
};

// What a labelled value measures.
enum class LabelQuantity { Unknown, NumberOnly, Length, Perimeter, Area, Radius, Diameter, Angle };

// One value a label writes, with where it goes. The label's text is composeLabel(value, precision,
// unit, label); anything listing the values (the results table) takes them from here, so a list
// and the picture can never disagree.
struct LabelValue {
    LabelQuantity quantity = LabelQuantity::Unknown;
    QString letter;               // "L", "sR", theta for angles; empty for a bare running number
    double value = 0;
    int precision = 0;
    UnitCode unit = UnitCode::None;
    QString label;                // the text before "=": "[03]L"
    MeasurePoint anchor;
    int offset = 0;
    int rise = -1;                // segments of a multiple line at even index: |dy|; flat ones are lifted
    bool nextLine = false;        // the second line of an ellipse's radii or diameters
};

// The values a shape's label writes, in writing order (empty when it writes nothing: kind None, a
// same-spot shape or missing factors). Multiple lines store their segment lengths into the record.
std::vector<LabelValue> labelValues(ShapeDraft &shape, const LabelSettings &labels, const LabelContext &context);

// The middle of p and q, where most labels are anchored.
MeasurePoint midpoint(MeasurePoint p, MeasurePoint q);

} // namespace measure
