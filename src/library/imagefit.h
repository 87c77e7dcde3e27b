#pragma once

#include <QRect>
#include <QSize>

namespace library {

// Initial_ViewImageParameter's placement of a picture of `picture` pixels in a panel of `panel`
// pixels: landscape pictures wider than the panel keep their aspect across the full width,
// portrait pictures taller than the panel across the full height, pictures smaller than the panel
// keep their own size, everything else fills the panel, stretched. Centred; ratios in single
// precision and truncated, so 480 x 640 in 400 x 300 gives 224 x 300 at left 88.
QRect fitViewImage(QSize picture, QSize panel);

} // namespace library
