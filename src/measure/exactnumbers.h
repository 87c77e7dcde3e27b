#pragma once

#include <QString>

namespace measure {

// Numbers as the user typed them. A scale length is kept as a float: 1.28 mm is held as
// 1.2799999713897705, and dividing that by 640 pixels gives 0.0019999999552965165 mm instead of
// the 0.002 mm the user calibrated. The typed decimal is the shortest text that reads back as the
// same float; computing from it gives back the user's numbers.

// The float's shortest round-trip decimal as a double: 1.28f gives 1.28.
double typedValue(float value);
// The shortest text that reads back as the same double, with '.' whatever the locale: "0.002",
// "1e-07", "5000". Not a number or infinite gives "nan", "inf" or "-inf".
QString shortestText(double value);
// The same for a float: "450.5", "100.1" (not "100.099998").
QString shortestText(float value);

} // namespace measure
