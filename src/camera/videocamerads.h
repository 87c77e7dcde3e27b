#pragma once

#include "camera/capturesession.h"
#include "camera/devicetable.h"
#include "camera/flipmode.h"
#include "camera/formatchoice.h"
#include "camera/picturecontrols.h"
#include "camera/stilltrigger.h"
#include "platform/bitmap.h"
#include "platform/picturecodec.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

namespace platform {
class DiagnosticsLog;
}

namespace camera {

// Why a connect or a rebuild did not end in a running preview.
enum class PreviewFailure {
    Unknown,
    None,
    NoDevice,        // the selected slot holds no supported camera
    NoFormat,        // the camera lists no format we can ask for
    OpenFailed,      // the device could not be opened
    FormatRefused,   // the camera refused the format
    CannotStart,     // the pipeline would not run: CannotStartVideo_MsgBox
};

// How a running preview ended on its own.
enum class PreviewLoss {
    Unknown,
    DeviceGone,     // the source reported a resource error: most likely unplugged
    StreamFailed,   // any other error (format refused mid-stream, decoder failure ...)
};

// The camera component: device table, capture session, frozen frame, flip mode, snapshot flag
// and picture controls, under the operation names the rest of the program uses. UI thread only;
// widgets attach to its signals.
class TVideoCameraDS : public QObject
{
    Q_OBJECT
public:
    TVideoCameraDS(platform::MediaBackend &backend, platform::DiagnosticsLog &log, QObject *parent = nullptr);
    ~TVideoCameraDS() override;

    // Device discovery.
    DeviceTable &deviceTable() { return table_; }
    void SetPidVidToString(std::uint8_t index, std::uint16_t vendorId, std::uint16_t productId);
    void SetVidPid(const QString &vendorText, const QString &productText);
    bool SearchDevice();
    void GetDeviceIndexName(std::array<QString, DeviceTable::kSlots> &names, std::array<int, DeviceTable::kSlots> &map) const;
    void SetDeviceIndex(int slot) { table_.SetDeviceIndex(slot); }
    int GetIndexDevice() const { return table_.GetIndexDevice(); }
    bool GetHasDevice() const { return table_.GetHasDevice(); }

    // Capture session.
    bool DeviceConnect();
    void DeviceDisConnect();
    bool BuildPreviewGraph();
    bool StartPreview();
    void StopPreview();
    bool InitCapFilters();
    bool StopGraph();
    bool BuilderGraph();
    bool StartGraph();
    bool SetFlipMode(int mode);
    int GetFlipMode() const { return flipMode_; }
    bool GetResolution();
    void SetPreviewDefalutState(int selector, bool state);
    bool GetPreviewDefalutState(int selector) const;
    // False when SENDRA_CAM_NO_RENDERER=1: flipping is then unavailable.
    bool CheckVMR_Functuon() const { return rendererAvailable_; }
    // Freezes the picture: selector 0 the shown frame, otherwise a .BMP/.JPG file. The camera
    // keeps streaming underneath, so the snapshot button, a recording and the release go on
    // without the live source having to start again; only what the window shows stands still.
    // A file that cannot be read gives false and, in `unreadable`, the decoder's reason.
    bool FilterGraph_Pause(int selector, const QString &fileName, platform::DecodedPicture *unreadable = nullptr);
    bool FilterGraph_Play();
    // 0 no pipeline, 1 stopped, 2 paused (also while a frame is frozen), 3 playing.
    int GetFilterGraphState() const;

    // The size the video area shows the live picture at: frames are decoded and filtered to it
    // on the streaming side. Snapshots, frozen frames and recordings keep the full size.
    void setPreviewSize(QSize size) { session_.setPreviewSize(size); }

    // The format dialog's work once the user has chosen: stop, rebuild with `format`, start.
    bool applyFormat(const platform::CaptureFormat &format);
    std::vector<platform::PixelFormatInfo> availableFormats();
    const platform::CaptureFormat &currentFormat() const { return format_; }

    // A format to ask of the camera being opened instead of the default choice, when the camera
    // offers it (see offeredFormat); asked once per connect with the device and the MJPG preview
    // switch. Empty or nullopt: the default choice.
    using FormatPreference = std::function<std::optional<platform::CaptureFormat>(const platform::DeviceRecord &, bool mjpgPreview)>;
    void setFormatPreference(FormatPreference preference) { formatPreference_ = std::move(preference); }

    bool isConnected() const { return connected_; }
    PreviewFailure lastFailure() const { return lastFailure_; }
    const platform::DeviceRecord &openedDevice() const { return session_.device(); }
    // The camera the last BuildPreviewGraph opened: who it is, and whether its bridge is one of
    // the supported pairs (only then is there a bridge channel to ask and a model to recognise).
    const CameraIdentity &openedIdentity() const { return openedIdentity_; }
    bool openedBridgeKnown() const { return openedBridgeKnown_; }

    // Sizes of the picture shown: current (the frozen picture's while frozen), live (the camera's).
    QSize videoSize() const { return videoSize_; }
    QSize liveSize() const { return liveSize_; }
    // Raised by a rebuild that changed the width; the main window reads and clears them.
    bool scaleRedrawNeeded() const { return scaleRedraw_; }
    void clearScaleRedrawNeeded() { scaleRedraw_ = false; }
    bool resizeByResolutionNeeded() const { return resizeByResolution_; }
    void clearResizeByResolutionNeeded() { resizeByResolution_ = false; }

    // Frames.
    const platform::VideoFrame &latestFrame() const { return session_.latestFrame(); }
    std::uint64_t framesTaken() const { return session_.framesTaken(); }
    // The current frame as grabbed for a snapshot: a deep copy, flipped by the flip mode.
    platform::Bitmap grabFrame() const;
    bool isFrozen() const { return frozen_; }
    const QImage &stillImage() const { return still_; }

    // Snapshot button flag (polled by the list timer).
    StillTrigger &stillTrigger() { return stillTrigger_; }

    // Picture controls of the connected camera.
    PictureControls &pictureControls() { return controls_; }
    platform::ControlDevice *controlDevice() const { return controlDevice_.get(); }

    CaptureSession &session() { return session_; }

    // Snapshots. Source 0 the frame grabber's frame (flipped by the flip mode), 1 the renderer's
    // image. During a recording the renderer's image is taken whatever the source.
    bool VideoSnapShot(platform::Bitmap &bitmap, int source);
    // The picture the video window shows; a bitmap keeps its content when there is none.
    bool GetStreamImage(platform::Bitmap &bitmap);
    bool GetCanSnapShot() const { return rendererAvailable_; }
    // Writers: errors are only logged ("Exception Error at SaveBmpFile" / "... SaveJpgFile").
    void SaveBmpFile(const QString &path, const platform::Bitmap &bitmap);
    void SaveJpgFile(const QString &path, const platform::Bitmap &bitmap);
    void SetCompressionQ(int quality) { jpegQuality_ = quality & 0xFF; }
    int compressionQ() const { return jpegQuality_; }
    // Deletes a file, to the trash when asked; a trash refusal keeps the file. True on error.
    bool DeleteFileA(const QString &path, bool toRecycleBin);

    // Recording. The compressor index counts the enumeration of compressors() from 1; 0 is
    // "No Compressor" (raw 24-bit frames).
    void SetCompressorIndex(int index) { compressorIndex_ = index; }
    int compressorIndex() const { return compressorIndex_; }
    std::vector<platform::CompressorInfo> compressors() { return backend_.compressors(); }
    std::vector<platform::EncoderProperty> compressorProperties(const QString &factory)
    {
        return backend_.compressorProperties(factory);
    }
    // The settings the compressor's settings dialog chose; applied at each recording start.
    void setCompressorSettings(std::vector<platform::EncoderSetting> settings) { compressorSettings_ = std::move(settings); }
    const std::vector<platform::EncoderSetting> &compressorSettings() const { return compressorSettings_; }
    // True when a compressor is to be used; its factory is then in compressorFactoryName().
    bool FindCompressFilters();
    const QString &compressorFactoryName() const { return compressorFactory_; }
    // Starts recording into `path` while the preview keeps running; false (and the preview
    // still running) when it cannot.
    bool VideoCaptureAvi(const QString &path);
    // Finishes the file (end of stream, index written); true when the preview runs.
    bool VideoCaptureAviStop();
    bool isRecording() const { return recordingActive_; }
    platform::RecordingStart lastRecordingStart() const { return lastRecordingStart_; }
    platform::RecordingEnd lastRecordingEnd() const { return lastRecordingEnd_; }
    // What the last recording left behind once it ended (its file removed when it held no frame).
    const platform::RecordingCounts &lastRecordingCounts() const { return lastRecordingCounts_; }

Q_SIGNALS:
    void frameReady();
    void flipModeChanged(int mode);
    // The still layer is shown (frozen) or hidden.
    void frozenChanged(bool frozen);
    // videoSize() changed: a connect, a format change, a rebuild, a frozen or released picture.
    void videoSizeChanged(QSize size);
    // Measurement data must be cleared (format width changed, frame frozen or released, disconnect).
    void measurementsCleared();
    void measurementModeChanged(bool active);
    // The overlay bitmap is to be emptied (before a freeze).
    void overlayClearRequested();
    // A running preview ended by itself; the component is already disconnected.
    void previewLost(camera::PreviewLoss loss);
    void connectedChanged(bool connected);
    // BuildPreviewGraph chose the camera to open (openedIdentity()); nothing of it is open yet.
    void cameraOpening();
    // The camera accepted a control value (tool bar, source dialog, restore).
    void controlWritten(std::uint32_t id, int value);
    // A preview started in `format` (a connect, a format change, a rebuild).
    void captureFormatStarted(const platform::CaptureFormat &format);
    // A recording ended without VideoCaptureAviStop: a write error (disk full), or the camera
    // went away. The file holds what was recorded so far.
    void recordingEnded(platform::RecordingEnd end);

private:
    void onPipelineEvent(const platform::PipelineEvent &event);
    bool startSession(bool logLines);
    void setVideoSize(QSize size);
    // Ends a running recording; emits recordingEnded when `unasked`.
    void finishRecording(bool unasked);

    platform::MediaBackend &backend_;
    platform::DiagnosticsLog &log_;
    DeviceTable table_;
    CaptureSession session_;
    PictureControls controls_;
    std::unique_ptr<platform::ControlDevice> controlDevice_;
    std::unique_ptr<platform::StillButton> stillButton_;
    StillTrigger stillTrigger_;
    platform::DeviceRecord device_;
    CameraIdentity openedIdentity_;
    bool openedBridgeKnown_ = false;
    FormatPreference formatPreference_;
    platform::CaptureFormat format_;
    bool formatChosen_ = false;
    bool connected_ = false;
    bool built_ = false;
    bool mjpgPreview_ = false;
    bool rendererAvailable_ = true;
    int flipMode_ = kFlipNone;
    bool frozen_ = false;
    QImage still_;
    QSize videoSize_, previousSize_, liveSize_;
    bool scaleRedraw_ = false;
    bool resizeByResolution_ = false;
    PreviewFailure lastFailure_ = PreviewFailure::None;
    int jpegQuality_ = platform::kDefaultJpegQuality;
    int compressorIndex_ = 0;
    QString compressorFactory_;
    std::vector<platform::EncoderSetting> compressorSettings_;
    bool useCompressor_ = false;
    bool capturePrepared_ = false;
    bool recordingActive_ = false;
    platform::RecordingStart lastRecordingStart_ = platform::RecordingStart::Unknown;
    platform::RecordingEnd lastRecordingEnd_ = platform::RecordingEnd::Unknown;
    platform::RecordingCounts lastRecordingCounts_;
};

} // namespace camera
