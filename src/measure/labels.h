#pragma once

#include <QString>

#include <cstdint>

namespace measure {

// Unit of a labelled value.
enum class UnitCode : std::int32_t {
    None = 0,      // value without unit
    Cm = 10,
    Mm = 20,
    Um = 30,
    In = 40,
    Mil = 50,
    Deg = 60,      // angles
    NoValue = 70,  // label without value: only the running number
};

// Scale unit index used for angles in place of the scale's own unit.
inline constexpr int kAngleUnitIndex = 5;

QString GetUnitStr(UnitCode code);
// Unit of a value from the scale unit index (0 mm, 1 inch, 2 um, 3 mil, 4 cm, 5 angle); None when
// units are not displayed.
UnitCode unitCodeFor(int scaleUnitIndex, bool displayUnit);

// The value a label shows at `precision` decimals: rounded to a multiple of 10^-precision with ties
// to even, then half up. Kept in double throughout: no integer conversion, so large areas at
// precision 9 cannot overflow.
double roundForLabel(double value, int precision);

// "[%02d]" of the running number, followed by the item letter.
QString labelText(int counter, const QString &letter);

// One label as written: main text, and whether a raised "2" follows (areas). symbolSized labels
// (angles with unit) use the larger angle font.
struct LabelLine {
    QString text;
    bool raisedTwo = false;
    bool symbolSized = false;
};
LabelLine composeLabel(double value, int precision, UnitCode unit, const QString &label);

inline const QString kTheta = QStringLiteral("\u03B8");
inline const QString kDegree = QStringLiteral("\u00B0");

} // namespace measure
