#pragma once

#include <QSize>

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// What a file tells about its video stream before a frame is pulled: the size of the stream's
// pictures (height always positive, whatever the header's sign), frames per second and length.
struct AviFrameData {
    QSize size;
    double framesPerSecond = 0;
    double lengthSeconds = 0;

    // length x rate, truncated towards zero after allowing for the rounding of both (a length
    // of 160.99999998 frames is 161); 0 when either is unusable.
    std::int64_t totalFrames() const;
    // A rate we can divide by: finite and above zero.
    bool hasUsableRate() const;
};

// The kind of each elementary stream of a file, in the order the container lists them.
enum class StreamKind { Unknown, Video, Audio, Other };

// The first video stream, stepping through the streams in order; nullopt when there is none.
std::optional<std::size_t> chooseVideoStream(const std::vector<StreamKind> &streams);

// An index above the file's frame count means the file's last picture: the index is clamped to
// the total, and the picture shown at index / rate seconds is the one whose display interval
// holds that time (the last frame when the time is the end of the stream).
std::int64_t clampedFrameIndex(const AviFrameData &data, std::uint32_t index);

// Where to seek for frame `index`: the middle of the frame's display interval, so rounding of
// timestamps by a container or decoder can never land on the neighbour. In nanoseconds;
// nullopt when the rate is 0, negative or unknown (there is no time to seek to).
std::optional<std::int64_t> frameSeekTimeNs(const AviFrameData &data, std::uint32_t index);

} // namespace platform
