#include "scales/rulerscale.h"

namespace scales {

namespace {

constexpr std::size_t index(ScaleUnit u) { return std::size_t(u); }

} // namespace

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
        scale.spinValues[index(ScaleUnit::Inch)].*spin = std::int32_t(inch * 100.0f * 100.0f);
        scale.spinValues[index(ScaleUnit::Micrometre)].*spin = std::int32_t(um);
        scale.spinValues[index(ScaleUnit::Mil)].*spin = std::int32_t(mil);
    };
    fill(float(hSpin) / 100.0f, &AxisPair<float>::horizontal, &AxisPair<std::int32_t>::horizontal);
    fill(float(vSpin) / 100.0f, &AxisPair<float>::vertical, &AxisPair<std::int32_t>::vertical);
    // Spin values in mm are the stored truth; keep them exact rather than re-derived through floats.
    scale.spinValues[index(ScaleUnit::Millimetre)] = {hSpin, vSpin};
    scale.hLength = scale.lengths[index(scale.unit)].horizontal;
    scale.vLength = scale.lengths[index(scale.unit)].vertical;
}

RulerScaleControl firstBuiltInScale(const QString &lowText, const QString &nonContactText)
{
    RulerScaleControl s;
    s.name = QStringLiteral("@") + lowText + QStringLiteral("[12.0cm,") + nonContactText + QStringLiteral("]");
    s.number = 1;
    s.unit = ScaleUnit::Millimetre;
    constexpr std::int32_t hSpin = 11800;
    setLengthsFromMillimetreSpin(s, hSpin, std::int32_t(0.75 * hSpin));
    s.horizontalPosition = 2;
    s.verticalPosition = 2;
    s.horizontalOrigin = 1;
    s.verticalOrigin = 1;
    s.colour = 0x0000FF;
    s.monitorWidthMode = 0;
    s.manualMonitorWidthCm = 0.0f;
    s.monitorWidthUnit = 0;
    s.displayMagnification = true;
    s.magnificationMode = 3;
    return s;
}

} // namespace scales
