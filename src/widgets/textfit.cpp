#include "textfit.h"

#include <algorithm>
#include <limits>

namespace widgets {

QString twoLines(const QString &text, int width, const TextWidth &measure)
{
    if (measure(text) <= width)
        return text;
    const bool hasSpace = text.contains(u' ');
    int bestAt = -1;
    int bestWidth = std::numeric_limits<int>::max();
    for (qsizetype at = 1; at < text.size(); ++at) {
        if (hasSpace ? text[at] != u' ' : text[at].isLowSurrogate())
            continue;
        const QStringView first = QStringView(text).left(at);
        const QStringView second = QStringView(text).mid(hasSpace ? at + 1 : at);
        const int wider = std::max(measure(first), measure(second));
        if (wider <= bestWidth) {   // on a tie the first line takes more
            bestWidth = wider;
            bestAt = int(at);
        }
    }
    if (bestAt < 0)
        return text;
    return text.left(bestAt) + u'\n' + text.mid(hasSpace ? bestAt + 1 : bestAt);
}

} // namespace widgets
