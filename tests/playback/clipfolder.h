#pragma once

#include "clips.h"

#include <QTemporaryDir>

#include <memory>

namespace testclips {

// The clips every playback test uses, written once per test executable into a throw-away folder.
class ClipFolder
{
public:
    static ClipFolder &instance();

    QString raw60() const { return path(QStringLiteral("raw60.avi")); }        // 60 frames, 30 fps, raw BGR
    QString mjpg60() const { return path(QStringLiteral("mjpg60.avi")); }      // 60 frames, 30 fps, MJPG
    QString short12() const { return path(QStringLiteral("short12.avi")); }    // 12 frames, 30 fps, raw
    QString audioFirst() const { return path(QStringLiteral("audiofirst.avi")); }   // PCM audio, then raw60's video
    // Three seconds of PCM audio, then short12's video: the audio runs on 2.6 s past the last picture.
    QString longAudio() const { return path(QStringLiteral("longaudio.avi")); }
    QString truncated() const { return path(QStringLiteral("truncated.avi")); }     // raw60 cut after a few frames
    QString textFile() const { return path(QStringLiteral("notavideo.avi")); }
    QString stillPicture() const { return path(QStringLiteral("picture.avi")); }    // a JPEG: no frame rate
    QString missing() const { return path(QStringLiteral("missing.avi")); }

    const ClipRecipe &recipe() const { return recipe_; }
    bool ok() const { return why_.isEmpty(); }
    QString why() const { return why_; }
    bool hasAudioFirst() const { return audioFirst_; }

private:
    ClipFolder();
    QString path(const QString &name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
    ClipRecipe recipe_;
    QString why_;
    bool audioFirst_ = false;
};

} // namespace testclips
