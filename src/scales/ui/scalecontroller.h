#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "scales/rulerscale.h"

#include <QObject>

#include <memory>

namespace camera {
class TVideoCameraDS;
}

namespace platform {
class MediaBackend;
}

namespace scales {
class ScaleLibrary;
struct StoreWriteFailure;
} // namespace scales

namespace scales::ui {

class TCalibrateWindow;
class TSetRulerDlg;

// The scale names remembered for the scale to select; empty: none.
struct RememberedScale {
    QString forCamera;    // chosen last with the camera being opened (none before a camera opens)
    QString chosenLast;   // chosen last with any camera, or before any was opened
};

// What the scales need from their peers; the composition root answers. UI thread.
class ScalePort
{
public:
    // The monitor's physical width in cm as detected from the monitor description; 0 for none.
    virtual float detectedMonitorWidthCm() const = 0;
    // The calibration window opens the camera itself: the main camera disconnects before it and
    // connects again after it.
    virtual void disconnectCamera() = 0;
    virtual void connectCamera() = 0;
    // The one place that answers "which scale now?" for a start or a camera being opened. The
    // camera's own wins, then the one chosen last; a name the list does not hold is passed over.
    virtual RememberedScale rememberedScale() = 0;
    // The scale chosen now: remembered for the next start and for the camera in use.
    virtual void rememberScale(const QString &name) = 0;
    // The camera in use or opened last, by its CameraIdentity key; empty before the first.
    virtual QString currentCameraKey() const = 0;

protected:
    ~ScalePort() = default;
};

// The current ruler scale: the scale library (the store, read at start, and the selected scale),
// the scale settings dialog that edits it, opened from the draw tool bar's scale button; the
// calibration window it starts; the reload after model recognition. Every change of the current
// scale is published through scaleChanged, and every failed write of the store reaches the user
// as ScaleStoreNotWritten_MsgBox naming the file and the reason.
//
// Which scale: at start the one the port remembers (else the first); when a camera opens, the
// one remembered for it, or else the one chosen last. A scale calibrated with another camera is
// not taken silently: the first scale stands until the user accepts it (ScaleOfOtherCamera_MsgBox).
// Every choice is handed back to the port to be remembered.
//
// The scale published is the selected one at the picture size the camera streams now
// (scaleAtPictureSize): a scale calibrated at 1600x1200 keeps measuring right at 800x600, and its
// name says so. UI thread only.
class ScaleController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // The calibration window takes its device table, device and flip mode from `camera`.
    ScaleController(feature::ui::FeatureContext context, ScalePort &port, camera::TVideoCameraDS &camera,
                    platform::MediaBackend &backend, QObject *parent = nullptr);
    ~ScaleController() override;

    const scales::RulerScaleControl &current() const { return current_; }
    scales::ScaleLibrary &library() { return *library_; }
    scales::ui::TSetRulerDlg &dialog() { return *dialog_; }
    // The calibration window while it is open, else null.
    scales::ui::TCalibrateWindow *calibrationWindow() const { return calibration_; }

    void DrawRulerTB_SetScaleClick();
    bool calibrationRunning() const { return calibrating_; }
    void closeCalibrationWindow();
    // Model recognition found a camera whose scales are in the store: read it again.
    void reloadRulerScales();
    // Tells everyone the current scale (at start, once the receivers are connected).
    void publish();
    // A picture names the scale it was measured with: a scale of that name becomes current;
    // an unknown one is offered as a new scale (AddScaleFromPicture_MsgBox) and, accepted,
    // added to the store and made current.
    void adoptScale(const scales::RulerScaleControl &scale);

    void languageChanged() override;
    void closing() override { closeCalibrationWindow(); }

Q_SIGNALS:
    void scaleChanged(const scales::RulerScaleControl &scale);

private:
    bool runCalibration(scales::RulerScaleControl &scale);
    void warn(const QString &textKey, const QString &captionKey, int icon);
    void reportWriteFailure(const scales::StoreWriteFailure &failure);
    // The camera being opened takes its scale; one of another camera is offered once connected.
    void onCameraOpening();
    void offerOtherCamerasScale();
    // current_ from the selected scale and the picture size; remembered and published when
    // anything changed (or always with `force`).
    void updateCurrent(bool remember, bool force = false);
    QString usedAtSizeFormat() const;

    feature::ui::FeatureContext ctx_;
    ScalePort &port_;
    camera::TVideoCameraDS &camera_;
    platform::MediaBackend &backend_;
    std::unique_ptr<scales::ScaleLibrary> library_;
    // Owned by the main window, like every dialog of the program.
    scales::ui::TSetRulerDlg *dialog_ = nullptr;
    scales::ui::TCalibrateWindow *calibration_ = nullptr;
    scales::RulerScaleControl current_;
    bool calibrating_ = false;
    // The scale of another camera that waits for the user's word once the camera runs.
    QString offered_;
};

} // namespace scales::ui
