#pragma once

#include "platform/bitmap.h"

#include <QRect>

namespace fakes {

// Whether any pixel of `r` is dark (red below half): a line, a marquee or text drawn there on a
// white picture.
inline bool darkIn(const platform::Bitmap &b, QRect r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (platform::redOf(b.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace fakes
