#pragma once

#include "platform/aviframedata.h"
#include "platform/bitmap.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace platform {
class DiagnosticsLog;
}

namespace platform {

// Single frames of a video file, decoded in memory: no temporary picture file is written.
// Each call builds and tears down its own pipelines on the calling thread (the UI thread in the
// program); every wait on them is bounded by kFrameTimeoutMs, so a broken file fails instead of
// hanging the window. Safe to call while a player or a camera pipeline runs.

// How long any one step may wait on a pipeline.
constexpr int kFrameTimeoutMs = 5000;

// InitialAviFrameParameter: size, rate and length of the file's first video stream (the streams
// are stepped through in order, so an audio stream before it is skipped). nullopt when the file
// is missing, cannot be decoded or holds no video.
std::optional<AviFrameData> probeVideo(const QString &path);

// GetAviFrame: the picture at index / rate seconds, at the stream's size, the index clamped to
// the number of frames. nullopt when the file has no usable frame rate (0 or unknown), cannot be
// decoded, or a wait timed out. `log` (optional) gets the design's failure lines.
std::optional<platform::Bitmap> GetAviFrame(const QString &path, std::uint32_t frameIndex,
                                            platform::DiagnosticsLog *log = nullptr);

// GetAviFrame after the file was probed: skips the second look at the file.
std::optional<platform::Bitmap> GetAviFrame(const QString &path, const AviFrameData &data, std::uint32_t frameIndex,
                                            platform::DiagnosticsLog *log = nullptr);

// GetVideoTotalTime: the file's duration in 100-nanosecond units; nullopt when it cannot be
// rendered or has no known duration.
std::optional<std::int64_t> GetVideoTotalTime(const QString &path);

// The picture of a video's thumbnail: frame `frameIndex` (30 in the browser), or the last frame
// when the video has fewer.
std::optional<platform::Bitmap> grabFrameForThumbnail(const QString &path, int frameIndex);

} // namespace platform
