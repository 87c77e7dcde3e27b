#pragma once

#include "platform/bitmap.h"

#include <cstdint>

namespace imaging {

// The filter chosen on the filter tool bar; the values are the ones the filter mode stores.
enum class FilterKind : std::uint8_t {
    GreyLevel = 0,
    Complement = 1,
    EdgeDetection = 2,
    Binary = 3,
    HighPass = 5,
    None = 6,
};

// The grey value of a pixel: trunc(0.299 R + 0.587 G + 0.114 B), the truncation of the exact
// value of the BT.601 luma sum. Evaluated in double the sum can land just below a whole number
// (0.299 + 0.587 + 0.114 gives 0.99999...), which would turn the neutral grey (1, 1, 1) into 0;
// the integer form has no such step.
constexpr int greyValue(int r, int g, int b) { return (299 * r + 587 * g + 114 * b) / 1000; }

// Each filter reads `source` and writes every pixel of `target`, which is made the size of the
// source first (reallocated only when its size differs or its data is shared). Output pixels are
// opaque RGB32. `source` and `target` must not be the same bitmap. A null source gives a null
// target.

// Grey level: g in all three channels.
void greyLevelFilter(const platform::Bitmap &source, platform::Bitmap &target);
// Complement: |255 - k - v| for each channel value v (k = 0 is the negative); k is clamped to 0..255.
void complementFilter(const platform::Bitmap &source, int k, platform::Bitmap &target);
// Binary: white where g > k, else black.
void binaryFilter(const platform::Bitmap &source, int k, platform::Bitmap &target);
// Edge detection on the grey picture: 8 c - (sum of the eight neighbours), clamped to 0..255.
void edgeDetectionFilter(const platform::Bitmap &source, platform::Bitmap &target);
// High-pass on the grey picture: 9 c - (sum of the eight neighbours), clamped to 0..255.
void highPassFilter(const platform::Bitmap &source, platform::Bitmap &target);
// The neighbourhood filters wrap around the picture: the row above row 0 is the last row, the
// column left of column 0 the last column, and so on.

// Runs the filter of `kind` with parameter k (ignored by the filters without one). None and
// unknown kinds copy the source.
void applyFilter(FilterKind kind, int k, const platform::Bitmap &source, platform::Bitmap &target);

// Whether the filter takes the slider's parameter, and the slider's maximum and start position.
struct FilterSlider {
    bool enabled = false;
    int maximum = 0;
    int position = 0;
};
FilterSlider sliderFor(FilterKind kind);

} // namespace imaging
