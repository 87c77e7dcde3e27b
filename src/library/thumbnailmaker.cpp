#include "thumbnailmaker.h"

#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"

namespace library {

platform::Bitmap scaleToThumbnail(const platform::Bitmap &picture)
{
    if (picture.isNull())
        return {};
    if (picture.size() == kThumbnailSize)
        return picture;
    return platform::Bitmap(
        picture.image().scaled(kThumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

ThumbnailMaker::ThumbnailMaker(FrameGrabber grabFrame, QString recordingPicturePath, platform::DiagnosticsLog &log)
    : grabFrame_(std::move(grabFrame)), recordingPicturePath_(std::move(recordingPicturePath)), log_(log)
{
}

platform::Bitmap ThumbnailMaker::recordingPicture()
{
    if (!recordingThumbnail_) {
        const platform::DecodedPicture d = platform::readPictureFile(recordingPicturePath_);
        if (!d.ok())
            log_.append(QStringLiteral("Cannot read %1: %2").arg(recordingPicturePath_, d.detail));
        recordingThumbnail_ = scaleToThumbnail(d.bitmap);
    }
    return *recordingThumbnail_;
}

platform::Bitmap ThumbnailMaker::make(int kind, const QString &path)
{
    const std::optional<FileStamp> stamp = stampOf(path);
    if (!stamp) {
        log_.append(QStringLiteral("Cannot open %1 at FileList").arg(path));
        return kind == 2 ? recordingPicture() : platform::Bitmap();
    }
    if (std::optional<platform::Bitmap> hit = cache_.find(path, *stamp))
        return *hit;

    platform::Bitmap thumbnail;
    if (kind == 2) {
        std::optional<platform::Bitmap> frame = grabFrame_ ? grabFrame_(path, kThumbnailFrame) : std::nullopt;
        if (!frame || frame->isNull()) {
            log_.append(QStringLiteral("No frame of %1 at FileList").arg(path));
            // Not cached: the video may still be growing while it records.
            return recordingPicture();
        }
        thumbnail = scaleToThumbnail(*frame);
    } else {
        const platform::DecodedPicture d = platform::readPictureFile(path, kThumbnailSize);
        if (!d.ok()) {
            log_.append(QStringLiteral("Cannot decode %1 at FileList: %2").arg(path, d.detail));
            return {};
        }
        thumbnail = scaleToThumbnail(d.bitmap);
    }
    cache_.insert(path, *stamp, thumbnail);
    return thumbnail;
}

} // namespace library
