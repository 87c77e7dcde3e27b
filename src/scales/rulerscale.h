#pragma once

#include "platform/bitmap.h"

#include <QString>

#include <array>
#include <cstdint>

namespace scales {

// Units of a ruler scale, by their index in the unit combo box.
enum class ScaleUnit : std::int16_t { Millimetre = 0, Inch = 1, Micrometre = 2, Mil = 3 };

// Horizontal and vertical value of one quantity.
template <typename T> struct AxisPair {
    T horizontal{};
    T vertical{};
};

// The current ruler scale: how long the whole picture is in the real world, plus the look of the
// scale bar and the magnification settings. One record lives in the main window; measurement reads
// hLength, vLength and unit for every value it labels.
struct RulerScaleControl {
    QString name;
    ScaleUnit unit = ScaleUnit::Millimetre;
    float hLength = 0.0f;   // real length covered by the full picture width, in `unit`
    float vLength = 0.0f;   // real length covered by the full picture height, in `unit`

    // The same lengths in every unit, indexed by ScaleUnit, kept in step when one unit is edited.
    std::array<AxisPair<float>, 4> lengths{};
    // Spin box values per unit: mm in hundredths, inch in ten-thousandths, um and mil whole.
    std::array<AxisPair<std::int32_t>, 4> spinValues{};

    std::int32_t horizontalPosition = 0;   // 0 none, 1 top, 2 centre, 3 bottom
    std::int32_t verticalPosition = 0;     // 0 none, 1 left, 2 centre, 3 right
    std::int32_t horizontalOrigin = 0;     // 0 left, 1 centre, 2 right
    std::int32_t verticalOrigin = 0;       // 0 top, 1 centre, 2 bottom
    std::int32_t number = 0;               // 1-based position in the scale list
    platform::ColorRef colour = 0;         // never pure white: 0xFFFFFF is kept as 0xFFFFFE
    bool renaming = false;
    bool calibrating = false;
    bool displayMagnification = false;
    float screenWidthCm = 0.0f;
    float detectedMonitorWidthCm = 0.0f;
    float manualMonitorWidthCm = 0.0f;
    float pendingManualMonitorWidthCm = 0.0f;
    std::int32_t monitorWidthMode = 0;          // 0 auto-detect, 1 manual
    std::int32_t pendingMonitorWidthMode = 0;
    std::int32_t monitorWidthUnit = 0;          // 0 cm, 1 inch
    std::int32_t unitChangeState = 0;           // 0 idle, 1 unit just changed, 2 ignore next spin change
    AxisPair<float> monitorLabelValues{};       // detected and manual widths in the shown unit
    std::int32_t magnificationMode = 0;         // 0 none, 1 screen, 2 printing, 3 both
};

// Fills every unit's lengths and spin values from millimetre spin values (hundredths of a mm), the
// way a scale is loaded: inch is mm x 0.03937 (the store's own factor, not 1/25.4), spin values
// truncate toward zero.
void setLengthsFromMillimetreSpin(RulerScaleControl &scale, std::int32_t hSpin, std::int32_t vSpin);

// The first built-in scale (118.00 mm x 88.50 mm, unit mm) with the defaults of a rebuilt store.
// Its name is "@" + lowText + "[12.0cm," + nonContactText + "]"; the two texts are interface texts.
RulerScaleControl firstBuiltInScale(const QString &lowText = QString(), const QString &nonContactText = QString());

} // namespace scales
