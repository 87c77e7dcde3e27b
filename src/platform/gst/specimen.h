#pragma once

#include <QImage>

namespace platform {

// The virtual camera's subject: a backlit stage micrometer, 1 mm in 0.01 mm divisions, with a
// few round particles beside it, so that measuring and calibrating on it mean something. The
// field of view is the same at every size: one division is width / 128 pixels.
QImage drawSpecimen(int width, int height);

// Pixels per 0.01 mm division at a picture width, as drawn.
double specimenPixelsPerDivision(int width);

} // namespace platform
