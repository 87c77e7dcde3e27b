#include "aviframedata.h"

#include <algorithm>
#include <cmath>

namespace platform {

bool AviFrameData::hasUsableRate() const { return std::isfinite(framesPerSecond) && framesPerSecond > 0; }

std::int64_t AviFrameData::totalFrames() const
{
    if (!hasUsableRate() || !std::isfinite(lengthSeconds) || lengthSeconds <= 0)
        return 0;
    const double frames = lengthSeconds * framesPerSecond;
    // A bogus header can claim anything; a frame count beyond 2^62 is no frame count.
    if (frames >= 4.6e18)
        return 0;
    // Truncated towards zero, as every float-to-int conversion, but not below a whole frame that
    // only rounding took away: the length arrives in whole nanoseconds, cut off, and the rate as a
    // binary fraction, so 161 frames at 30 fps (5.366666666 s) multiply to 160.99999998. Nothing
    // real is a thousandth of a frame.
    constexpr double kRoundingSlack = 1e-3;
    return std::int64_t(frames + kRoundingSlack);
}

std::optional<std::size_t> chooseVideoStream(const std::vector<StreamKind> &streams)
{
    const auto it = std::find(streams.begin(), streams.end(), StreamKind::Video);
    if (it == streams.end())
        return std::nullopt;
    return std::size_t(it - streams.begin());
}

std::int64_t clampedFrameIndex(const AviFrameData &data, std::uint32_t index)
{
    return std::min<std::int64_t>(index, data.totalFrames());
}

std::optional<std::int64_t> frameSeekTimeNs(const AviFrameData &data, std::uint32_t index)
{
    if (!data.hasUsableRate())
        return std::nullopt;
    const std::int64_t total = data.totalFrames();
    // Index = total is the end time of the stream; the picture there is the last frame.
    const std::int64_t shown = std::max<std::int64_t>(0, std::min(clampedFrameIndex(data, index), total - 1));
    const double seconds = (double(shown) + 0.5) / data.framesPerSecond;
    return std::int64_t(seconds * 1e9);
}

} // namespace platform
