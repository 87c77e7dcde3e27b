#include "messageboxlayout.h"

#include <algorithm>

namespace app {

MessageBoxGeometry layoutMessageBox(int labelLeft, int labelWidth, int okWidth, int cancelWidth, bool withCancel)
{
    MessageBoxGeometry g;
    g.dialogWidth = std::max(labelLeft + labelWidth + 15, okWidth + cancelWidth + 40);
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
