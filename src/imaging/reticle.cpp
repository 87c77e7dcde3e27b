#include "imaging/reticle.h"

#include "platform/canvas.h"
#include "platform/overlaybitmap.h"

#include <algorithm>

namespace imaging {

namespace {

QPoint centre(QSize video) { return QPoint(video.width() / 2, video.height() / 2); }

void line(platform::Canvas &canvas, int x0, int y0, int x1, int y1)
{
    canvas.moveTo(x0, y0);
    canvas.lineTo(x1, y1);
}

} // namespace

std::array<int, kReticleFigures> reticleMaxima(QSize video)
{
    const int w = std::max(0, video.width()), h = std::max(0, video.height());
    return {w / 2, h / 2, w / 4, h};
}

int reticleStartSize(int size, int maximum) { return size > 0 ? size : maximum / 4; }

void VMRBitmap_Cross(platform::Canvas &canvas, QSize video, int a)
{
    const QPoint c = centre(video);
    line(canvas, c.x() - a, c.y(), c.x() + a, c.y());
    if (video.height() >= a)
        line(canvas, c.x(), c.y() - a, c.x(), c.y() + a);
}

void VMRBitmap_Area(platform::Canvas &canvas, QSize video, int a)
{
    const int cx = video.width() / 2, cy = video.height() / 2;
    const int arm = a / 8 + 4;
    // Horizontal arms.
    line(canvas, cx - a, cy - a + 1, cx - a + arm, cy - a + 1);
    line(canvas, cx - a, cy + a, cx - a + arm, cy + a);
    line(canvas, cx + a - arm, cy - a + 1, cx + a, cy - a + 1);
    line(canvas, cx + a - arm, cy + a, cx + a, cy + a);
    // Vertical arms.
    line(canvas, cx - a + 1, cy - a, cx - a + 1, cy - a + arm);
    line(canvas, cx + a, cy - a, cx + a, cy - a + arm);
    line(canvas, cx - a + 1, cy + a - arm, cx - a + 1, cy + a);
    line(canvas, cx + a, cy + a - arm, cx + a, cy + a);
}

void VMRBitmap_Rectangle(platform::Canvas &canvas, QSize video, int a)
{
    // Single precision, truncated toward zero: with odd sizes the halves land on these pixels.
    const float cx = float(video.width() / 2), cy = float(video.height() / 2);
    const float w = 4.0f * float(a), h = 3.0f * float(a);
    canvas.rectangle(int(cx - w / 2 + 2), int(cy - h / 2 + 2), int(cx + w / 2), int(cy + h / 2));
}

void VMRBitmap_Circle(platform::Canvas &canvas, QSize video, int a)
{
    const float cx = float(video.width() / 2), cy = float(video.height() / 2), half = float(a) / 2;
    canvas.ellipse(int(cx - half + 1), int(cy - half + 1), int(cx + half), int(cy + half));
}

namespace {

using Figure = void (*)(platform::Canvas &, QSize, int);
constexpr Figure kFigures[kReticleFigures] = {VMRBitmap_Cross, VMRBitmap_Area, VMRBitmap_Rectangle, VMRBitmap_Circle};

} // namespace

Reticle::Reticle(platform::OverlayBitmap &overlay) : overlay_(overlay) {}

void Reticle::setLineColour(platform::ColorRef chosen) { lineColour_ = platform::keyFreeColour(chosen); }

void Reticle::draw(platform::Canvas &canvas, QSize video) const
{
    canvas.setPen(0, 2, lineColour_);
    for (int f = 0; f < kReticleFigures; ++f)
        if (down[std::size_t(f)])
            kFigures[f](canvas, video, sizes[std::size_t(f)]);
}

void Reticle::CrossTB_Command(QSize video)
{
    bool any = false;
    for (bool d : down)
        any = any || d;
    if (!any || video.isEmpty()) {
        overlay_.VMRBitmap_Clear(video);
        return;
    }
    overlay_.VMRBitmap_Init(video);
    {
        platform::BitmapCanvas canvas(overlay_.bitmap());
        draw(canvas, video);
    }
    overlay_.setKeyColour(platform::OverlayBitmap::kKeyWhite);
    overlay_.show(1.0f);
}

void Reticle::VMRBitmap_Clear(QSize video) { overlay_.VMRBitmap_Clear(video); }

} // namespace imaging
