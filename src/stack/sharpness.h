#pragma once

#include "platform/bitmap.h"

#include <QRect>

namespace stack {

// How much fine detail a region of a picture holds: the mean squared Laplacian (3 x 3 aperture)
// of the luma over `region` (the whole picture when empty). A defocused copy of the same region
// scores lower; a flat region scores about 0.
double laplacianEnergy(const platform::Bitmap &picture, QRect region = {});

} // namespace stack
