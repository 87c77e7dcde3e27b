#pragma once

#include "platform/tiffwriter.h"

#include <QSize>

namespace scales {
struct RulerScaleControl;
}

namespace measure {

// Centimetres in one unit of the scale (mm, inch, um, mil by ScaleUnit).
double centimetresPerUnit(int scaleUnitIndex);

// The TIFF tags that carry the scale: X/YResolution in pixels per centimetre of the picture, and an
// ImageJ description. ImageJ takes 1/XResolution in the description's unit, so the description
// says "unit=cm" to agree with ResolutionUnit: a "unit=mm" beside centimetre resolutions would
// make every ImageJ measurement ten times too small. An uncalibrated scale writes neither.
platform::TiffOptions analysisTiffOptions(const scales::RulerScaleControl &scale, QSize picture);

} // namespace measure
