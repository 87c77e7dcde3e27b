#pragma once

#include "scales/rulerscale.h"

#include <QSize>
#include <QString>

namespace scales {

// The arithmetic of calibrating against an object of known size: a line of `pixelLength` pixels
// over `realLength` (in the scale's unit) makes the whole measuring area `area` (640 x 480 in the
// calibration window) e x width by e x height long, e = realLength / pixelLength. Double precision
// throughout: 1.00 mm over 200 px must give 3.20 mm and 2.40 mm, which single precision misses.
class Calibration
{
public:
    explicit Calibration(QSize area = QSize(640, 480)) : area_(area) {}
    // The pixels the line is measured in: the view, or the picture when it is smaller.
    void setArea(QSize area) { area_ = area; }

    // The real-length spin box: clamped to [0, bound] of the unit; the real length is the spin
    // value times the unit's step. Clears the minimum pixel length.
    void setRealLengthSpin(ScaleUnit unit, double spin);
    std::int32_t realLengthSpin() const { return realSpin_; }
    double realLength() const { return realLength_; }
    ScaleUnit unit() const { return unit_; }
    QString realLengthText() const { return lengthText(unit_, realSpin_); }

    // Recomputes the scale from a line of `pixelLength` pixels. The length is first held at the
    // minimum pixel length; a length below one pixel (a fixed axis with the mouse moved only
    // across it) recomputes nothing. Returns the pixel length used, or a negative value when
    // nothing was computed. When a spin value reaches the unit's bound, shorter lines are held
    // at this one's length from then on.
    double compute(double pixelLength, RulerScaleControl &scale);
    int minimumPixelLength() const { return minPixel_; }
    // ST_Distance: the pixel length with two decimals.
    static QString distanceText(double pixelLength) { return QString::number(pixelLength, 'f', 2); }

private:
    QSize area_;
    ScaleUnit unit_ = ScaleUnit::Millimetre;
    std::int32_t realSpin_ = 100;
    double realLength_ = 1.0;
    int minPixel_ = 0;
};

} // namespace scales
