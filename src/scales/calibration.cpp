#include "scales/calibration.h"

#include <cmath>

namespace scales {

void Calibration::setRealLengthSpin(ScaleUnit unit, double spin)
{
    unit_ = unit;
    realSpin_ = clampSpin(unit, spin);
    realLength_ = spinLength(unit, realSpin_);
    minPixel_ = 0;
}

double Calibration::compute(double pixelLength, RulerScaleControl &scale)
{
    if (minPixel_ > pixelLength)
        pixelLength = minPixel_;
    if (!(pixelLength >= 1.0))
        return -1.0;
    const double perPixel = realLength_ / pixelLength;
    scale.unit = unit_;
    setLengthsFromLength(scale, unit_, perPixel * area_.width(), perPixel * area_.height());
    const AxisPair<std::int32_t> &spin = scale.spinValues[std::size_t(unit_)];
    const std::int32_t bound = unitInfo(unit_).bound;
    if (spin.horizontal >= bound || spin.vertical >= bound)
        minPixel_ = int(std::floor(pixelLength));
    return pixelLength;
}

} // namespace scales
