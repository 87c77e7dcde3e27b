#include "flipmode.h"

namespace camera {

std::optional<NormalizedRect> flipRect(int mode)
{
    switch (mode) {
    case kFlipMirrored: return NormalizedRect{1, 0, 0, 1};
    case kFlipTurned: return NormalizedRect{1, 1, 0, 0};
    case kFlipUpsideDown: return NormalizedRect{0, 1, 1, 0};
    case kFlipNone: return NormalizedRect{0, 0, 1, 1};
    default: return std::nullopt;
    }
}

bool flipsHorizontally(int mode)
{
    const auto r = flipRect(mode);
    return r && r->left > r->right;
}

bool flipsVertically(int mode)
{
    const auto r = flipRect(mode);
    return r && r->top > r->bottom;
}

QImage flipped(const QImage &image, int mode)
{
    const bool h = flipsHorizontally(mode), v = flipsVertically(mode);
    if (!h && !v)
        return image;
    return image.mirrored(h, v);
}

} // namespace camera
