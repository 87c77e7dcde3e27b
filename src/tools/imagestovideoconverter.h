#pragma once

#include "tools/conversionstatus.h"
#include "platform/atomicfile.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <system_error>

namespace platform {
class AviWriter;
struct AviWriterOptions;
class DiagnosticsLog;
class MediaWorker;
} // namespace platform

namespace tools {

// One images-to-video run: the chosen pictures of `folder` in the order chosen (written last to
// first when `reverse`), into `outputPath` at `framePeriodMs` per frame.
struct ImagesToVideoJob {
    QString folder;
    QStringList chosen;
    bool reverse = false;
    QString outputPath;
    int framePeriodMs = 200;
    QString compressor;   // empty: uncompressed
    int periodMs = 16;    // pause between two steps
};

// How a run ended.
struct ImagesToVideoResult {
    bool cancelled = false;
    int framesWritten = 0;
    int count = 0;
    bool fileWritten = false;   // the AVI is in place (at least one frame)
    std::error_code writeError;   // why the writer failed (ENOSPC: the disk is full); the run then ended
    bool diskFull() const { return platform::isDiskFull(writeError); }
};

// The paced conversion: every period one step runs on the owner (UI) thread and hands one picture
// (decode it, add it as a frame) to a worker thread; the next period starts when it came back.
// Pictures that cannot be read, or whose size differs from the first frame, are skipped and
// logged. A full disk ends the run at once: nothing more can be written, and the half-written file
// is removed. The writer is closed on the worker too, except by finishNow().
class ImagesToVideoConverter final : public QObject
{
    Q_OBJECT
public:
    using WriterFactory = std::function<std::unique_ptr<platform::AviWriter>(const platform::AviWriterOptions &)>;

    ImagesToVideoConverter(platform::DiagnosticsLog &log, WriterFactory createWriter, QObject *parent = nullptr);
    ~ImagesToVideoConverter() override;

    // False while a run is going on or nothing was chosen.
    bool start(const ImagesToVideoJob &job);
    // The status window's stop: the next step closes the file with the frames written so far.
    void stop();
    // The close sequence: no further step; the file is closed now with the frames written so far.
    void finishNow();

    bool converting() const { return converting_; }
    const ImagesToVideoJob &job() const { return job_; }

Q_SIGNALS:
    void progressed(const tools::ConversionProgress &progress);
    void finished(const tools::ImagesToVideoResult &result);

private:
    void step();
    void addOne();
    void closeFile();
    void scheduleNext();
    ImagesToVideoResult result(bool fileWritten) const;

    platform::DiagnosticsLog &log_;
    WriterFactory createWriter_;
    std::unique_ptr<platform::MediaWorker> worker_;
    QTimer pacing_;
    ImagesToVideoJob job_;
    std::shared_ptr<platform::AviWriter> writer_;
    int index_ = 0;
    int processed_ = 0;
    int written_ = 0;
    std::error_code writeError_;
    bool finish_ = false;
    bool cancelled_ = false;
    bool converting_ = false;
    bool inFlight_ = false;
};

} // namespace tools

Q_DECLARE_METATYPE(tools::ImagesToVideoResult)
