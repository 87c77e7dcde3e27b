#pragma once

#include "platform/bitmap.h"

#include <QColor>

#include <cstdint>
#include <vector>

namespace stack {

// The false colour of frame `index` of `frames`: from deep blue (the first frame) through green
// and yellow to dark red (the last), a perceptually even ramp so neighbouring frames stay apart.
QColor depthColour(int index, int frames);

// The depth map (the sharpest frame's index per pixel, row by row) as a false-colour picture.
platform::Bitmap depthPicture(const std::vector<std::uint8_t> &depth, int width, int height, int frames);

} // namespace stack
