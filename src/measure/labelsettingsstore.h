#pragma once

#include "measure/shapes.h"
#include "platform/profilestore.h"

#include <vector>

namespace measure {

// The measurement display options kept between runs, in their own section of the settings file:
//
//   [MeasureInfo]
//   LineItem=1
//   SquareItem=1
//   CircleItem=3
//   EllipseItem=1
//   ArcItem=1
//   ArchItem=1
//   DisplayUnit=1
//   Precision=2
//   LabelColour=255
//
// The running number is not kept: a new run starts counting at 0.
std::vector<platform::ProfileEntry> labelSettingsEntries(const LabelSettings &settings);
// What the file keeps; a missing key, or one out of its range, takes the initial value.
LabelSettings readLabelSettings(const platform::ProfileStore &store);

} // namespace measure
