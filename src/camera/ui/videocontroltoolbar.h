#pragma once

#include <QObject>

#include <array>

class QAbstractButton;
class QButtonGroup;
class QSlider;
class QToolButton;

namespace camera {
class TVideoCameraDS;
}

namespace camera::ui {

// The picture-control tool bar's behaviour: four orientation buttons (one group), brightness,
// contrast and exposure check buttons each with a track bar, and a white-balance button without
// action. The main window builds the controls; this class drives them.
class VideoControlToolBar : public QObject
{
    Q_OBJECT
public:
    struct Controls {
        // Orientation buttons by the flip mode they set: 0 left self, 1 left others, 2 right
        // self, 3 right others (as delivered).
        std::array<QToolButton *, 4> orientation{};
        QToolButton *brightness = nullptr, *contrast = nullptr, *exposure = nullptr, *whiteBalance = nullptr;
        QSlider *brightnessBar = nullptr, *contrastBar = nullptr, *exposureBar = nullptr;
    };
    VideoControlToolBar(camera::TVideoCameraDS &camera, const Controls &controls, QObject *parent = nullptr);

    // After a successful connect: query the three ranges, put the bars at the defaults, enable
    // only the buttons whose control the camera has. Returns how many are supported.
    int initialiseAfterConnect();
    // After a disconnect: everything disabled.
    void disableControls();
    // After the camera's controls were set from outside the bar (a restore): the bars show the
    // camera's values, and a button is down where its control is away from the default (brightness,
    // contrast) or manual (exposure), as if the user had set it so. Nothing is written.
    void showCameraValues();
    // The orientation button of `flipMode` pressed, as a flip set from outside the bar (a
    // restore, or the player's buttons, which share the camera's flip mode); nothing is set again.
    void showFlipMode(int flipMode);

    // The flip mode chosen last through the orientation buttons.
    int lastFlipMode() const { return lastFlipMode_; }

    QToolButton *brightnessButton() const { return brightness_; }
    QToolButton *contrastButton() const { return contrast_; }
    QToolButton *exposureButton() const { return exposure_; }
    QSlider *brightnessBar() const { return brightnessBar_; }
    QSlider *contrastBar() const { return contrastBar_; }
    QSlider *exposureBar() const { return exposureBar_; }
    QAbstractButton *orientationButton(int flipMode) const;

Q_SIGNALS:
    void flipModeChosen(int mode);
    // initialiseAfterConnect() has put the controls to their defaults.
    void controlsInitialised();

private:
    camera::TVideoCameraDS &camera_;
    QButtonGroup *orientation_ = nullptr;
    QToolButton *brightness_ = nullptr, *contrast_ = nullptr, *exposure_ = nullptr, *whiteBalance_ = nullptr;
    QSlider *brightnessBar_ = nullptr, *contrastBar_ = nullptr, *exposureBar_ = nullptr;
    int lastFlipMode_ = 3;
};

} // namespace camera::ui
