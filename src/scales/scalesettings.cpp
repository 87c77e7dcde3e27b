#include "scales/scalesettings.h"

#include <cmath>

namespace scales {

ScaleControls controlsFor(const RulerScaleControl &s)
{
    ScaleControls c;
    c.unit = s.unit;
    c.hSpin = s.spinValues[std::size_t(s.unit)].horizontal;
    c.vSpin = s.spinValues[std::size_t(s.unit)].vertical;
    c.horizontalPosition = s.horizontalPosition;
    c.verticalPosition = s.verticalPosition;
    c.horizontalOrigin = s.horizontalOrigin;
    c.verticalOrigin = s.verticalOrigin;
    c.colour = s.colour;
    c.monitorWidthMode = s.pendingMonitorWidthMode;
    c.monitorWidthUnit = s.monitorWidthUnit;
    c.manualMonitorWidthCm = s.pendingManualMonitorWidthCm;
    c.displayMagnification = s.displayMagnification;
    c.magnificationMode = s.magnificationMode;
    return c;
}

void storeControls(const ScaleControls &c, int number, RulerScaleControl &s)
{
    s.number = number;
    s.unit = c.unit;
    setLengthsFromSpin(s, c.unit, c.hSpin, c.vSpin);
    s.horizontalPosition = c.horizontalPosition;
    s.verticalPosition = c.verticalPosition;
    s.horizontalOrigin = c.horizontalOrigin;
    s.verticalOrigin = c.verticalOrigin;
    s.colour = storableScaleColour(c.colour);
    s.monitorWidthMode = s.pendingMonitorWidthMode = c.monitorWidthMode;
    s.monitorWidthUnit = c.monitorWidthUnit;
    s.manualMonitorWidthCm = s.pendingManualMonitorWidthCm = c.manualMonitorWidthCm;
    s.displayMagnification = c.displayMagnification;
    s.magnificationMode = c.magnificationMode;
}

bool saveNeeded(const ScaleControls &c, const RulerScaleControl &s)
{
    const AxisPair<std::int32_t> &spin = s.spinValues[std::size_t(c.unit)];
    return c.unit != s.unit || c.hSpin != spin.horizontal || c.vSpin != spin.vertical ||
           c.horizontalPosition != s.horizontalPosition || c.verticalPosition != s.verticalPosition ||
           c.horizontalOrigin != s.horizontalOrigin || c.verticalOrigin != s.verticalOrigin || c.colour != s.colour ||
           c.manualMonitorWidthCm != s.manualMonitorWidthCm || c.displayMagnification != s.displayMagnification ||
           c.monitorWidthUnit != s.monitorWidthUnit || c.monitorWidthMode != s.monitorWidthMode ||
           c.magnificationMode != s.magnificationMode;
}

std::int32_t fixedRatioVertical(std::int32_t horizontal) { return std::int32_t(double(horizontal) * 0.75); }
std::int32_t fixedRatioHorizontal(std::int32_t vertical) { return std::int32_t(float(vertical) * 1.3333334f); }

std::int32_t monitorSpinFor(float widthCm, std::int32_t monitorUnit)
{
    // A float width is a few millionths off (47.6f is 47.5999985): without a little tolerance
    // 47.6 cm would show 4759 and 50.8 cm 2001 hundredths of an inch.
    if (monitorUnit == 1)
        return std::int32_t(std::ceil(double(widthCm) / 2.54 * 100.0 - 1e-3));
    return std::int32_t(std::floor(double(widthCm) * 100.0 + 1e-3));
}

float monitorWidthFromSpin(std::int32_t spin, std::int32_t monitorUnit)
{
    return monitorUnit == 1 ? float(spin * 2.54 / 100.0) : float(spin / 100.0);
}

QString monitorWidthText(float widthCm, std::int32_t monitorUnit)
{
    if (monitorUnit == 1)
        return QString::number(double(widthCm) * 0.39370079, 'f', 2) + QStringLiteral(" in.");
    return QString::number(double(widthCm), 'f', 2) + QStringLiteral(" cm");
}

void applyDetectedMonitorWidth(RulerScaleControl &s, float detectedCm)
{
    s.detectedMonitorWidthCm = detectedCm;
    if (detectedCm <= 0) {
        s.monitorWidthMode = s.pendingMonitorWidthMode = 1;
    }
    if (s.manualMonitorWidthCm == 0)
        s.manualMonitorWidthCm = s.pendingManualMonitorWidthCm = detectedCm;
}

} // namespace scales
