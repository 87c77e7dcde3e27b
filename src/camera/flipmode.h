#pragma once

#include <QImage>

#include <optional>

namespace camera {

// Flip modes: 0 mirrored left to right, 1 turned by 180 degrees, 2 upside down, 3 as delivered.
constexpr int kFlipMirrored = 0;
constexpr int kFlipTurned = 1;
constexpr int kFlipUpsideDown = 2;
constexpr int kFlipNone = 3;

// The output rectangle of a mode in normalized coordinates (left, top, right, bottom): a left
// greater than the right mirrors horizontally, a top greater than the bottom vertically.
struct NormalizedRect {
    float left = 0, top = 0, right = 1, bottom = 1;
    friend bool operator==(const NormalizedRect &, const NormalizedRect &) = default;
};

std::optional<NormalizedRect> flipRect(int mode);   // nullopt for modes outside 0..3
bool flipsHorizontally(int mode);
bool flipsVertically(int mode);

// The picture as the mode shows it; mode 3 (and invalid modes) return it unchanged (shared).
QImage flipped(const QImage &image, int mode);

} // namespace camera
