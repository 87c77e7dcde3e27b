#pragma once

#include "platform/yuvscaler.h"

#include <QRgb>

#include <cstdint>

class QImage;

namespace camera {

class BitPlane;

// The clipping warning's pixels of `picture` (Format_RGB32): `high` gets every pixel with a
// channel (blue, green or red) at 255, `low` every other pixel with a channel at 0. Both are
// made the picture's size (their storage is reused when it already is); a null picture gives
// null planes. Every `level` gives the same planes; Portable is the one-pixel-at-a-time rule.
void findClippedPixels(const QImage &picture, BitPlane &high, BitPlane &low,
                       platform::SimdLevel level = platform::bestSimdLevel());

// The same rule over one row of `n` pixels: the words of its high and low bits ((n + 31) / 32 each).
void findClippedInRow(const QRgb *pixels, int n, std::uint32_t *high, std::uint32_t *low, platform::SimdLevel level);

} // namespace camera
