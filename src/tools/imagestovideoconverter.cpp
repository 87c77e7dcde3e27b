#include "imagestovideoconverter.h"

#include "tools/imagestovideo.h"
#include "tools/toolnaming.h"
#include "platform/atomicfile.h"
#include "platform/aviwriter.h"
#include "platform/diagnosticslog.h"
#include "platform/mediaworker.h"
#include "platform/picturecodec.h"

#include <QDir>
#include <QFileInfo>

namespace tools {

ImagesToVideoConverter::ImagesToVideoConverter(platform::DiagnosticsLog &log, WriterFactory createWriter,
                                               QObject *parent)
    : QObject(parent), log_(log), createWriter_(std::move(createWriter)),
      worker_(std::make_unique<platform::MediaWorker>(1))
{
    pacing_.setSingleShot(true);
    connect(&pacing_, &QTimer::timeout, this, &ImagesToVideoConverter::step);
}

ImagesToVideoConverter::~ImagesToVideoConverter() { finishNow(); }

bool ImagesToVideoConverter::start(const ImagesToVideoJob &job)
{
    if (converting_ || job.chosen.isEmpty())
        return false;
    job_ = job;
    if (job_.framePeriodMs <= 0)
        job_.framePeriodMs = framePeriodMs(kDefaultFrameRate);
    platform::AviWriterOptions options{job_.outputPath, job_.framePeriodMs, job_.compressor};
    writer_ = createWriter_(options);
    index_ = startIndex(int(job_.chosen.size()), job_.reverse);
    processed_ = written_ = 0;
    writeError_ = {};
    finish_ = cancelled_ = false;
    converting_ = true;
    Q_EMIT progressed({ConversionStatus::Processing, 0, 0, job_.chosen.size()});
    scheduleNext();
    return true;
}

void ImagesToVideoConverter::stop()
{
    if (!converting_)
        return;
    cancelled_ = true;
    finish_ = true;
}

void ImagesToVideoConverter::finishNow()
{
    if (!converting_)
        return;
    pacing_.stop();
    worker_->cancelAll();
    inFlight_ = false;
    // The writer serialises this close with a frame still being added on the worker.
    const bool fileWritten = writer_ && writer_->close();
    if (writer_)
        written_ = writer_->framesWritten();
    writer_.reset();
    converting_ = false;
    log_.append(QStringLiteral("I2V Convert Finished"));
    Q_EMIT finished(result(fileWritten));
}

ImagesToVideoResult ImagesToVideoConverter::result(bool fileWritten) const
{
    return {cancelled_, written_, int(job_.chosen.size()), fileWritten, writeError_};
}

void ImagesToVideoConverter::scheduleNext()
{
    if (converting_ && !inFlight_)
        pacing_.start(job_.periodMs);
}

void ImagesToVideoConverter::step()
{
    if (!converting_ || inFlight_)
        return;
    if (finish_)
        closeFile();
    else
        addOne();
}

namespace {

struct FrameOutcome {
    platform::FrameWrite write = platform::FrameWrite::Unknown;
    bool loadFailed = false;
    QString why;
    std::error_code writeError;
};

} // namespace

void ImagesToVideoConverter::addOne()
{
    const QString name = job_.chosen.at(index_);
    const QString path = QDir(job_.folder).filePath(name);
    inFlight_ = true;
    worker_->post(
        [writer = writer_, path] {
            FrameOutcome out;
            if (!writer) {
                out.write = platform::FrameWrite::WriterError;
                return out;
            }
            platform::DecodedPicture picture = platform::readPictureFile(path);
            if (!picture.ok()) {
                out.loadFailed = true;
                out.why = platform::pictureErrorText(picture.error) + u' ' + picture.detail;
                out.write = platform::FrameWrite::BadParameter;
                return out;
            }
            out.write = writer->addFrame(picture.bitmap);
            if (out.write == platform::FrameWrite::WriterError)
                out.writeError = writer->error();
            return out;
        },
        [this, name](FrameOutcome out) {
            inFlight_ = false;
            const bool jpg = name.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive);
            if (out.loadFailed) {
                log_.append(jpg ? QStringLiteral("I2V convert jpg error") : QStringLiteral("I2V convert bmp error"));
                log_.append(name + QStringLiteral(": ") + out.why);
            } else if (out.write == platform::FrameWrite::BadParameter) {
                log_.append(QStringLiteral("I2V skipped ") + name + QStringLiteral(": not the size of the first frame"));
            } else if (out.write == platform::FrameWrite::Written) {
                ++written_;
            } else if (platform::isDiskFull(out.writeError)) {
                // No later frame can be written either.
                log_.append(QStringLiteral("I2V disk full: ") + job_.outputPath);
                writeError_ = out.writeError;
                cancelled_ = true;
                finish_ = true;
            }
            ++processed_;
            const int count = int(job_.chosen.size());
            if (index_ == (job_.reverse ? 0 : count - 1))
                finish_ = true;
            else
                index_ += job_.reverse ? -1 : 1;
            log_.append(QStringLiteral("I2V Convert") + QString::number(written_));
            Q_EMIT progressed({ConversionStatus::Processing, percentUp(processed_, count), written_, count});
            scheduleNext();
        });
}

namespace {

struct ClosedFile {
    bool ok = false;
    int frames = 0;
    std::error_code error;
};

} // namespace

void ImagesToVideoConverter::closeFile()
{
    inFlight_ = true;
    worker_->post(
        [writer = writer_] {
            const bool ok = writer && writer->close();
            return ClosedFile{ok, writer ? writer->framesWritten() : 0, writer ? writer->error() : std::error_code()};
        },
        [this](ClosedFile closed) {
            inFlight_ = false;
            written_ = closed.frames;
            // The end of the file (its index) may be what no longer fitted.
            if (!writeError_ && platform::isDiskFull(closed.error))
                writeError_ = closed.error;
            writer_.reset();
            converting_ = false;
            log_.append(QStringLiteral("I2V Convert Finished"));
            log_.append(QStringLiteral("I2V Thread Terminate"));
            const int count = int(job_.chosen.size());
            // Finished only when the file holds frames; a run that wrote none left no file.
            const bool stopped = cancelled_ || !closed.ok;
            Q_EMIT progressed({stopped ? ConversionStatus::Stopped : ConversionStatus::Finished,
                               percentUp(processed_, count), written_, count});
            Q_EMIT finished(result(closed.ok));
        });
}

} // namespace tools
