#pragma once

#include <QImage>
#include <QString>

namespace testclips {

// Real AVI files written through GStreamer for the playback tests. Frame i carries its own index
// as eight black/white bars (bit 7 on the left), which survive JPEG and MPEG-4 compression, so a
// test can tell exactly which frame it got back.
struct ClipRecipe {
    int frames = 60;
    int width = 176;
    int height = 100;
    int fpsNum = 30;
    int fpsDen = 1;
    // Between the converter and the multiplexer: "" writes raw BGR, "jpegenc" MJPG.
    QString encoder;
};

QImage codedFrame(int index, int width, int height);
// The index a picture carries; -1 when the bars are not clean black and white.
int decodeFrameIndex(const QImage &picture);

// Writes the clip with appsrc ! videoconvert ! [encoder] ! avimux ! filesink; false (with the
// reason in `why`) when it could not be written within a bounded time.
bool writeClip(const QString &path, const ClipRecipe &recipe, QString &why);
// `videoClip`'s video stream, copied unchanged, behind a PCM audio stream. avimux always writes
// its video stream first and libav's AVI multiplexer inside GStreamer writes a 1/600 time base
// and a wrong length, so the container is rewritten by the ffmpeg tool; false when it is absent.
bool writeAudioFirstClip(const QString &path, const QString &videoClip, QString &why);
// The same with an audio stream of `audioSeconds`, which may run on past the last picture.
bool writeAudioFirstClip(const QString &path, const QString &videoClip, double audioSeconds, QString &why);
// One JPEG picture under an .avi name: a video stream with no frame rate.
bool writeStillPictureAs(const QString &path, QString &why);
// Runs a gst-launch style description to its end (EOS), bounded.
bool runToEnd(const QString &description, QString &why);

} // namespace testclips
