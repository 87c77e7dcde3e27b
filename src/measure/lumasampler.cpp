#include "measure/lumasampler.h"

#include <algorithm>
#include <cmath>

namespace measure {

LumaSampler::LumaSampler(const platform::Bitmap &picture)
{
    if (picture.isNull())
        return;
    bits_ = picture.constScanLine(0);
    stride_ = picture.bytesPerLine();
    width_ = picture.width();
    height_ = picture.height();
}

float LumaSampler::at(int x, int y) const
{
    x = std::clamp(x, 0, width_ - 1);
    y = std::clamp(y, 0, height_ - 1);
    const uchar *p = bits_ + qsizetype(y) * stride_ + qsizetype(x) * 4;   // B, G, R, x
    return 0.114f * float(p[0]) + 0.587f * float(p[1]) + 0.299f * float(p[2]);
}

float LumaSampler::bilinear(double x, double y) const
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int x0 = int(fx), y0 = int(fy);
    const float tx = float(x - fx), ty = float(y - fy);
    const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * tx;
    const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * tx;
    return top + (bottom - top) * ty;
}

namespace {

// Catmull-Rom weights of the four samples at -1, 0, 1, 2 for a position f in [0, 1).
void cubicWeights(float f, float w[4])
{
    const float f2 = f * f, f3 = f2 * f;
    w[0] = 0.5f * (-f3 + 2.0f * f2 - f);
    w[1] = 0.5f * (3.0f * f3 - 5.0f * f2 + 2.0f);
    w[2] = 0.5f * (-3.0f * f3 + 4.0f * f2 + f);
    w[3] = 0.5f * (f3 - f2);
}

} // namespace

float LumaSampler::bicubic(double x, double y) const
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int x0 = int(fx), y0 = int(fy);
    float wx[4], wy[4];
    cubicWeights(float(x - fx), wx);
    cubicWeights(float(y - fy), wy);
    float sum = 0.0f;
    for (int j = 0; j < 4; ++j) {
        float row = 0.0f;
        for (int i = 0; i < 4; ++i)
            row += wx[i] * at(x0 - 1 + i, y0 - 1 + j);
        sum += wy[j] * row;
    }
    return sum;
}

} // namespace measure
