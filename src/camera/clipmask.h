#pragma once

class QImage;

namespace camera {

class BitPlane;

// The clipping warning's pixels of `picture` (Format_RGB32): `high` gets every pixel with a
// channel (blue, green or red) at 255, `low` every other pixel with a channel at 0. Both are
// made the picture's size; a null picture gives null planes.
void findClippedPixels(const QImage &picture, BitPlane &high, BitPlane &low);

} // namespace camera
