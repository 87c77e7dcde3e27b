#include "videotoimages.h"

#include <cmath>

namespace tools {

VideoInfo videoInfoOf(const platform::AviFrameData &data)
{
    VideoInfo info;
    info.lengthSeconds = data.lengthSeconds > 0 && std::isfinite(data.lengthSeconds) ? data.lengthSeconds : 0;
    info.framesPerSecond = data.framesPerSecond > 0 && std::isfinite(data.framesPerSecond) ? data.framesPerSecond : 0;
    // The count the player and the frame grabber use, so the dialog shows the frames they know.
    info.totalFrames = data.totalFrames();
    const long long whole = (long long)info.lengthSeconds;
    info.seconds = int(whole % 60);
    info.minutes = int(whole / 60 % 60);
    info.hours = int(whole / 3600);
    return info;
}

QString totalFramesText(const VideoInfo &info)
{
    return QString::number(info.totalFrames) + QStringLiteral("  [ ") + QString::number(info.framesPerSecond)
           + QStringLiteral(" fps]");
}

QString totalTimeText(const VideoInfo &info)
{
    return QStringLiteral("%1:%2:%3 [HH:MM:SS]")
        .arg(info.hours, 2, 10, QLatin1Char('0'))
        .arg(info.minutes, 2, 10, QLatin1Char('0'))
        .arg(info.seconds, 2, 10, QLatin1Char('0'));
}

int clampInterval(int value, int unit, const VideoInfo &info)
{
    if (info.lengthSeconds < 60 || info.totalFrames == 0)
        return value;
    switch (unit) {
    case kIntervalFrames:
        return value >= info.totalFrames ? int(info.totalFrames) : value;
    case kIntervalSeconds:
        return value >= info.lengthSeconds ? int(info.lengthSeconds) : value;
    case kIntervalMinutes:
        return value >= info.lengthSeconds / 60 ? int(info.lengthSeconds / 60) : value;
    default:
        return value;
    }
}

double stepSeconds(int value, int unit, double framesPerSecond)
{
    switch (unit) {
    case kIntervalFrames:
        return framesPerSecond > 0 ? value / framesPerSecond : 0;
    case kIntervalMinutes:
        return value * 60.0;
    default:
        return value;
    }
}

long long totalFiles(double lengthSeconds, double step)
{
    if (!(lengthSeconds > 0) || !(step > 0))
        return 0;
    // A length that is a whole number of steps up to rounding (10 s at 0.04 s) gives no extra file.
    return (long long)std::ceil(lengthSeconds / step - 1e-9);
}

QString progressText(const QString &status, int percent, long long done, long long total)
{
    return QStringLiteral("%1 %2%(%3/%4)").arg(status).arg(percent).arg(done).arg(total);
}

} // namespace tools
