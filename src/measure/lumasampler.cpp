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

} // namespace measure
