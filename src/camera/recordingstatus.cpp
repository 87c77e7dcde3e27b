#include "recordingstatus.h"

#include <algorithm>

namespace camera {

QString RecordingStatus::elapsedText(std::int64_t elapsedMs)
{
    const std::int64_t seconds = std::max<std::int64_t>(0, elapsedMs) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString RecordingStatus::sizeText(std::int64_t bytes)
{
    bytes = std::max<std::int64_t>(0, bytes);
    // Whole units and the cut-off fraction, in integers: no floating point to round.
    const auto withFraction = [bytes](std::int64_t unit, int digits, const char *name) {
        std::int64_t scale = 1;
        for (int i = 0; i < digits; ++i)
            scale *= 10;
        const std::int64_t scaled = bytes / (unit / scale);
        return QStringLiteral("%1.%2 %3")
            .arg(scaled / scale)
            .arg(scaled % scale, digits, 10, QLatin1Char('0'))
            .arg(QLatin1String(name));
    };
    if (bytes < 1000)
        return QStringLiteral("%1 B").arg(bytes);
    if (bytes < 1000 * 1000)
        return QStringLiteral("%1 kB").arg(bytes / 1000);
    if (bytes < 1000 * 1000 * 1000)
        return withFraction(1000 * 1000, 1, "MB");
    return withFraction(1000 * 1000 * 1000, 2, "GB");
}

} // namespace camera
