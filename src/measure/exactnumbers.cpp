#include "measure/exactnumbers.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace measure {
namespace {

template <typename T> QString shortest(T value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    char text[64];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, value);
    return r.ec == std::errc() ? QString::fromLatin1(text, int(r.ptr - text)) : QString();
}

} // namespace

double typedValue(float value)
{
    if (!std::isfinite(value))
        return double(value);
    char text[64];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    double out = double(value);
    if (written.ec == std::errc())
        std::from_chars(text, written.ptr, out);
    return out;
}

QString shortestText(double value) { return shortest(value); }
QString shortestText(float value) { return shortest(value); }

} // namespace measure
