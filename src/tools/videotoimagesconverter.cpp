#include "videotoimagesconverter.h"

#include "tools/toolnaming.h"
#include "platform/atomicfile.h"
#include "platform/diagnosticslog.h"
#include "platform/mediaworker.h"
#include "platform/picturecodec.h"
#include "platform/videoframereader.h"

#include <QDir>

namespace tools {

VideoToImagesConverter::VideoToImagesConverter(platform::DiagnosticsLog &log, ReaderFactory openReader, QObject *parent)
    : QObject(parent), log_(log), openReader_(std::move(openReader)),
      worker_(std::make_unique<platform::MediaWorker>(1))
{
    pacing_.setSingleShot(true);
    connect(&pacing_, &QTimer::timeout, this, &VideoToImagesConverter::step);
}

VideoToImagesConverter::~VideoToImagesConverter() { abandon(); }

bool VideoToImagesConverter::start(const VideoToImagesJob &job)
{
    if (running_)
        return false;
    job_ = job;
    if (job_.periodMs < 0)
        job_.periodMs = 100;
    running_ = true;
    cancelled_ = false;
    newRun_ = true;
    writeError_ = {};
    phase_ = 0;
    log_.append(QStringLiteral("Run Thread"));
    scheduleNext();
    return true;
}

void VideoToImagesConverter::stop()
{
    if (!running_)
        return;
    cancelled_ = true;
    phase_ = 2;
}

void VideoToImagesConverter::abandon()
{
    pacing_.stop();
    worker_->cancelAll();
    inFlight_ = false;
    reader_.reset();
    running_ = false;
    phase_ = 0;
}

void VideoToImagesConverter::scheduleNext()
{
    if (running_ && !inFlight_)
        pacing_.start(job_.periodMs);
}

void VideoToImagesConverter::report(ConversionStatus status)
{
    Q_EMIT progressed({status, percentUp(done_, job_.totalFiles), done_, job_.totalFiles});
}

bool VideoToImagesConverter::tooManyFailures()
{
    if (++failures_ <= kMaxFailures)
        return false;
    cancelled_ = true;
    phase_ = 2;
    return true;
}

void VideoToImagesConverter::step()
{
    if (!running_ || inFlight_)
        return;
    switch (phase_) {
    case 0:
        setUp();
        break;
    case 1:
        convertOne();
        break;
    default:
        release();
        break;
    }
}

void VideoToImagesConverter::setUp()
{
    log_.append(QStringLiteral("V2I Initial"));
    if (newRun_) {
        failures_ = 0;
        done_ = 0;
        newRun_ = false;
        report(ConversionStatus::Ready);
    } else if (tooManyFailures()) {
        scheduleNext();
        return;
    }
    reader_.reset();
    inFlight_ = true;
    const QString path = job_.videoPath;
    worker_->post(
        [open = openReader_, path] {
            QString why;
            std::shared_ptr<platform::VideoFrameReader> reader = open(path, &why);
            return std::make_pair(reader, why);
        },
        [this](std::pair<std::shared_ptr<platform::VideoFrameReader>, QString> opened) {
            inFlight_ = false;
            if (opened.first && !cancelled_) {
                reader_ = std::move(opened.first);
                log_.append(QStringLiteral("V2I Processing"));
                phase_ = 1;
            } else if (!opened.first) {
                log_.append(QStringLiteral("VFW_E_INVALIDMEDIATYPE"));
                log_.append(QStringLiteral("V2I cannot open ") + job_.videoPath + QStringLiteral(": ") + opened.second);
            }
            scheduleNext();
        });
}

namespace {

struct FrameOutcome {
    bool firstFailed = false;
    bool written = false;
    QString why;
    std::error_code writeError;
};

} // namespace

void VideoToImagesConverter::convertOne()
{
    if (done_ >= job_.totalFiles) {
        phase_ = 2;
        log_.append(QStringLiteral("V2I Convert Finished"));
        scheduleNext();
        return;
    }
    const QString target = QDir(job_.savePath).filePath(
        sequenceFileName(job_.baseName, done_, numberWidth(job_.totalFiles), job_.jpg));
    // The time of file k is k steps: no sum of rounded steps drifts over a long run.
    const double seconds = double(done_) * job_.stepSeconds;
    inFlight_ = true;
    worker_->post(
        [reader = reader_, target, seconds, jpg = job_.jpg, quality = job_.jpegQuality] {
            FrameOutcome out;
            for (int attempt = 0; attempt < 2 && !out.written; ++attempt) {
                if (attempt == 1)
                    out.firstFailed = true;
                const std::optional<platform::Bitmap> frame = reader->frameAt(seconds);
                if (!frame) {
                    out.why = QStringLiteral("no picture at ") + QString::number(seconds) + QStringLiteral(" s");
                    continue;
                }
                const platform::WriteResult w =
                    jpg ? platform::writeJpegFile(target, *frame, quality) : platform::writeBmpFile(target, *frame);
                out.written = w.ok();
                if (!w.ok()) {
                    out.why = platform::pictureErrorText(w.error) + u' ' + QString::fromStdString(w.system.message());
                    out.writeError = w.system;
                    // Trying again cannot make room.
                    if (platform::isDiskFull(w.system))
                        break;
                }
            }
            return out;
        },
        [this, target](FrameOutcome out) {
            inFlight_ = false;
            if (out.firstFailed)
                log_.append(QStringLiteral("WriteBitmapBits1 error"));
            if (!out.written && platform::isDiskFull(out.writeError)) {
                log_.append(target + QStringLiteral(": ") + out.why);
                writeError_ = out.writeError;
                cancelled_ = true;
            } else if (!out.written) {
                log_.append(QStringLiteral("WriteBitmapBits2 error"));
                log_.append(target + QStringLiteral(": ") + out.why);
                tooManyFailures();
            } else {
                ++done_;
                failures_ = 0;
                report(ConversionStatus::Processing);
                log_.append(QStringLiteral("V2I File Count") + QString::number(done_));
            }
            if (cancelled_)
                phase_ = 2;
            scheduleNext();
        });
}

void VideoToImagesConverter::release()
{
    log_.append(QStringLiteral("V2I Release"));
    const bool cancelled = cancelled_;
    report(cancelled ? ConversionStatus::Stopped : ConversionStatus::Finished);
    reader_.reset();
    running_ = false;
    cancelled_ = false;
    log_.append(QStringLiteral("V2I Thread Terminate"));
    phase_ = 0;
    Q_EMIT finished(cancelled);
}

} // namespace tools
