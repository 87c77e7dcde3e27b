#pragma once

#include <QRgb>

namespace platform {

// Luma as the focus aids and the line profile read it: the BT.601 weights in 7-bit fixed point.
// The weights add up to 128, so a grey pixel's luma is its grey value.
inline constexpr int kLumaRed = 38;
inline constexpr int kLumaGreen = 75;
inline constexpr int kLumaBlue = 15;

// Truncated to a whole level, as the live aids count it.
constexpr int lumaOf(QRgb pixel)
{
    return (kLumaRed * qRed(pixel) + kLumaGreen * qGreen(pixel) + kLumaBlue * qBlue(pixel)) >> 7;
}
// Not rounded, for interpolated colours.
constexpr double lumaOf(double red, double green, double blue)
{
    return (kLumaRed * red + kLumaGreen * green + kLumaBlue * blue) / 128.0;
}

} // namespace platform
