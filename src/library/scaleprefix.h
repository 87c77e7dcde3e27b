#pragma once

#include <QString>

namespace library {

// The name prefix of a picture with a burnt-in scale bar or measurement: "h" + H + "v" + V + unit
// + "_", with H and V the scale bar's lengths in the unit's own steps (hundredths of a millimetre,
// ten-thousandths of an inch, micrometres or mils). Unit codes: 1 in, 2 um, 3 mil, anything else
// mm. Empty without the burn-in flag.
QString scalePrefix(bool burnIn, int unit, int horizontal, int vertical);

} // namespace library
