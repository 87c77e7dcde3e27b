#pragma once

#include "thumbnailcache.h"

#include "platform/bitmap.h"
#include "platform/picturecodec.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {
class DiagnosticsLog;
}

namespace library {

constexpr QSize kThumbnailSize{128, 96};
// The frame of a video that stands for it.
constexpr int kThumbnailFrame = 30;

// Takes frame `frameIndex` of a video, or its last frame when it has fewer; nullopt when no frame
// can be taken. Supplied by the player. The browser calls it on a worker thread, never on the UI
// thread, one call per video at a time (several videos may be grabbed at once): it must be safe
// to call from any thread and touch no widget.
using FrameGrabber = std::function<std::optional<platform::Bitmap>(const QString &path, int frameIndex)>;

// Stretches a picture into 128 x 96 (the aspect ratio is not kept).
platform::Bitmap scaleToThumbnail(const platform::Bitmap &picture);

// A video's frame taken away from the UI thread, on its way back to it.
struct GrabbedFrame {
    QString path;
    FileStamp stamp;              // the file's version when the grab started
    platform::Bitmap thumbnail;   // scaled to kThumbnailSize; null when no frame could be taken
    QStringList logLines;         // for the DiagnosticsLog, which only the UI thread may write
};

// Any thread: the thumbnail of a BMP or JPEG file, decoded at the smallest size the codec offers
// that still covers kThumbnailSize (a JPEG scales by 1/2, 1/4 or 1/8 inside its inverse
// transform), then stretched; null with `why` set when the file cannot be read or decoded.
platform::Bitmap decodePictureThumbnail(const QString &path, QString *why = nullptr);

// Any thread: grabs frame kThumbnailFrame of `path` and scales it. Touches nothing but its
// arguments, so it is the part of a video thumbnail that runs on a worker.
GrabbedFrame grabVideoThumbnail(const FrameGrabber &grabFrame, const QString &path, const FileStamp &stamp);

// The small picture of one library file. JPEGs are decoded at reduced size by the codec's scaled
// decoding; a video shows frame 30, or the recording picture when no frame can be taken.
// Finished thumbnails are cached by path and file version.
//
// A picture file that cannot be decoded gives a null Bitmap, the decoder's reason (the slot shows
// that it cannot be read) and a log line naming the file; it never ends the refresh of the other
// slots.
//
// UI thread only, cache included (it is not locked): the video work that must leave the UI thread
// is grabVideoThumbnail(), whose result comes back through finishVideo().
class ThumbnailMaker
{
public:
    ThumbnailMaker(FrameGrabber grabFrame, QString recordingPicturePath, platform::DiagnosticsLog &log);

    // What a slot can show without opening a video.
    struct Start {
        platform::Bitmap shown;
        // Set when a video's frame still has to be grabbed (grabVideoThumbnail with this stamp);
        // `shown` is then the placeholder, the recording picture.
        std::optional<FileStamp> grabStamp;
        // Set when a picture file could not be read: why (`shown` is null).
        std::optional<platform::DecodedPicture> unreadable;
    };
    // Pictures are decoded here (they are small or decoded scaled down); a video gives its cached
    // thumbnail, the recording picture when it is missing, or asks for a grab.
    Start start(int kind, const QString &path);
    // Logs the grab's lines, caches a frame, and returns what the slot shows: the frame, or the
    // recording picture when there was none (not cached: the video may still be growing).
    platform::Bitmap finishVideo(GrabbedFrame grabbed);

    // start() with the grab done here, on the calling thread.
    platform::Bitmap make(int kind, const QString &path);

    // Decodes the pictures among `paths` that the cache does not hold in their current version,
    // on the calling thread and one helper thread at once, and caches them: the slots of a page
    // then come from start() without a decode, in half the time on two cores. Videos, and files
    // that cannot be read or decoded (start() logs them), are left to start(). Kind 0 or 1.
    void preparePictures(int kind, const QStringList &paths);

    const FrameGrabber &grabber() const { return grabFrame_; }
    ThumbnailCache &cache() { return cache_; }

private:
    platform::Bitmap recordingPicture();

    FrameGrabber grabFrame_;
    QString recordingPicturePath_;
    std::optional<platform::Bitmap> recordingThumbnail_;
    platform::DiagnosticsLog &log_;
    ThumbnailCache cache_;
};

} // namespace library
