#pragma once

#include "platform/bitmap.h"

#include <QSize>

#include <functional>

namespace platform {

// The renderer's mixing bitmap: one bitmap laid over the whole live picture, with one colour keyed
// out and an opacity. The comparison overlay and the reticle redraw it completely; whoever shows
// the video listens through the sink, which runs after every change that reaches the screen.
// UI thread only.
class OverlayBitmap
{
public:
    static constexpr ColorRef kKeyWhite = 0xFFFFFF;

    using Sink = std::function<void(const OverlayBitmap &)>;
    void setSink(Sink sink) { sink_ = std::move(sink); }

    // VMRBitmap_Init: an empty bitmap of `videoSize` filled with `fill`, source the whole bitmap,
    // colour keying on. Nothing is shown until show().
    void VMRBitmap_Init(QSize videoSize, ColorRef fill = kKeyWhite);
    // VMRBitmap_Clear: an empty white bitmap keyed white at alpha 1.0: the overlay vanishes.
    void VMRBitmap_Clear(QSize videoSize);

    // Takes `bitmap` as the mixing bitmap (source the whole bitmap).
    void load(Bitmap bitmap);
    void setKeyColour(ColorRef key) { key_ = key & 0xFFFFFF; }
    // Draws the bitmap over the whole video picture with `alpha` (0..1).
    void show(float alpha);

    // The bitmap to draw on before show(); valid after VMRBitmap_Init or load.
    Bitmap &bitmap() { return bitmap_; }
    const Bitmap &bitmap() const { return bitmap_; }
    ColorRef keyColour() const { return key_; }
    float alpha() const { return alpha_; }
    // False after a clear: nothing to lay over the video.
    bool visible() const { return visible_; }

private:
    Bitmap bitmap_;
    ColorRef key_ = kKeyWhite;
    float alpha_ = 1.0f;
    bool visible_ = false;
    Sink sink_;
};

} // namespace platform
