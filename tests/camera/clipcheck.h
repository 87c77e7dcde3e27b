#pragma once

#include <QString>

// What other players see in a recorded clip: GStreamer's discoverer (in process, as
// gst-discoverer-1.0 reports it) and FFmpeg's ffprobe (a separate program, when installed).
struct ClipReport {
    bool discovered = false;   // the discoverer found a container with a video stream
    int width = 0, height = 0;
    double seconds = 0;
    QString videoCaps;
    int ffprobeFrames = -1;    // frames ffprobe decoded; -1 when ffprobe is missing or failed
    QString ffprobeCodec;
    bool ffprobeAvailable = false;
};

ClipReport checkClip(const QString &path);
