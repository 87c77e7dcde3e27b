#pragma once

// Where the virtual camera's micrometer has the edges of its tenth-division lines (the long lines
// at 0, 0.1 ... 1.0 mm) in a picture of the specimen shown at some width, and how many of them
// focus peaking marked. The geometry is the specimen's as drawn at 640 x 480 (a division is 5
// pixels, line i covers column 70 + 5 i, 1.2 pixels wide; the long lines alone reach the rows
// 162 to 174), scaled to the shown width.
#include "camera/bitplane.h"

#include <cmath>

namespace micrometer {

struct EdgeCount {
    int marked = 0;
    int total = 0;
    double share() const { return total ? double(marked) / total : 0.0; }
};

// Each (line, side, row) of the long lines' rows counts once: marked when a peaking pixel lies
// within 1.5 pixels of the edge in that row.
inline EdgeCount tenthDivisionEdges(const camera::BitPlane &marks)
{
    const double s = marks.width() / 640.0;
    EdgeCount n;
    for (int y = 0; y < marks.height(); ++y) {
        const double at = (y + 0.5) / s;   // the row's centre in 640 x 480 pixels
        if (at < 163 || at > 173)
            continue;
        for (int i = 0; i <= 100; i += 10) {
            const double centre = (70.5 + 5 * i) * s - 0.5, half = 0.6 * s;
            for (double edge : {centre - half, centre + half}) {
                bool hit = false;
                for (int x = int(std::ceil(edge - 1.5)); x <= int(std::floor(edge + 1.5)); ++x)
                    hit = hit || (x >= 0 && x < marks.width() && marks.test(x, y));
                n.marked += hit;
                ++n.total;
            }
        }
    }
    return n;
}

} // namespace micrometer
