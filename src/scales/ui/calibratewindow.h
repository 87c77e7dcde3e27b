#pragma once

#include "scales/calibration.h"
#include "scales/rulerscale.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace platform {
class DiagnosticsLog;
class MediaBackend;
} // namespace platform

namespace camera {
class TVideoCameraDS;
namespace ui {
class VideoWidget;
}
} // namespace camera

namespace measure {
class MeasuringSurface;
}

namespace scales::ui {

class RadioGroup;

// The calibration window (`TCalibrateWindow`): a camera view of its own, 640 x 480, on which the
// user draws a line across a known distance of the live picture and types that distance; the
// scale of the whole view follows at every move. The main window's camera must be disconnected
// before it opens: both would open the same device. Nothing is stored here; the caller takes
// scale() when the window has closed. UI thread only.
class TCalibrateWindow : public QDialog
{
    Q_OBJECT
public:
    struct Deps {
        platform::MediaBackend &backend;
        platform::DiagnosticsLog &log;
        std::function<QString(const QString &key)> text;
        // Searches with the main camera's device table and picks its device; none: a plain search.
        std::function<void(camera::TVideoCameraDS &)> prepareCamera;
        int flipMode = 3;
        // An error message box by language keys (text, caption).
        std::function<void(const QString &textKey, const QString &captionKey)> error;
    };
    static constexpr int kViewWidth = 640;
    static constexpr int kViewHeight = 480;

    // `scale` gives the unit, the scale bar's look and the name shown in the caption.
    TCalibrateWindow(Deps deps, const RulerScaleControl &scale, QWidget *parent = nullptr);
    ~TCalibrateWindow() override;

    // The scale computed, with the picture size it was measured at (calibratedSize).
    const RulerScaleControl &scale() const { return scale_; }
    bool calibrated() const { return calibrated_; }
    bool connected() const;
    bool frozen() const { return frozen_; }
    double pixelLength() const { return pixelLength_; }
    bool scaleBarHidden() const { return scaleBarHidden_; }

    // The operations behind the controls, by the design's names.
    void CSpinEdit_RealLengthChange(int value);
    void RG_FixedAxisClick(int axis);
    void CB_DisplayRulerClick(bool checked);
    void ReDrawLineAtCalibrate();

    camera::ui::VideoWidget *video() const { return video_; }
    measure::MeasuringSurface &surface() const { return *surface_; }
    QSpinBox *CSpinEdit_RealLength() const { return realLength_; }
    QLabel *ST_Length() const { return lengthText_; }
    QLabel *ST_Distance() const { return distanceText_; }
    QPushButton *Btn_QuitDlg() const { return quit_; }
    RadioGroup *RG_FixedAxis() const { return axis_; }
    QCheckBox *CB_DisplayRuler() const { return displayRuler_; }

Q_SIGNALS:
    // The window's camera is running and the calibration state entered.
    void calibrationStarted();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void applyTexts();
    void FormActivate();
    void FormClose();
    bool connectCamera();
    void onCalibrationChanged();
    void recompute();
    void toggleFrozen();
    void refreshFlags();
    void showLayer();

    Deps deps_;
    RulerScaleControl scale_;
    Calibration calibration_;
    camera::TVideoCameraDS *camera_ = nullptr;
    camera::ui::VideoWidget *video_ = nullptr;
    QLabel *cover_ = nullptr;
    measure::MeasuringSurface *surface_ = nullptr;
    QLabel *lengthLabel_ = nullptr;
    QSpinBox *realLength_ = nullptr;
    QLabel *lengthText_ = nullptr;
    QLabel *distanceLabel_ = nullptr;
    QLabel *distanceText_ = nullptr;
    QCheckBox *displayRuler_ = nullptr;
    QPushButton *quit_ = nullptr;
    RadioGroup *axis_ = nullptr;
    bool active_ = false;
    bool calibrated_ = false;
    bool frozen_ = false;
    bool scaleBarHidden_ = true;
    double pixelLength_ = 0;
};

} // namespace scales::ui
