#include "thumbnailmaker.h"

#include "platform/diagnosticslog.h"
#include "platform/picturecodec.h"

#include <atomic>
#include <thread>
#include <vector>

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

GrabbedFrame grabVideoThumbnail(const FrameGrabber &grabFrame, const QString &path, const FileStamp &stamp)
{
    GrabbedFrame grabbed{path, stamp, {}, {}};
    std::optional<platform::Bitmap> frame = grabFrame ? grabFrame(path, kThumbnailFrame) : std::nullopt;
    if (frame && !frame->isNull())
        grabbed.thumbnail = scaleToThumbnail(*frame);
    else
        grabbed.logLines << QStringLiteral("No frame of %1 at FileList").arg(path);
    return grabbed;
}

ThumbnailMaker::Start ThumbnailMaker::start(int kind, const QString &path)
{
    const std::optional<FileStamp> stamp = stampOf(path);
    if (!stamp) {
        log_.append(QStringLiteral("Cannot open %1 at FileList").arg(path));
        if (kind == 2)
            return {recordingPicture(), std::nullopt, std::nullopt};
        return {platform::Bitmap(), std::nullopt,
                platform::DecodedPicture{platform::Bitmap(), platform::PictureError::CannotOpen, QStringLiteral("gone")}};
    }
    if (std::optional<platform::Bitmap> hit = cache_.find(path, *stamp))
        return {*hit, std::nullopt, std::nullopt};
    if (kind == 2)
        return {recordingPicture(), stamp, std::nullopt};

    const platform::DecodedPicture d = platform::readPictureFile(path, kThumbnailSize);
    if (!d.ok()) {
        log_.append(QStringLiteral("Cannot decode %1 at FileList: %2").arg(path, d.detail));
        return {platform::Bitmap(), std::nullopt, d};
    }
    const platform::Bitmap thumbnail = scaleToThumbnail(d.bitmap);
    cache_.insert(path, *stamp, thumbnail);
    return {thumbnail, std::nullopt, std::nullopt};
}

platform::Bitmap decodePictureThumbnail(const QString &path, QString *why)
{
    const platform::DecodedPicture d = platform::readPictureFile(path, kThumbnailSize);
    if (!d.ok()) {
        if (why)
            *why = d.detail;
        return {};
    }
    return scaleToThumbnail(d.bitmap);
}

void ThumbnailMaker::preparePictures(int kind, const QStringList &paths)
{
    if (kind != 0 && kind != 1)
        return;
    struct Job {
        QString path;
        FileStamp stamp;
        platform::Bitmap thumbnail;
    };
    std::vector<Job> jobs;
    for (const QString &path : paths) {
        const std::optional<FileStamp> stamp = path.isEmpty() ? std::nullopt : stampOf(path);
        if (stamp && !cache_.find(path, *stamp))
            jobs.push_back({path, *stamp, {}});
    }
    // Each thread takes the next file not yet taken; a job touches only its own entry.
    std::atomic<std::size_t> next{0};
    auto work = [&jobs, &next] {
        for (std::size_t i = next++; i < jobs.size(); i = next++)
            jobs[i].thumbnail = decodePictureThumbnail(jobs[i].path);
    };
    if (jobs.size() > 1) {
        std::thread helper(work);
        work();
        helper.join();
    } else {
        work();
    }
    for (const Job &job : jobs)
        if (!job.thumbnail.isNull())
            cache_.insert(job.path, job.stamp, job.thumbnail);
}

platform::Bitmap ThumbnailMaker::finishVideo(GrabbedFrame grabbed)
{
    for (const QString &line : std::as_const(grabbed.logLines))
        log_.append(line);
    if (grabbed.thumbnail.isNull())
        return recordingPicture();
    cache_.insert(grabbed.path, grabbed.stamp, grabbed.thumbnail);
    return grabbed.thumbnail;
}

platform::Bitmap ThumbnailMaker::make(int kind, const QString &path)
{
    Start s = start(kind, path);
    if (!s.grabStamp)
        return s.shown;
    return finishVideo(grabVideoThumbnail(grabFrame_, path, *s.grabStamp));
}

} // namespace library
