#pragma once

#include "tools/conversionstatus.h"
#include "platform/atomicfile.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <system_error>

namespace platform {
class DiagnosticsLog;
class MediaWorker;
class VideoFrameReader;
} // namespace platform

namespace tools {

// What one video-to-images run writes: files base_<number>.bmp|.jpg into savePath, one every
// `stepSeconds` of video from 0, `totalFiles` in all.
struct VideoToImagesJob {
    QString videoPath;
    QString baseName;
    QString savePath;
    bool jpg = true;
    int jpegQuality = 90;
    double stepSeconds = 1;
    long long totalFiles = 0;
    int periodMs = 16;   // pause between two steps
};

// The paced conversion: every period one step runs on the owner (UI) thread, and the step only
// hands its work (opening the video, decoding one frame and writing its file) to a worker thread;
// the next period starts when that work came back. Phases: 0 set-up, 1 converting, 2 finishing.
// A set-up or a frame that keeps failing ends the run, cancelled, after 16 failures in a row; a
// full disk ends it at once (writeError() says so), keeping the files written whole.
class VideoToImagesConverter final : public QObject
{
    Q_OBJECT
public:
    using ReaderFactory = std::function<std::unique_ptr<platform::VideoFrameReader>(const QString &, QString *)>;
    static constexpr int kMaxFailures = 16;

    VideoToImagesConverter(platform::DiagnosticsLog &log, ReaderFactory openReader, QObject *parent = nullptr);
    ~VideoToImagesConverter() override;

    // False while a run is going on.
    bool start(const VideoToImagesJob &job);
    // The status window's stop: the next step finishes the run; files written stay.
    void stop();
    // The close sequence: no further step; work in flight is dropped.
    void abandon();

    bool running() const { return running_; }
    int phase() const { return phase_; }
    long long filesDone() const { return done_; }
    // Why the last run ended early on a write: ENOSPC for a full disk; empty otherwise.
    const std::error_code &writeError() const { return writeError_; }
    bool endedOnFullDisk() const { return platform::isDiskFull(writeError_); }
    const VideoToImagesJob &job() const { return job_; }

Q_SIGNALS:
    void progressed(const tools::ConversionProgress &progress);
    void finished(bool cancelled);

private:
    void step();
    void setUp();
    void convertOne();
    void release();
    void scheduleNext();
    void report(ConversionStatus status);
    bool tooManyFailures();

    platform::DiagnosticsLog &log_;
    ReaderFactory openReader_;
    std::unique_ptr<platform::MediaWorker> worker_;
    QTimer pacing_;
    VideoToImagesJob job_;
    std::shared_ptr<platform::VideoFrameReader> reader_;
    int phase_ = 0;
    bool running_ = false;
    bool cancelled_ = false;
    bool newRun_ = false;
    bool inFlight_ = false;
    int failures_ = 0;
    long long done_ = 0;
    std::error_code writeError_;
};

} // namespace tools
