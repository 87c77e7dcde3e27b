#pragma once

#include "scales/rulerscale.h"

#include <QString>

namespace scales {

// What the scale settings dialog's controls show, as values: the dialog copies its widgets into
// this and back, so its rules are tested without widgets.
struct ScaleControls {
    ScaleUnit unit = ScaleUnit::Millimetre;
    std::int32_t hSpin = 0;
    std::int32_t vSpin = 0;
    std::int32_t horizontalPosition = 2;
    std::int32_t verticalPosition = 2;
    std::int32_t horizontalOrigin = 1;
    std::int32_t verticalOrigin = 1;
    platform::ColorRef colour = 0x0000FF;   // as shown: white is already 0xFFFFFE
    std::int32_t monitorWidthMode = 0;      // pending: 0 auto-detect, 1 manual
    std::int32_t monitorWidthUnit = 0;      // 0 cm, 1 inch
    float manualMonitorWidthCm = 0;         // pending
    bool displayMagnification = true;
    std::int32_t magnificationMode = 0;
    friend bool operator==(const ScaleControls &, const ScaleControls &) = default;
};

// The controls showing a scale (LoadScale).
ScaleControls controlsFor(const RulerScaleControl &scale);
// StoreScale: the controls into the record; number is the entry's 1-based position.
void storeControls(const ScaleControls &controls, int number, RulerScaleControl &scale);
// The Save button's rule: the controls differ from the record in anything that is stored.
bool saveNeeded(const ScaleControls &controls, const RulerScaleControl &scale);

// "Fixed Ratio": the other length follows a typed one (4:3), truncated.
std::int32_t fixedRatioVertical(std::int32_t horizontal);
std::int32_t fixedRatioHorizontal(std::int32_t vertical);

// The colour a scale stores for a colour the user chose: pure white is the layers' transparent
// key, so it is kept as 0xFFFFFE; the colour dialog is preset the other way round.
constexpr platform::ColorRef storableScaleColour(platform::ColorRef chosen) { return platform::keyFreeColour(chosen); }
constexpr platform::ColorRef shownScaleColour(platform::ColorRef stored) { return stored == 0xFFFFFE ? 0xFFFFFF : stored; }

// The monitor width spin box (`mdh_CSE`): hundredths of the chosen monitor unit.
std::int32_t monitorSpinFor(float widthCm, std::int32_t monitorUnit);
float monitorWidthFromSpin(std::int32_t spin, std::int32_t monitorUnit);
// "47.60 cm" or "18.74 in." for a width in cm.
QString monitorWidthText(float widthCm, std::int32_t monitorUnit);

// Loading a scale's monitor settings against the width detected on this machine: without a
// detected width the mode is manual (auto-detect is not offered); a manual width of 0 takes the
// detected one.
void applyDetectedMonitorWidth(RulerScaleControl &scale, float detectedCm);

} // namespace scales
