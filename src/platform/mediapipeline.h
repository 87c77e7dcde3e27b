#pragma once

#include "platform/devicerecord.h"
#include "platform/controldevice.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace platform {

class FrameAnalysis;
class FrameAnalyzer;

// A frame as the camera compressed it (one JPEG picture of an MJPEG camera), kept alive by
// `keep` without a copy.
struct EncodedFrame {
    const unsigned char *data = nullptr;
    std::size_t size = 0;
    std::shared_ptr<const void> keep;
};

// One camera frame as it reaches the UI thread. `image` is what the video area shows: top-down,
// QImage::Format_RGB32 (GStreamer "BGRx"), already scaled to the preview size when one is set,
// and it may share the pipeline's buffer read-only (writing to it detaches). The picture itself,
// at the camera's full size, is `full` when the pipeline had it anyway (a raw camera), otherwise
// it is decoded from `encoded` only when somebody needs it: see fullPicture().
struct VideoFrame {
    QImage image;
    std::uint64_t sequence = 0;                    // counts frames delivered by one pipeline, from 1
    QSize pictureSize;                             // the camera's own size
    QImage full;                                   // null unless decoded at full size already
    std::shared_ptr<const EncodedFrame> encoded;   // MJPEG: the camera's own bytes
    std::shared_ptr<const FrameAnalysis> analysis; // what the frame analyzer found in `image`, if any

    static VideoFrame of(QImage image, std::uint64_t sequence = 0)
    {
        VideoFrame f;
        f.image = std::move(image);
        f.sequence = sequence;
        return f;
    }
};

// The frame at the camera's full resolution: `full`, `image` when that is full size, or a full
// decode of the JPEG the camera sent. Null when none of these exists (a damaged JPEG).
QImage fullPicture(const VideoFrame &frame);

// Four-character code of a pixel format as V4L2 names it ("YUYV", "MJPG").
using FourCC = std::uint32_t;
constexpr FourCC fourcc(char a, char b, char c, char d)
{
    return FourCC(std::uint8_t(a)) | (FourCC(std::uint8_t(b)) << 8) | (FourCC(std::uint8_t(c)) << 16) |
           (FourCC(std::uint8_t(d)) << 24);
}
constexpr FourCC kFourccMjpg = fourcc('M', 'J', 'P', 'G');
constexpr FourCC kFourccYuyv = fourcc('Y', 'U', 'Y', 'V');
QString fourccText(FourCC code);

struct FrameRate {
    int numerator = 0;     // frames ...
    int denominator = 1;   // ... per this many seconds
    double fps() const { return denominator ? double(numerator) / denominator : 0.0; }
    friend bool operator==(const FrameRate &, const FrameRate &) = default;
};

struct FrameSizeInfo {
    int width = 0;
    int height = 0;
    std::vector<FrameRate> rates;   // fastest first; empty when the camera does not say
};

// One pixel format of a camera with the sizes it offers (VIDIOC_ENUM_FMT and friends).
struct PixelFormatInfo {
    FourCC code = 0;
    QString description;
    bool compressed = false;
    std::vector<FrameSizeInfo> sizes;
};

// What the capture pipeline asks the source for.
struct CaptureFormat {
    FourCC code = 0;
    int width = 0;
    int height = 0;
    FrameRate rate;   // 0/1: whatever the camera gives
    friend bool operator==(const CaptureFormat &, const CaptureFormat &) = default;
};

enum class PipelineState { Unknown, NoPipeline, Stopped, Paused, Playing };

// A bus message turned into a value before it leaves the streaming thread.
struct PipelineEvent {
    enum class Kind { Unknown, Error, Warning, EndOfStream };
    Kind kind = Kind::Unknown;
    // The source element posted it: with a resource error this is how an unplugged camera
    // shows up, usually before the device node disappears.
    bool fromSource = false;
    bool resourceError = false;
    bool negotiationError = false;   // the format was refused
    // Posted by an element of the recording branch: the recording failed (disk full, a
    // compressor that refused the format), the preview itself is unharmed.
    bool fromRecording = false;
    // The disk is full: a write failed for want of space, or the recording stopped itself
    // before that could happen (then the event is a warning, and the file is complete).
    bool noSpaceLeft = false;
    QString element;
    QString message;
    QString debug;
};

// The result of starting a pipeline.
enum class StartResult { Unknown, Started, OpenFailed, FormatRefused, StateChangeFailed };

// A video compressor: a GStreamer encoder whose output the AVI multiplexer takes.
struct CompressorInfo {
    QString factory;    // "jpegenc"
    QString name;       // the friendly name the compressor dialog lists: "JPEG image encoder"
    int rank = 0;
};

// One writable setting of a compressor, as its settings dialog edits it.
struct EncoderProperty {
    enum class Type { Unknown, Boolean, Integer, Real, Choice, Text };
    QString name;          // the GObject property name, "quality"
    QString description;   // its blurb, for the dialog's label tip
    Type type = Type::Unknown;
    double minimum = 0, maximum = 0;
    QString value;                                    // the current value as text
    std::vector<std::pair<QString, QString>> choices;   // Choice: (nick, readable name)
};
// A chosen value for one property, as text ("85", "true", "zerolatency").
struct EncoderSetting {
    QString name;
    QString value;
    friend bool operator==(const EncoderSetting &, const EncoderSetting &) = default;
};

// What a recording is asked to write.
struct RecordingRequest {
    QString path;                          // the AVI file, created or overwritten
    // Empty: "No Compressor", the camera's own frames (an MJPEG camera's JPEGs as they come, a
    // raw camera's frames as 24-bit BGR).
    QString encoderFactory;
    std::vector<EncoderSetting> settings;  // applied to the encoder before it starts
};

enum class RecordingStart {
    Unknown,
    Started,
    NotRunning,       // no preview pipeline to attach to
    AlreadyRecording,
    EncoderMissing,   // the compressor is not installed (any more)
    CannotOpenFile,   // the folder is missing or read-only
    WriteFailed,      // the first frames could not be written (a file-size limit, an I/O error)
    DiskFull,         // the folder's disk has no room for a recording; no file is left behind
    Refused,          // the compressor refused the camera's format
};

// What a recording branch did with the frames it was handed.
struct RecordingCounts {
    std::uint64_t framesIn = 0;        // frames the camera handed to the branch
    std::uint64_t framesWritten = 0;   // frames that reached the multiplexer
    std::uint64_t dropped() const { return framesIn > framesWritten ? framesIn - framesWritten : 0; }
    // Once stopped: the file held no complete frame and was removed, so that no recording of no
    // length is left in the library.
    bool fileRemoved = false;
};

// How a recording ended.
enum class RecordingEnd {
    Unknown,
    Finished,    // the end of stream reached the file: the AVI has its index
    TimedOut,    // the end of stream did not arrive in time; the file was finished from what it held
    Failed,      // a write or encoder error ended it before; the file was finished from what it held
    DiskFull,    // the disk filled up: the recording stopped with what fit (see RecordingCounts)
};

// One capture session's pipeline: source, decode, convert to BGRx, newest-frame hand-off.
// Lives on the UI thread. The frame callback runs on a streaming thread; the event callback on
// the UI thread.
class MediaPipeline
{
public:
    virtual ~MediaPipeline() = default;
    // Builds the pipeline for `device` at `format` and sets it playing. Waits (bounded) for the
    // caps to be negotiated so that a refused format is reported here, not later.
    virtual StartResult start(const DeviceRecord &device, const CaptureFormat &format) = 0;
    // State NULL, streaming threads joined; no callback runs after this returns.
    virtual void stop() = 0;
    virtual bool setPaused(bool paused) = 0;
    virtual PipelineState state() const = 0;
    // The size actually negotiated (empty before the first caps).
    virtual QSize negotiatedSize() const = 0;
    // The size the video area shows the picture at (empty: the picture's own size). Any thread;
    // the streaming side reads it for the next frame, so a preset change needs no restart.
    virtual void setPreviewSize(QSize) {}
    // Set before start(). `onFrame` runs on a streaming thread and must only hand the frame over.
    virtual void setCallbacks(std::function<void(VideoFrame &&)> onFrame,
                              std::function<void(const PipelineEvent &)> onEvent) = 0;
    // Set before start(): called on the streaming thread with every picture made for the video
    // area, its result attached to the frame (VideoFrame::analysis). Null: none.
    virtual void setFrameAnalyzer(std::shared_ptr<FrameAnalyzer>) {}

    // Recording: an AVI branch on the running preview, which keeps running. Blocks at most a
    // few seconds (file opened, first frames written or refused).
    virtual RecordingStart startRecording(const RecordingRequest &) { return RecordingStart::NotRunning; }
    // Ends the file properly (end of stream, bounded wait) and removes the branch. Also done by
    // stop(), so a pipeline never goes away with a half-written AVI.
    virtual RecordingEnd stopRecording() { return RecordingEnd::Unknown; }
    virtual bool isRecording() const { return false; }
    // The counts of the running recording, or of the last one once it has stopped.
    virtual RecordingCounts recordingCounts() const { return {}; }
};

// The snapshot button of one camera; the callback runs on the UI thread.
class StillButton
{
public:
    virtual ~StillButton() = default;
};

// Everything camera logic needs from the media stack, for real devices and the virtual camera.
class MediaBackend
{
public:
    virtual ~MediaBackend() = default;
    virtual DeviceMonitor &deviceMonitor() = 0;
    virtual std::unique_ptr<MediaPipeline> createPipeline() = 0;
    virtual std::vector<PixelFormatInfo> formats(const DeviceRecord &device) = 0;
    // Null when the device has no controls we can reach.
    virtual std::unique_ptr<ControlDevice> openControls(const DeviceRecord &device) = 0;
    // Null when the camera has no snapshot button we can read.
    virtual std::unique_ptr<StillButton> watchStillButton(const DeviceRecord &device,
                                                          std::function<void()> pressed) = 0;
    // The installed compressors in their enumeration order (rank, then name).
    virtual std::vector<CompressorInfo> compressors() { return {}; }
    // The writable settings of one compressor; empty when it has none (or is unknown).
    virtual std::vector<EncoderProperty> compressorProperties(const QString &) { return {}; }
};

} // namespace platform
