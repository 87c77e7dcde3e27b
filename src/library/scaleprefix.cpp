#include "scaleprefix.h"

namespace library {

QString scalePrefix(bool burnIn, int unit, int horizontal, int vertical)
{
    if (!burnIn)
        return {};
    const char *suffix = "mm_";
    switch (unit) {
    case 1:
        suffix = "in_";
        break;
    case 2:
        suffix = "um_";
        break;
    case 3:
        suffix = "mil_";
        break;
    default:
        break;
    }
    return QStringLiteral("h%1v%2").arg(horizontal).arg(vertical) + QLatin1String(suffix);
}

} // namespace library
