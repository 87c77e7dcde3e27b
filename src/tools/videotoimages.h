#pragma once

#include "platform/aviframedata.h"

#include <QString>

#include <cstdint>

namespace tools {

// Units of the interval field: "frame", "sec.", "min.".
enum IntervalUnit { kIntervalFrames = 0, kIntervalSeconds = 1, kIntervalMinutes = 2 };

// What the dialog shows of a video.
struct VideoInfo {
    double lengthSeconds = 0;
    double framesPerSecond = 0;
    std::int64_t totalFrames = 0;
    int hours = 0, minutes = 0, seconds = 0;
};
VideoInfo videoInfoOf(const platform::AviFrameData &data);

// "250  [ 25 fps]" and "00:00:10 [HH:MM:SS]".
QString totalFramesText(const VideoInfo &info);
QString totalTimeText(const VideoInfo &info);

// The interval of a video of at least a minute never reaches beyond the video: frames up to
// the total frames, seconds up to its whole seconds, minutes up to its whole minutes.
int clampInterval(int value, int unit, const VideoInfo &info);
// Seconds of video between two files; 0 when a frame interval meets an unknown rate.
double stepSeconds(int value, int unit, double framesPerSecond);
// Files the conversion writes: the length over the step, rounded up; 0 for an empty video or a
// step of 0 (nothing could advance).
long long totalFiles(double lengthSeconds, double step);

// "%s %s(%ld/%ld)": status word, percentage with "%", done, total.
QString progressText(const QString &status, int percent, long long done, long long total);

} // namespace tools
