#pragma once

#include "platform/bitmap.h"

namespace measure {

// Reads the luma (Rec. 601 weights, grey levels 0-255) of a picture at whole and fractional pixel
// positions, computing it from the B, G, R bytes where it is read: edge snapping looks at a few
// hundred pixels, so converting the whole picture first would cost far more than the search.
// A position (x, y) is the centre of pixel (x, y); reads outside the picture take the nearest
// border pixel. The picture must outlive the sampler and stay unchanged while it is used.
class LumaSampler
{
public:
    explicit LumaSampler(const platform::Bitmap &picture);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isNull() const { return width_ <= 0 || height_ <= 0; }
    // True when (x, y) lies at least `margin` pixels inside the picture's pixel centres.
    bool inside(double x, double y, double margin) const
    {
        return x >= margin && y >= margin && x <= width_ - 1 - margin && y <= height_ - 1 - margin;
    }

    float at(int x, int y) const;
    // Bilinear between the four pixel centres around (x, y).
    float bilinear(double x, double y) const;
    // Cubic convolution (Catmull-Rom) over the sixteen pixel centres around (x, y): smooth across
    // pixel centres, where bilinear has kinks that pull a gradient peak towards them.
    float bicubic(double x, double y) const;

private:
    const uchar *bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace measure
