#pragma once

#include "scales/rulerscale.h"

#include <QSize>
#include <QString>

namespace scales {

// The scale as it applies to a picture of `picture` pixels when it was calibrated at
// scale.calibratedSize on the same camera. The optics did not change, only how many pixels the
// camera makes of the same field: the field keeps its width (hLength), and a picture pixel stays
// as square as it was at calibration, so the height follows the new aspect,
// vLength x (picture height / picture width) / (calibrated height / calibrated width). A 1.28 mm
// x 0.96 mm scale of 1600x1200 is the same at 800x600 and 1.28 mm x 0.72 mm at 1600x900.
//
// The name then says so: `nameFormat` with %1 the name, %2 x %3 the calibrated and %4 x %5 the
// used size ("Micro1mm @1600x1200, used at 800x600"). A scale without a calibrated size, an
// empty picture or the calibrated size itself give the scale unchanged.
RulerScaleControl scaleAtPictureSize(const RulerScaleControl &scale, QSize picture, const QString &nameFormat);

// The name of the stored scale that a name made by scaleAtPictureSize came from, given the
// stored names; empty when `shown` is none of them with a size added.
QString storedScaleName(const QString &shown, const QStringList &storedNames, const QString &nameFormat);

} // namespace scales
