#include "imageviewlayout.h"

namespace library {

namespace {

constexpr int kBorder = 4;   // two pixels each side around the picture

} // namespace

ImageViewSize imageViewSize(const ImageViewGeometry &g)
{
    const int w = g.picture.width();
    const int h = g.picture.height();
    const int maxWidth = g.workArea.width() - g.frameWidth;
    const int maxHeight = g.workArea.height() - g.frameHeight - g.toolBarHeight;
    ImageViewSize s;
    // A scroll bar is needed exactly when the box on that axis is held smaller than the picture.
    s.horizontalScroll = maxWidth < w + kBorder;
    s.verticalScroll = maxHeight < h + kBorder;
    s.boxWidth = s.horizontalScroll ? maxWidth : w + kBorder + (s.verticalScroll ? g.scrollBarExtent : 0);
    s.boxHeight = s.verticalScroll ? maxHeight : h + kBorder + (s.horizontalScroll ? g.scrollBarExtent : 0);
    // Room made for the other axis' scroll bar must not push a box beyond the work area.
    if (s.boxWidth > maxWidth) {
        s.boxWidth = maxWidth;
        s.horizontalScroll = true;
    }
    if (s.boxHeight > maxHeight) {
        s.boxHeight = maxHeight;
        s.verticalScroll = true;
    }
    s.boxWidth = qMax(s.boxWidth, 1);
    s.boxHeight = qMax(s.boxHeight, 1);
    return s;
}

ImageViewMenuState imageViewMenuState(bool stillEmpty, bool unsavedEdits, bool filterBarShown)
{
    ImageViewMenuState m;
    m.save = !stillEmpty && unsavedEdits;
    m.remove = !stillEmpty;
    m.print = !stillEmpty;
    m.imageProcess = !stillEmpty && !filterBarShown;
    return m;
}

QRect printTargetRect(int dpi, QSize picture)
{
    const float f = float(dpi) / 96.0f;
    return QRect(0, 0, int(f * float(picture.width())), int(f * float(picture.height())));
}

} // namespace library
