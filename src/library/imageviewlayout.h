#pragma once

#include <QRect>
#include <QSize>

namespace library {

// What the image viewer window's size depends on, all in screen pixels.
struct ImageViewGeometry {
    QSize picture;          // w x h of the still picture
    QSize workArea;         // W x H: the screen's available area
    int frameWidth = 0;     // fw: window width - client width
    int frameHeight = 0;    // fh: window height - client height (title bar, borders, menu bar)
    int toolBarHeight = 0;  // t: the filter tool bar that the cool bar above the picture hosts
    int scrollBarExtent = 16;
};

struct ImageViewSize {
    int boxWidth = 0;        // width of the cool bar and the scroll box
    int boxHeight = 0;       // height of the scroll box
    bool horizontalScroll = false;
    bool verticalScroll = false;
};

// The viewer shows the picture at its own size, with 2 pixels of border around it, and never
// grows beyond the work area: a side that does not fit takes all the room there is and scrolls,
// and the other side then makes room for that scroll bar.
ImageViewSize imageViewSize(const ImageViewGeometry &g);

// Which of the viewer's menu items the idle-time update enables.
struct ImageViewMenuState {
    bool save = false;
    bool remove = false;
    bool imageProcess = false;
    bool print = false;
};
ImageViewMenuState imageViewMenuState(bool stillEmpty, bool unsavedEdits, bool filterBarShown);

// Printing at the picture's physical screen size: a picture pixel is 1/96 inch, so on a printer
// of `dpi` dots per inch the picture covers f = dpi / 96 dots per pixel (f held as a float, each
// product truncated), at the page's top left corner, the same factor on both axes.
QRect printTargetRect(int dpi, QSize picture);

} // namespace library
