#include "platform/overlaybitmap.h"

#include <algorithm>

namespace platform {

void OverlayBitmap::VMRBitmap_Init(QSize videoSize, platform::ColorRef fill)
{
    bitmap_ = videoSize.isEmpty() ? platform::Bitmap() : platform::Bitmap(videoSize.width(), videoSize.height(), fill);
    key_ = kKeyWhite;
}

void OverlayBitmap::VMRBitmap_Clear(QSize videoSize)
{
    // The bitmap is all key colour: the renderer is told there is nothing to lay over the video
    // rather than keying out a whole frame of white on every frame.
    VMRBitmap_Init(videoSize);
    key_ = kKeyWhite;
    alpha_ = 1.0f;
    visible_ = false;
    if (sink_)
        sink_(*this);
}

void OverlayBitmap::load(platform::Bitmap bitmap) { bitmap_ = std::move(bitmap); }

void OverlayBitmap::show(float alpha)
{
    alpha_ = std::clamp(alpha, 0.0f, 1.0f);
    visible_ = !bitmap_.isNull();
    if (sink_)
        sink_(*this);
}

} // namespace platform
