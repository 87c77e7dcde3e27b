#include "measure/textcellcanvas.h"

namespace measure {

void TextCellCanvas::textOut(int x, int y, const QString &text)
{
    target_.textOut(x, y, text);
    if (!text.isEmpty())
        cells_.emplace_back(x, y, target_.textWidth(text), target_.textHeight(text));
}

} // namespace measure
