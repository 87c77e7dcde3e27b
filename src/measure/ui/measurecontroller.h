#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "platform/picturemetadata.h"
#include "state/globalvar.h"

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class QMenu;

namespace camera {
class TVideoCameraDS;
namespace ui {
class VideoWidget;
}
} // namespace camera

namespace measure {
class FrameLockControl;
class FrameSource;
class MeasuringSurface;
namespace ui {
class TShowMeasureInfoDlg;
}
} // namespace measure

namespace platform {
class Bitmap;
}

namespace scales {
struct RulerScaleControl;
}

namespace measure::ui {

// The part of the video area a Ctrl-drag may move it to: allowed only when the window preset in
// force makes the picture overhang the screen, and only between min and max (top left corner,
// client coordinates).
struct VideoDragRange {
    bool enabled = false;
    QPoint min, max;
};

// What the measuring side needs from its peers; the composition root answers. UI thread.
class MeasurePort
{
public:
    // The thumbnail browser shows its BMP page: the load-image dialog starts there.
    virtual bool bmpPageShown() const = 0;
    // A loaded JPEG named the scale it was measured with: select it or offer it as a new scale.
    virtual void adoptScale(const scales::RulerScaleControl &scale) = 0;
    // A burnt-in picture becomes the still image and is stored with the scale prefix; true when a
    // file was written.
    virtual bool saveBurntIn(const platform::Bitmap &picture, const QString &prefix) = 0;
    // The copy's follow-up: unsaved edits are offered, the copy becomes the still image.
    virtual void showCopiedPicture(const platform::Bitmap &picture) = 0;
    // The window presets: a double click toggles Full Screen (4:3); the drag the preset allows.
    virtual void applyPreset(int preset) = 0;
    virtual VideoDragRange videoDrag() const = 0;

protected:
    ~MeasurePort() = default;
};

// The main window's measuring side: the drawing surface over the live picture, the draw tool
// bar (shape tools, overlap, undo and redo, pen style, colour, clear, locked and loaded frames),
// the Ctrl-drag of an overhanging video area and the double-click toggle of "Full Screen (4:3)".
// UI thread only.
class MeasureController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // The surface draws over `video`, the widget filling `videoArea`.
    MeasureController(feature::ui::FeatureContext context, MeasurePort &port, camera::TVideoCameraDS &camera,
                      camera::ui::VideoWidget &video, QWidget &videoArea, QObject *parent = nullptr);
    ~MeasureController() override;

    measure::MeasuringSurface &surface() { return *surface_; }
    QMenu *drawStyleMenu() const { return drawStyleMenu_; }

    // The draw mode button went down or up.
    void setDrawMode(bool on);
    // Leaving draw for compare or cross clears the drawing; any leave releases a locked or
    // loaded frame, whose buttons would be out of reach otherwise.
    void leaveDrawMode(int newMode);
    // Brings the lock-frame and load-image buttons up and the live picture back.
    void releaseFrozenFrame();

    // The window preset changed the drag the video area allows.
    void onVideoDragChanged();
    // The monitor's width in cm as its description gives it (read once at start by the
    // composition root); 0 for none. The screen pixel pitch follows.
    void setDetectedMonitorWidthCm(float cm)
    {
        detectedMonitorWidthCm_ = cm;
        updateScreen();
    }

    void readInputs(feature::ActionInputs &in) const override;
    void leaveLiveMode(int oldMode, int newMode) override;
    void enterLiveMode(int mode) override { setDrawMode(mode == state::kLiveDraw); }
    void videoAreaChanged() override;

    // The colour button: the colour dialog, opened at the pen's colour; the choice (unless
    // cancelled) becomes the pen's colour.
    void DrawRulerTB_SetColorClick();

    // SaveDrawImage: the current frame (live) or the frozen or loaded picture, with the scale bar
    // and every shape burnt in at the picture's own size. Copy mode puts it on the clipboard;
    // otherwise it is saved (MeasurePort::saveBurntIn) with the scale prefix. A null bitmap when
    // nothing could be grabbed (then nothing is saved or copied), while a save is running, and
    // (saving only) after a save until the measurement layer is next refreshed: one save per
    // click, however fast the clicks come.
    platform::Bitmap SaveDrawImage(bool copy);
    // A save happened and the layer was not refreshed since.
    bool savingBusy() const { return savingBusy_; }
    // The picture under the measurement, without shapes: the live frame, or the locked or loaded
    // one. Null when there is none.
    platform::Bitmap currentPicture() const;
    // The save-with-scale button: burns in, saves, and shows the picture as the still image.
    void Save_ImageFileWithScale();
    // The timed capture's "Save Scale": the scale bar and the shapes burnt into this snapshot
    // (not a frame grabbed later), saved with the scale prefix. True when a file was written.
    bool saveSnapshotWithScale(const platform::Bitmap &snapshot);
    // The copy-with-scale button: burns in, copies, then the copy's follow-up.
    void DrawRulerTB_CopyImageClick();
    // The display options dialog; OK relabels every shape drawn and keeps the choices for the next run.
    void DrawRulerTB_SetShowInfoClick();
    measure::ui::TShowMeasureInfoDlg &showInfoDialog();
    // "h" + H + "v" + V + unit + "_" of the current scale, in the unit's spin steps.
    QString burnInPrefix() const;

    // What a picture of `picture` size saved now carries: the current scale's pixel size and,
    // when the picture is the one measured on, the shapes on it. Empty without a scale.
    platform::PictureMetadata pictureMetadata(QSize picture) const;

private:
    void onConnected(bool connected);
    void refreshFlags();
    void showLayer();
    // The screen resolution and the monitor found at start give the screen pixel pitch.
    void updateScreen();
    void buildDrawToolBar();
    void buildFrameButtons();
    void syncFrameButtons();
    std::optional<QString> askPicture(int filterIndex, const QString &folder);
    // A loaded JPEG's own packet: its scale, and its shapes as measured shapes again.
    void restoreMeasurement(const QString &path);
    // The surface follows the picture shown (camera format, frozen or loaded picture).
    void onVideoSizeChanged(QSize picture);
    // Mouse events reach the surface in draw mode, and for a Ctrl-drag of the video area.
    bool forwardsMouse(Qt::KeyboardModifiers modifiers) const;

    feature::ui::FeatureContext ctx_;
    MeasurePort &port_;
    camera::TVideoCameraDS &camera_;
    camera::ui::VideoWidget &video_;
    QWidget &videoArea_;
    measure::MeasuringSurface *surface_ = nullptr;
    QMenu *drawStyleMenu_ = nullptr;
    bool drawMode_ = false;
    std::unique_ptr<measure::FrameSource> frameSource_;
    std::unique_ptr<measure::FrameLockControl> frameLock_;
    bool syncingFrameButtons_ = false;
    bool saving_ = false;
    bool savingBusy_ = false;
    float detectedMonitorWidthCm_ = 0.0f;
    measure::ui::TShowMeasureInfoDlg *showInfo_ = nullptr;
};

} // namespace measure::ui
