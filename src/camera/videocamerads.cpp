#include "videocamerads.h"

#include "platform/diagnosticslog.h"
#include "camera/compressorchoice.h"
#include "camera/notifyingcontroldevice.h"
#include "platform/picturecodec.h"

#include <QFile>
#include <QFileInfo>

namespace camera {

TVideoCameraDS::TVideoCameraDS(platform::MediaBackend &backend, platform::DiagnosticsLog &log, QObject *parent)
    : QObject(parent), backend_(backend), log_(log), session_(backend)
{
    rendererAvailable_ = qEnvironmentVariable("SENDRA_CAM_NO_RENDERER") != QLatin1String("1");
    connect(&session_, &CaptureSession::frameReady, this, &TVideoCameraDS::frameReady);
    connect(&session_, &CaptureSession::pipelineEvent, this, &TVideoCameraDS::onPipelineEvent);
}

TVideoCameraDS::~TVideoCameraDS()
{
    finishRecording(false);
    stillButton_.reset();
    session_.stop();
}

// ---- device discovery -------------------------------------------------------------------------

void TVideoCameraDS::SetPidVidToString(std::uint8_t index, std::uint16_t vendorId, std::uint16_t productId)
{
    table_.SetPidVidToString(index, vendorId, productId);
}

void TVideoCameraDS::SetVidPid(const QString &vendorText, const QString &productText) { table_.SetVidPid(vendorText, productText); }

bool TVideoCameraDS::SearchDevice() { return table_.SearchDevice(backend_.deviceMonitor().enumerate()); }

void TVideoCameraDS::GetDeviceIndexName(std::array<QString, DeviceTable::kSlots> &names,
                                        std::array<int, DeviceTable::kSlots> &map) const
{
    table_.GetDeviceIndexName(names, map);
}

// ---- connect and disconnect ---------------------------------------------------------------------

bool TVideoCameraDS::DeviceConnect()
{
    connected_ = false;
    lastFailure_ = PreviewFailure::None;
    StopPreview();
    if (!BuildPreviewGraph() || !StartPreview()) {
        StopPreview();
        return false;
    }
    Q_EMIT measurementModeChanged(true);
    connected_ = true;
    Q_EMIT connectedChanged(true);
    return true;
}

void TVideoCameraDS::DeviceDisConnect()
{
    Q_EMIT measurementsCleared();
    Q_EMIT measurementModeChanged(false);
    if (frozen_) {
        frozen_ = false;
        Q_EMIT frozenChanged(false);
    }
    if (connected_) {
        // The AVI gets its end of stream before the pipeline goes: the clip so far stays playable.
        finishRecording(true);
        StopPreview();
        connected_ = false;
        Q_EMIT connectedChanged(false);
    }
    stillButton_.reset();
    controls_.setDevice(nullptr);
    controlDevice_.reset();
}

bool TVideoCameraDS::BuildPreviewGraph()
{
    const int slot = table_.GetIndexDevice();
    if (!table_.slotIsListed(slot)) {
        lastFailure_ = PreviewFailure::NoDevice;
        log_.append(QStringLiteral("CAPTURE no supported device in slot %1").arg(slot));
        return false;
    }
    // The slot's own record: its devnode, not its position in a new enumeration.
    device_ = table_.record(slot);
    openedIdentity_ = table_.identity(slot);
    openedBridgeKnown_ = table_.slotIsSupported(slot);
    formatChosen_ = false;
    built_ = true;
    Q_EMIT cameraOpening();
    if (auto controls = backend_.openControls(device_))
        controlDevice_ = std::make_unique<NotifyingControlDevice>(
            std::move(controls), [this](std::uint32_t id, int value) { Q_EMIT controlWritten(id, value); });
    else
        controlDevice_.reset();
    controls_.setDevice(controlDevice_.get());
    stillButton_ = backend_.watchStillButton(device_, [this] { stillTrigger_.press(); });
    previousSize_ = videoSize_;
    return true;
}

bool TVideoCameraDS::InitCapFilters()
{
    const std::vector<platform::PixelFormatInfo> formats = backend_.formats(device_);
    FormatChoice choice = chooseCaptureFormat(formats, mjpgPreview_);
    if (formatPreference_)
        if (const auto wanted = formatPreference_(device_, mjpgPreview_))
            if (const auto offered = offeredFormat(formats, *wanted)) {
                choice.format = *offered;
                choice.found = choice.exactSize = true;
            }
    if (!choice.found) {
        lastFailure_ = PreviewFailure::NoFormat;
        log_.append(QStringLiteral("CAPTURE %1 lists no format").arg(device_.devnode));
        return false;
    }
    if (!choice.exactSize) {
        const bool mjpg = mjpgPreview_ && !choice.mjpgMissing;
        log_.append(QStringLiteral("CAPTURE %1 cannot give %2 %3 x %4; using %5 %6 x %7")
                        .arg(device_.devnode, mjpgPreview_ ? QStringLiteral("MJPG") : QStringLiteral("its default format"))
                        .arg(mjpg || mjpgPreview_ ? kMjpgPreviewWidth : kPreviewWidth)
                        .arg(mjpg || mjpgPreview_ ? kMjpgPreviewHeight : kPreviewHeight)
                        .arg(platform::fourccText(choice.format.code))
                        .arg(choice.format.width)
                        .arg(choice.format.height));
    }
    format_ = choice.format;
    formatChosen_ = true;
    previousSize_ = liveSize_ = QSize(format_.width, format_.height);
    setVideoSize(liveSize_);
    return true;
}

bool TVideoCameraDS::startSession(bool logLines)
{
    const platform::StartResult r = session_.start(device_, format_);
    switch (r) {
    case platform::StartResult::Started:
        break;
    case platform::StartResult::OpenFailed:
        lastFailure_ = PreviewFailure::OpenFailed;
        break;
    case platform::StartResult::FormatRefused:
        lastFailure_ = PreviewFailure::FormatRefused;
        break;
    default:
        lastFailure_ = PreviewFailure::CannotStart;
        break;
    }
    if (r != platform::StartResult::Started) {
        if (logLines)
            log_.append(QStringLiteral("CAPTURE This graph cannot preview!"));
        return false;
    }
    stillTrigger_.setGrabEnabled(true);
    GetResolution();
    Q_EMIT flipModeChanged(flipMode_);
    Q_EMIT captureFormatStarted(format_);
    return true;
}

bool TVideoCameraDS::StartPreview()
{
    if (!InitCapFilters())
        return false;
    return startSession(true);
}

void TVideoCameraDS::StopPreview() { session_.stop(); }

// ---- rebuild cycle ------------------------------------------------------------------------------

bool TVideoCameraDS::StopGraph()
{
    session_.stop();
    rendererAvailable_ = qEnvironmentVariable("SENDRA_CAM_NO_RENDERER") != QLatin1String("1");
    return true;
}

bool TVideoCameraDS::BuilderGraph()
{
    if (!built_)
        return false;
    GetResolution();
    if (videoSize_.width() != previousSize_.width()) {
        Q_EMIT measurementsCleared();
        previousSize_ = videoSize_;
        scaleRedraw_ = true;
        resizeByResolution_ = true;
    }
    return true;
}

bool TVideoCameraDS::StartGraph()
{
    if (!built_ || !formatChosen_)
        return false;
    return startSession(false);
}

bool TVideoCameraDS::GetResolution()
{
    if (!formatChosen_)
        return false;
    QSize size = session_.negotiatedSize();
    if (!size.isValid())
        size = QSize(format_.width, format_.height);   // the format set, before it runs
    if (!frozen_)
        setVideoSize(size);
    liveSize_ = size;
    return true;
}

void TVideoCameraDS::setVideoSize(QSize size)
{
    if (size == videoSize_)
        return;
    videoSize_ = size;
    Q_EMIT videoSizeChanged(size);
}

// ---- format, flip, MJPG flag --------------------------------------------------------------------

std::vector<platform::PixelFormatInfo> TVideoCameraDS::availableFormats()
{
    return connected_ ? backend_.formats(device_) : std::vector<platform::PixelFormatInfo>{};
}

bool TVideoCameraDS::applyFormat(const platform::CaptureFormat &format)
{
    if (!connected_)
        return false;
    StopGraph();
    format_ = format;
    // The MJPG flag names 1600 x 1200: a format of neither that width nor that height ends it.
    if (mjpgPreview_ && format_.width != kMjpgPreviewWidth && format_.height != kMjpgPreviewHeight)
        mjpgPreview_ = false;
    return BuilderGraph() && StartGraph();
}

bool TVideoCameraDS::SetFlipMode(int mode)
{
    if (!rendererAvailable_ || !flipRect(mode))
        return false;
    flipMode_ = mode;
    Q_EMIT flipModeChanged(mode);
    return true;
}

void TVideoCameraDS::SetPreviewDefalutState(int selector, bool state)
{
    if (selector == 1)
        mjpgPreview_ = state;
}

bool TVideoCameraDS::GetPreviewDefalutState(int selector) const { return selector == 1 && mjpgPreview_; }

// ---- frozen frames ------------------------------------------------------------------------------

bool TVideoCameraDS::FilterGraph_Pause(int selector, const QString &fileName, platform::DecodedPicture *unreadable)
{
    Q_EMIT overlayClearRequested();
    if (selector == 0) {
        // The frame on screen, at the camera's full resolution: measuring on the frozen picture
        // works in its pixels.
        const QImage shown = platform::fullPicture(session_.latestFrame());
        if (!shown.isNull())
            still_ = flipped(shown, flipMode_).copy();   // detached from the pipeline's buffer
    } else if (QFileInfo::exists(fileName)) {
        const QString ext = QFileInfo(fileName).suffix().toUpper();
        if (ext == QLatin1String("BMP") || ext == QLatin1String("JPG")) {
            const platform::DecodedPicture picture = platform::readPictureFile(fileName);
            if (!picture.ok()) {
                log_.append(QStringLiteral("FilterGraph_Pause: %1: %2").arg(fileName, picture.detail));
                if (unreadable)
                    *unreadable = picture;
                return false;
            }
            still_ = picture.bitmap.image();
        }
        // Other extensions (".jpeg" too) load nothing: the still layer keeps what it showed.
    }
    frozen_ = true;
    if (!still_.isNull())
        setVideoSize(still_.size());
    Q_EMIT frozenChanged(true);
    Q_EMIT measurementsCleared();
    return true;
}

bool TVideoCameraDS::FilterGraph_Play()
{
    if (frozen_) {
        frozen_ = false;
        Q_EMIT frozenChanged(false);
    }
    setVideoSize(liveSize_);
    if (session_.state() == platform::PipelineState::Paused)
        session_.setPaused(false);
    Q_EMIT measurementsCleared();
    return session_.state() == platform::PipelineState::Playing;
}

int TVideoCameraDS::GetFilterGraphState() const
{
    switch (session_.state()) {
    case platform::PipelineState::Stopped: return 1;
    case platform::PipelineState::Paused: return 2;
    case platform::PipelineState::Playing: return frozen_ ? 2 : 3;
    default: return 0;
    }
}

platform::Bitmap TVideoCameraDS::grabFrame() const
{
    const QImage shown = platform::fullPicture(session_.latestFrame());
    if (shown.isNull())
        return {};
    return platform::Bitmap(flipped(shown, flipMode_).copy());
}

// ---- errors while previewing ----------------------------------------------------------------------

void TVideoCameraDS::onPipelineEvent(const platform::PipelineEvent &event)
{
    if (event.fromRecording) {
        // The recording failed (a write error, a refused format) or stopped itself on a disk
        // about to be full; the preview carries on.
        if ((event.kind == platform::PipelineEvent::Kind::Error || event.noSpaceLeft) && recordingActive_) {
            log_.append(QStringLiteral("RECORD ended: %1").arg(event.message));
            finishRecording(true);
        }
        return;
    }
    if (event.kind == platform::PipelineEvent::Kind::Warning || !connected_)
        return;
    const PreviewLoss loss =
        event.fromSource && event.resourceError ? PreviewLoss::DeviceGone : PreviewLoss::StreamFailed;
    log_.append(QStringLiteral("CAPTURE preview of %1 ended: %2").arg(device_.devnode, event.message));
    // Never leave a frozen last picture on screen: stop here, the owner shows the cover.
    DeviceDisConnect();
    Q_EMIT previewLost(loss);
}

// ---- snapshots and writers ------------------------------------------------------------------------

bool TVideoCameraDS::GetStreamImage(platform::Bitmap &bitmap)
{
    // The video window shows the newest frame through the flip mode; the picture keeps the
    // camera's full resolution whatever size it is shown at.
    const QImage shown = platform::fullPicture(session_.latestFrame());
    if (!shown.isNull())
        bitmap = platform::Bitmap(flipped(shown, flipMode_).copy());
    return true;
}

bool TVideoCameraDS::VideoSnapShot(platform::Bitmap &bitmap, int source)
{
    if (recordingActive_)
        return GetStreamImage(bitmap);
    if (!connected_ || !session_.isRunning())
        return false;
    if (source == 1)
        return GetStreamImage(bitmap);
    const QImage shown = platform::fullPicture(session_.latestFrame());
    if (shown.isNull())
        return false;
    // No deep copy: the picture shares the frame's read-only buffer (kept alive by the image,
    // taken from an unbounded converter pool) until someone writes to it, which detaches.
    bitmap = platform::Bitmap(flipped(shown, flipMode_));
    return true;
}

void TVideoCameraDS::SaveBmpFile(const QString &path, const platform::Bitmap &bitmap)
{
    const platform::WriteResult r = platform::writeBmpFile(path, bitmap);
    if (!r.ok()) {
        log_.exceptionAt(QStringLiteral("SaveBmpFile"));
        log_.append(QStringLiteral("SaveBmpFile %1: %2").arg(path, platform::pictureErrorText(r.error)));
    }
}

void TVideoCameraDS::SaveJpgFile(const QString &path, const platform::Bitmap &bitmap)
{
    const platform::WriteResult r = platform::writeJpegFile(path, bitmap, jpegQuality_);
    if (!r.ok()) {
        log_.exceptionAt(QStringLiteral("SaveJpgFile"));
        log_.append(QStringLiteral("SaveJpgFile %1: %2").arg(path, platform::pictureErrorText(r.error)));
    }
}

bool TVideoCameraDS::DeleteFileA(const QString &path, bool toRecycleBin)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QFile file(path);
    const bool ok = toRecycleBin ? file.moveToTrash() : file.remove();
    if (!ok)   // with no trash the file stays: nothing is deleted for good unasked
        log_.append(QStringLiteral("DeleteFileA %1: %2").arg(path, file.errorString()));
    return !ok;
}

// ---- recording ------------------------------------------------------------------------------------

bool TVideoCameraDS::FindCompressFilters()
{
    useCompressor_ = false;
    compressorFactory_.clear();
    if (compressorIndex_ <= 0)
        return false;
    useCompressor_ = true;
    compressorFactory_ = compressorFactory(backend_.compressors(), compressorIndex_).value_or(QString());
    return true;
}

bool TVideoCameraDS::VideoCaptureAvi(const QString &path)
{
    if (!connected_)
        return false;
    // A second start while one is being prepared or running is refused.
    if (capturePrepared_ || recordingActive_ || !session_.pipeline())
        return false;
    capturePrepared_ = true;
    FindCompressFilters();
    platform::RecordingRequest request;
    request.path = path;
    if (useCompressor_) {
        request.encoderFactory = compressorFactory_;
        request.settings = compressorSettings_;
    }
    if (useCompressor_ && compressorFactory_.isEmpty()) {
        log_.append(QStringLiteral("RECORD compressor %1 is no longer installed").arg(compressorIndex_));
        lastRecordingStart_ = platform::RecordingStart::EncoderMissing;
    } else {
        lastRecordingStart_ = session_.pipeline()->startRecording(request);
    }
    capturePrepared_ = false;
    if (lastRecordingStart_ != platform::RecordingStart::Started) {
        // FailCapture: the branch is gone; make sure the preview runs again.
        log_.append(QStringLiteral("CAPTURE VFW_S_NOPREVIEWPIN 2.2"));
        if (session_.state() == platform::PipelineState::NoPipeline && !(BuilderGraph() && StartGraph()))
            DeviceDisConnect();
        return false;
    }
    recordingActive_ = true;
    return true;
}

bool TVideoCameraDS::VideoCaptureAviStop()
{
    if (!connected_)
        return false;
    finishRecording(false);
    return session_.state() == platform::PipelineState::Playing || session_.state() == platform::PipelineState::Paused;
}

void TVideoCameraDS::finishRecording(bool unasked)
{
    if (!recordingActive_)
        return;
    recordingActive_ = false;
    lastRecordingEnd_ = session_.pipeline() ? session_.pipeline()->stopRecording() : platform::RecordingEnd::Unknown;
    lastRecordingCounts_ = session_.pipeline() ? session_.pipeline()->recordingCounts() : platform::RecordingCounts{};
    if (unasked)
        Q_EMIT recordingEnded(lastRecordingEnd_);
}

} // namespace camera
