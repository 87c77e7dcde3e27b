#pragma once

#include "platform/bitmap.h"

#include <QSize>

#include <array>

namespace platform {
class Canvas;
class OverlayBitmap;
} // namespace platform

namespace imaging {

// The four centred aiming figures, in the order they are drawn.
enum ReticleFigure { kReticleCross = 0, kReticleArea = 1, kReticleRect = 2, kReticleCircle = 3 };
constexpr int kReticleFigures = 4;

// The size sliders' maxima for a video of `video`: cross W/2, area H/2, rectangle W/4, circle H.
std::array<int, kReticleFigures> reticleMaxima(QSize video);
// The size a figure has when its button goes down: the size it had, or a quarter of the maximum
// when it had none, so that pressing the button draws something.
int reticleStartSize(int size, int maximum);

// The figures, drawn with a solid 2-pixel pen already set on `canvas`, centred on the video of
// size `video`; `a` is the figure's size.
void VMRBitmap_Cross(platform::Canvas &canvas, QSize video, int a);
void VMRBitmap_Area(platform::Canvas &canvas, QSize video, int a);
void VMRBitmap_Rectangle(platform::Canvas &canvas, QSize video, int a);
void VMRBitmap_Circle(platform::Canvas &canvas, QSize video, int a);

// The reticle's state and its redraw into the mixing bitmap. UI thread.
class Reticle
{
public:
    static constexpr platform::ColorRef kDefaultLineColour = 0x0000FF;   // red

    explicit Reticle(platform::OverlayBitmap &overlay);

    // The figures whose buttons are down, in order, onto `canvas` (no clearing).
    void draw(platform::Canvas &canvas, QSize video) const;
    // CrossTB_Command: a new mixing bitmap of the video size with the figures whose buttons are
    // down, keyed white and shown at alpha 1.0; with no button down (or no video) the overlay is
    // cleared instead of drawn empty.
    void CrossTB_Command(QSize video);
    void VMRBitmap_Clear(QSize video);

    // A chosen colour as stored: white would be keyed out, so it becomes red 254, green 255, blue 255.
    void setLineColour(platform::ColorRef chosen);
    platform::ColorRef lineColour() const { return lineColour_; }

    std::array<bool, kReticleFigures> down{};
    std::array<int, kReticleFigures> sizes{};

private:
    platform::OverlayBitmap &overlay_;
    platform::ColorRef lineColour_ = kDefaultLineColour;
};

} // namespace imaging
