#include "formatchoice.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace camera {

platform::FrameRate preferredRate(const platform::FrameSizeInfo &size)
{
    for (const platform::FrameRate &r : size.rates)
        if (r.denominator && r.numerator == kPreferredFps * r.denominator)
            return r;
    if (size.rates.empty())
        return {0, 1};
    return *std::max_element(size.rates.begin(), size.rates.end(),
                             [](const auto &a, const auto &b) { return a.fps() < b.fps(); });
}

std::optional<platform::CaptureFormat> nearestSize(const platform::PixelFormatInfo &format, int width, int height)
{
    const platform::FrameSizeInfo *best = nullptr;
    long bestDistance = 0;
    for (const platform::FrameSizeInfo &s : format.sizes) {
        const long d = std::labs(long(s.width) - width) + std::labs(long(s.height) - height);
        if (!best || d < bestDistance || (d == bestDistance && long(s.width) * s.height > long(best->width) * best->height)) {
            best = &s;
            bestDistance = d;
        }
    }
    if (!best)
        return std::nullopt;
    return platform::CaptureFormat{format.code, best->width, best->height, preferredRate(*best)};
}

std::optional<platform::CaptureFormat> offeredFormat(const std::vector<platform::PixelFormatInfo> &formats,
                                                     const platform::CaptureFormat &wanted)
{
    for (const platform::PixelFormatInfo &f : formats) {
        if (f.code != wanted.code)
            continue;
        for (const platform::FrameSizeInfo &s : f.sizes) {
            if (s.width != wanted.width || s.height != wanted.height)
                continue;
            platform::CaptureFormat chosen = wanted;
            const bool rateListed = std::any_of(s.rates.begin(), s.rates.end(), [&](const platform::FrameRate &r) {
                return std::int64_t(r.numerator) * wanted.rate.denominator == std::int64_t(wanted.rate.numerator) * r.denominator;
            });
            if (!rateListed && !s.rates.empty())
                chosen.rate = preferredRate(s);
            return chosen;
        }
    }
    return std::nullopt;
}

FormatChoice chooseCaptureFormat(const std::vector<platform::PixelFormatInfo> &formats, bool mjpgPreview)
{
    FormatChoice choice;
    if (formats.empty())
        return choice;
    const platform::PixelFormatInfo *base = &formats.front();
    int w = kPreviewWidth, h = kPreviewHeight;
    if (mjpgPreview) {
        w = kMjpgPreviewWidth;
        h = kMjpgPreviewHeight;
        auto mjpg = std::find_if(formats.begin(), formats.end(),
                                 [](const auto &f) { return f.code == platform::kFourccMjpg; });
        if (mjpg != formats.end())
            base = &*mjpg;
        else
            choice.mjpgMissing = true;
    }
    const auto format = nearestSize(*base, w, h);
    if (!format)
        return choice;
    choice.found = true;
    choice.format = *format;
    choice.exactSize = format->width == w && format->height == h && !choice.mjpgMissing;
    return choice;
}

} // namespace camera
