#include "messageboxlayout.h"

#include <algorithm>

namespace app {

namespace {
// The dialog's margin right of the label, as layoutMessageBox adds it.
constexpr int kRightMargin = 15;
// Narrower than this a label holds a word or two per line; below it the window is too small to
// matter and the text gets this much anyway.
constexpr int kNarrowestText = 120;
} // namespace

int messageTextWidth(int naturalWidth, int labelLeft, int windowWidth)
{
    int limit = kMessageWrapWidth;
    if (windowWidth > 0)
        limit = std::min(limit, std::max(kNarrowestText, windowWidth - labelLeft - kRightMargin));
    return std::min(naturalWidth, limit);
}

MessageBoxGeometry layoutMessageBox(int labelLeft, int labelWidth, int okWidth, int cancelWidth, bool withCancel)
{
    MessageBoxGeometry g;
    g.dialogWidth = std::max(labelLeft + labelWidth + kRightMargin, okWidth + cancelWidth + 40);
    if (!withCancel) {
        g.okCentre = g.dialogWidth / 2;
        return g;
    }
    const int third = g.dialogWidth / 3;
    g.okCentre = third;
    g.cancelCentre = 2 * third;
    const int needed = okWidth / 2 + cancelWidth / 2 + 20;
    if (third < needed) {
        const int half = (needed - third) / 2;
        g.okCentre -= half;
        g.cancelCentre += half;
    }
    return g;
}

} // namespace app
