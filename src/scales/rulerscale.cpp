#include "scales/rulerscale.h"

#include <algorithm>
#include <cmath>

namespace scales {

namespace {

constexpr std::size_t index(ScaleUnit u) { return std::size_t(u); }

constexpr std::array<UnitInfo, 4> kUnits{{
    {0.01, 16500, 2, " mm"},
    {0.0001, 64960, 4, " in."},
    {1.0, 16500000, 0, " um"},
    {1.0, 649605, 0, " mil"},
}};

// Spin steps in one unit of length: mm 100, inch 10000, um and mil 1.
double stepsPerUnit(ScaleUnit unit)
{
    return unit == ScaleUnit::Millimetre ? 100.0 : unit == ScaleUnit::Inch ? 10000.0 : 1.0;
}

// One axis's length in every unit from its length in `unit`, by the store's conversion rules
// (single precision, as the record keeps them).
std::array<float, 4> allUnits(ScaleUnit unit, float length)
{
    float mm = 0, inch = 0, um = 0, mil = 0;
    switch (unit) {
    case ScaleUnit::Millimetre:
        mm = length;
        um = mm * 1000.0f;
        inch = mm * 0.03937f;
        mil = inch * 1000.0f;
        break;
    case ScaleUnit::Micrometre:
        um = length;
        mm = um * 0.001f;
        inch = mm * 0.03937f;
        mil = inch * 1000.0f;
        break;
    case ScaleUnit::Inch:
        inch = length;
        mm = inch * 25.4f;
        um = mm * 1000.0f;
        mil = inch * 1000.0f;
        break;
    case ScaleUnit::Mil:
        mil = length;
        mm = mil * 0.0254f;
        um = mm * 1000.0f;
        inch = mil * 0.001f;
        break;
    }
    return {mm, inch, um, mil};
}

// Spin value of a length in every unit: mm x 100, inch x 100 x 100, um and mil whole, truncated
// and held to the unit's bound.
std::int32_t spinOf(ScaleUnit unit, float length)
{
    switch (unit) {
    case ScaleUnit::Millimetre: return clampSpin(unit, std::trunc(length * 100.0f));
    case ScaleUnit::Inch: return clampSpin(unit, std::trunc(length * 100.0f * 100.0f));
    default: return clampSpin(unit, std::trunc(double(length)));
    }
}

void fillAxis(RulerScaleControl &scale, ScaleUnit unit, float length, std::int32_t spin,
              float AxisPair<float>::*lengthField, std::int32_t AxisPair<std::int32_t>::*spinField)
{
    const std::array<float, 4> lengths = allUnits(unit, length);
    for (std::size_t u = 0; u < 4; ++u) {
        scale.lengths[u].*lengthField = lengths[u];
        scale.spinValues[u].*spinField = spinOf(ScaleUnit(u), lengths[u]);
    }
    // The typed unit keeps the spin value as typed rather than re-derived through floats.
    scale.spinValues[index(unit)].*spinField = spin;
}

} // namespace

const UnitInfo &unitInfo(ScaleUnit unit) { return kUnits[std::min<std::size_t>(index(unit), 3)]; }

std::optional<ScaleUnit> unitFromIndex(int i)
{
    if (i < 0 || i > 3)
        return std::nullopt;
    return ScaleUnit(i);
}

std::int32_t clampSpin(ScaleUnit unit, double value)
{
    if (!(value > 0))   // also NaN
        return 0;
    const double bound = unitInfo(unit).bound;
    return value >= bound ? std::int32_t(bound) : std::int32_t(value);
}

double spinLength(ScaleUnit unit, std::int32_t spin) { return spin * unitInfo(unit).step; }

QString lengthText(ScaleUnit unit, std::int32_t spin)
{
    const UnitInfo &u = unitInfo(unit);
    return QString::number(spinLength(unit, spin), 'f', u.decimals) + QLatin1String(u.suffix);
}

void setLengthsFromSpin(RulerScaleControl &scale, ScaleUnit unit, std::int32_t hSpin, std::int32_t vSpin)
{
    hSpin = clampSpin(unit, hSpin);
    vSpin = clampSpin(unit, vSpin);
    const float perStep = float(stepsPerUnit(unit));
    fillAxis(scale, unit, float(hSpin) / perStep, hSpin, &AxisPair<float>::horizontal, &AxisPair<std::int32_t>::horizontal);
    fillAxis(scale, unit, float(vSpin) / perStep, vSpin, &AxisPair<float>::vertical, &AxisPair<std::int32_t>::vertical);
    scale.hLength = scale.lengths[index(scale.unit)].horizontal;
    scale.vLength = scale.lengths[index(scale.unit)].vertical;
}

void setLengthsFromLength(RulerScaleControl &scale, ScaleUnit unit, double hLength, double vLength)
{
    // Spin values are lengths times 100 (mm) or 10000 (inch): multiplied, not divided by the
    // step, so that 2.4 mm gives 240 and not 239. Clamped in double: a line of a few pixels gives
    // lengths far beyond int32.
    const double perStep = stepsPerUnit(unit);
    const std::int32_t bound = unitInfo(unit).bound;
    const std::int32_t hSpin = clampSpin(unit, std::trunc(hLength * perStep));
    const std::int32_t vSpin = clampSpin(unit, std::trunc(vLength * perStep));
    if (hSpin == bound || !(hLength >= 0))
        hLength = hSpin / perStep;
    if (vSpin == bound || !(vLength >= 0))
        vLength = vSpin / perStep;
    fillAxis(scale, unit, float(hLength), hSpin, &AxisPair<float>::horizontal, &AxisPair<std::int32_t>::horizontal);
    fillAxis(scale, unit, float(vLength), vSpin, &AxisPair<float>::vertical, &AxisPair<std::int32_t>::vertical);
    scale.hLength = scale.lengths[index(scale.unit)].horizontal;
    scale.vLength = scale.lengths[index(scale.unit)].vertical;
}

void setLengthsFromMillimetreSpin(RulerScaleControl &scale, std::int32_t hSpin, std::int32_t vSpin)
{
    const auto fill = [&scale](float mm, float AxisPair<float>::*length, std::int32_t AxisPair<std::int32_t>::*spin) {
        const float um = mm * 1000.0f;
        const float inch = mm * 0.03937f;
        const float mil = inch * 1000.0f;
        scale.lengths[index(ScaleUnit::Millimetre)].*length = mm;
        scale.lengths[index(ScaleUnit::Inch)].*length = inch;
        scale.lengths[index(ScaleUnit::Micrometre)].*length = um;
        scale.lengths[index(ScaleUnit::Mil)].*length = mil;
        scale.spinValues[index(ScaleUnit::Millimetre)].*spin = std::int32_t(mm * 100.0f);
        scale.spinValues[index(ScaleUnit::Inch)].*spin = clampSpin(ScaleUnit::Inch, std::trunc(inch * 100.0f * 100.0f));
        scale.spinValues[index(ScaleUnit::Micrometre)].*spin = clampSpin(ScaleUnit::Micrometre, std::trunc(double(um)));
        scale.spinValues[index(ScaleUnit::Mil)].*spin = clampSpin(ScaleUnit::Mil, std::trunc(double(mil)));
    };
    fill(float(hSpin) / 100.0f, &AxisPair<float>::horizontal, &AxisPair<std::int32_t>::horizontal);
    fill(float(vSpin) / 100.0f, &AxisPair<float>::vertical, &AxisPair<std::int32_t>::vertical);
    // Spin values in mm are the stored truth; keep them exact rather than re-derived through floats.
    scale.spinValues[index(ScaleUnit::Millimetre)] = {hSpin, vSpin};
    scale.hLength = scale.lengths[index(scale.unit)].horizontal;
    scale.vLength = scale.lengths[index(scale.unit)].vertical;
}

QString builtInScaleName(int i, const BuiltInTexts &texts)
{
    const double distanceCm = i == 0 ? 12.0 : 0.5;
    // "%2.1f" from ten up, "%1.2f" below.
    const QString distance = QString::number(distanceCm, 'f', distanceCm >= 10 ? 1 : 2) + QStringLiteral("cm");
    return QStringLiteral("@") + (i == 0 ? texts.low : texts.high) + QLatin1Char('[') + distance + QLatin1Char(',') +
           texts.nonContact + QLatin1Char(']');
}

void applyStoreDefaults(RulerScaleControl &s)
{
    s.horizontalPosition = 2;
    s.verticalPosition = 2;
    s.horizontalOrigin = 1;
    s.verticalOrigin = 1;
    s.colour = 0x0000FF;
    s.monitorWidthMode = s.pendingMonitorWidthMode = 0;
    s.manualMonitorWidthCm = s.pendingManualMonitorWidthCm = 0.0f;
    s.monitorWidthUnit = 0;
    s.displayMagnification = true;
    s.magnificationMode = 3;
}

RulerScaleControl builtInScale(int i, const BuiltInTexts &texts)
{
    RulerScaleControl s;
    s.name = builtInScaleName(i, texts);
    s.number = i + 1;
    s.unit = ScaleUnit::Millimetre;
    const std::int32_t hSpin = i == 0 ? 11800 : 170;
    setLengthsFromMillimetreSpin(s, hSpin, std::int32_t(0.75 * hSpin));
    applyStoreDefaults(s);
    return s;
}

RulerScaleControl firstBuiltInScale(const QString &lowText, const QString &nonContactText)
{
    return builtInScale(0, BuiltInTexts{lowText, QString(), nonContactText});
}

} // namespace scales
