#pragma once

#include "platform/bitmap.h"

#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

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

    // Kept beside the store (ScaleFacts), not in its 15 lines: the picture size the lengths were
    // calibrated at and the camera (CameraIdentity key) they were calibrated with. Empty for a
    // built-in scale, one typed by hand, or one calibrated before these were kept.
    QSize calibratedSize;
    QString cameraKey;
};

// What a spin value means in each unit: one step in the unit, the upper bound of the spin value,
// and how the length is written beside the spin box.
struct UnitInfo {
    double step;          // unit length of one spin step
    std::int32_t bound;   // largest spin value
    int decimals;         // digits after the point of the length text
    const char *suffix;   // " mm", " in.", " um", " mil"
};
const UnitInfo &unitInfo(ScaleUnit unit);
// Unit index from a stored or chosen number; none outside 0..3.
std::optional<ScaleUnit> unitFromIndex(int index);

// A spin value held to [0, bound] of the unit. Takes the raw double so that a value beyond the
// range of int32 is clamped before it becomes an integer.
std::int32_t clampSpin(ScaleUnit unit, double value);
// The length a spin value stands for, in the unit.
double spinLength(ScaleUnit unit, std::int32_t spin);
// The label beside a spin box: "1.00 mm", "4.6456 in.", "1000 um", "39 mil".
QString lengthText(ScaleUnit unit, std::int32_t spin);

// Sets the scale's lengths and spin values of every unit from the spin values typed in `unit`;
// the other units follow the conversion rules (inch is mm x 0.03937, mil is inch x 1000), their
// spin values truncated. hLength and vLength follow the scale's own unit.
void setLengthsFromSpin(RulerScaleControl &scale, ScaleUnit unit, std::int32_t hSpin, std::int32_t vSpin);
// The same from lengths computed in `unit` (calibration): the spin values are the truncated
// lengths, held to the unit's bound.
void setLengthsFromLength(RulerScaleControl &scale, ScaleUnit unit, double hLength, double vLength);

// Fills every unit's lengths and spin values from millimetre spin values (hundredths of a mm), the
// way a scale is loaded: inch is mm x 0.03937 (the store's own factor, not 1/25.4), spin values
// truncate toward zero.
void setLengthsFromMillimetreSpin(RulerScaleControl &scale, std::int32_t hSpin, std::int32_t vSpin);

// The interface texts the built-in scale names are made of.
struct BuiltInTexts {
    QString low;          // DrawRulerTB_Low
    QString high;         // DrawRulerTB_High
    QString nonContact;   // DrawRulerTB_NonContact
};
constexpr int kBuiltInScales = 2;
// "@" + low or high text + "[" + "12.0cm" or "0.50cm" + "," + non-contact text + "]".
QString builtInScaleName(int index, const BuiltInTexts &texts);
// Built-in scale 0 (118.00 mm x 88.50 mm) or 1 (1.70 mm x 1.27 mm), unit mm, with the defaults of
// a rebuilt store.
RulerScaleControl builtInScale(int index, const BuiltInTexts &texts);
// The defaults of a rebuilt store, applied to everything but name, number and lengths.
void applyStoreDefaults(RulerScaleControl &scale);

// The first built-in scale (118.00 mm x 88.50 mm, unit mm) with the defaults of a rebuilt store.
// Its name is "@" + lowText + "[12.0cm," + nonContactText + "]"; the two texts are interface texts.
RulerScaleControl firstBuiltInScale(const QString &lowText = QString(), const QString &nonContactText = QString());

} // namespace scales
