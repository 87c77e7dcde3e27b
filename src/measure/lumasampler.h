#pragma once

#include "platform/bitmap.h"

#include <algorithm>
#include <cmath>

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
    // A sampler keeps pointers into its picture: one made from a temporary would read freed memory.
    explicit LumaSampler(platform::Bitmap &&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    bool isNull() const { return width_ <= 0 || height_ <= 0; }
    // True when (x, y) lies at least `margin` pixels inside the picture's pixel centres.
    bool inside(double x, double y, double margin) const
    {
        return x >= margin && y >= margin && x <= width_ - 1 - margin && y <= height_ - 1 - margin;
    }

    float at(int x, int y) const
    {
        return lumaOf(bits_ + qsizetype(std::clamp(y, 0, height_ - 1)) * stride_ + qsizetype(std::clamp(x, 0, width_ - 1)) * 4);
    }
    // The pixel whose centre is nearest to (x, y): one row read, for looking rather than placing.
    float nearest(double x, double y) const { return at(int(std::lround(x)), int(std::lround(y))); }
    // Bilinear between the four pixel centres around (x, y). Inline: rays read it hundreds of
    // times per click.
    float bilinear(double x, double y) const
    {
        const double fx = std::floor(x), fy = std::floor(y);
        const int x0 = int(fx), y0 = int(fy);
        const float tx = float(x - fx), ty = float(y - fy);
        float p00, p10, p01, p11;
        if (x0 >= 0 && y0 >= 0 && x0 < width_ - 1 && y0 < height_ - 1) {
            const uchar *p = bits_ + qsizetype(y0) * stride_ + qsizetype(x0) * 4;
            p00 = lumaOf(p);
            p10 = lumaOf(p + 4);
            p01 = lumaOf(p + stride_);
            p11 = lumaOf(p + stride_ + 4);
        } else {
            p00 = at(x0, y0);
            p10 = at(x0 + 1, y0);
            p01 = at(x0, y0 + 1);
            p11 = at(x0 + 1, y0 + 1);
        }
        const float top = p00 + (p10 - p00) * tx;
        const float bottom = p01 + (p11 - p01) * tx;
        return top + (bottom - top) * ty;
    }

private:
    // Bytes B, G, R, x.
    static float lumaOf(const uchar *p) { return 0.114f * float(p[0]) + 0.587f * float(p[1]) + 0.299f * float(p[2]); }

    const uchar *bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0;
    int height_ = 0;
};

} // namespace measure
