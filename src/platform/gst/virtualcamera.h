#pragma once

#include "platform/gst/specimen.h"
#include "platform/mediapipeline.h"
#include "platform/uniquefd.h"

#include <QObject>

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <vector>

typedef struct _GstElement GstElement;
class QSocketNotifier;

namespace platform {

class DiagnosticsLog;
class SpecimenPainter;

// What the virtual camera offers; SENDRA_CAM_VIRTUAL_CAMERA holds "1" or a comma list of words:
// "two" (a second camera), "decoy" (a camera with another product id), "upper" (an upper-case
// device path), "nostill" (no snapshot button), "nocontrast" (no contrast control), "failopen"
// (the source cannot be opened), "preencoded" (MJPEG frames are one JPEG encoded at opening and
// sent again at the frame rate, so that measuring the receiving side does not count the encoding),
// "tilted" (the specimen is tilted in depth: SpecimenRelief::Tilted, for focus stacking).
struct VirtualCameraOptions {
    int cameras = 1;
    bool decoy = false;
    bool upperCasePath = false;
    bool stillButton = true;
    bool contrast = true;
    bool failOpen = false;
    bool preEncoded = false;
    SpecimenRelief relief = SpecimenRelief::Flat;

    static std::optional<VirtualCameraOptions> parse(const QString &text);   // nullopt: disabled
    static std::optional<VirtualCameraOptions> fromEnvironment();
};

// The built-in camera that stands in for USB hardware: it is listed like a supported USB camera,
// and opening it gives a real GStreamer source (a live, frozen specimen picture through
// videobalance, JPEG-encoded for MJPG so the real decoder runs). Plugging, unplugging and the
// snapshot button are operations here, reachable from outside the process through a FIFO
// (SENDRA_CAM_VIRTUAL_CONTROL: lines "still", "unplug", "plug", "focus N"). Its controls are
// brightness, contrast and exposure through videobalance, and "Focus (absolute)" (0..100), which
// draws the specimen again with each part blurred by the distance between the focus and its
// height (drawSpecimenAtFocus: 50 everywhere when flat, 30 to 70 across a tilted one), so that a
// live focus stack and the focus aids see every turn of it; the drawing runs on a worker thread
// of the rig, and a source sends the new picture once it is drawn. UI thread only.
class VirtualCameraRig final : public QObject
{
    Q_OBJECT
public:
    VirtualCameraRig(VirtualCameraOptions options, DiagnosticsLog &log, QObject *parent = nullptr);
    ~VirtualCameraRig() override;

    static bool isVirtual(const DeviceRecord &device);

    // The listed cameras; none while unplugged.
    std::vector<DeviceRecord> devices() const;
    std::vector<PixelFormatInfo> formats(const DeviceRecord &device) const;
    std::unique_ptr<ControlDevice> openControls(const DeviceRecord &device);
    std::unique_ptr<StillButton> watchStillButton(const DeviceRecord &device, std::function<void()> pressed);
    // A new source bin (floating reference) with a "src" ghost pad, or null when the camera
    // cannot be opened; `why` says what went wrong.
    GstElement *createSource(const DeviceRecord &device, const CaptureFormat &format, QString &why);

    void pressStill();
    // Turns every camera's focus control to `focus` (clamped to 0..100), as the control does.
    void setFocus(int focus);
    // True when every running source sends a picture drawn at its camera's current focus: after
    // a turn of the focus, the new picture is being drawn until then.
    bool focusSettled() const;
    // Ends every running stream of the cameras with a resource error, as a pulled cable does.
    void unplug();
    void plug();
    bool plugged() const { return plugged_; }
    // Frames the pre-encoded sources have sent since the rig was made (any thread).
    std::uint64_t preEncodedFramesSent() const;

    // Reads control lines from a FIFO (created when missing). False when it cannot be opened.
    bool listenOnFifo(const QString &path);

    static constexpr int kFramesPerSecond = 30;

Q_SIGNALS:
    // The device list changed (plug/unplug): the "nodes changed" path runs.
    void devicesChanged();
    // Every running source sends the picture of the current focus again (focusSettled()).
    void focusSettledChanged();

private:
    friend class VirtualControlDevice;
    friend class VirtualStillButton;
    struct Camera;
    struct Feed;
    int cameraIndex(const DeviceRecord &device) const;
    void applyControls(int camera);
    // UI thread, from the painter: `source` sends the picture drawn at `focus` now.
    void focusDrawn(GstElement *source, int focus);
    GstElement *createPreEncodedSource(int camera, int width, int height, int fps, QString &why);
    void readFifo();

    VirtualCameraOptions options_;
    DiagnosticsLog &log_;
    bool plugged_ = true;
    std::atomic<std::uint64_t> preEncodedSent_{0};
    std::vector<std::unique_ptr<Camera>> cameras_;
    std::vector<std::pair<int, std::function<void()> *>> stillWatchers_;
    UniqueFd fifo_;
    UniqueFd fifoKeepOpen_;   // our own writer, so the FIFO never reports end of file
    QSocketNotifier *fifoNotifier_ = nullptr;
    QByteArray fifoPending_;
    std::unique_ptr<SpecimenPainter> painter_;   // started at the first turn of the focus
};

} // namespace platform
