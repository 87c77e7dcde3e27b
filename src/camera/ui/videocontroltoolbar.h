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

    // The flip mode chosen last through the orientation buttons.
    int lastFlipMode() const { return lastFlipMode_; }
    // The camera's flip mode changed elsewhere (the player's buttons share it): the pressed
    // orientation button follows, without setting it again.
    void showFlipMode(int mode);

    QToolButton *brightnessButton() const { return brightness_; }
    QToolButton *contrastButton() const { return contrast_; }
    QToolButton *exposureButton() const { return exposure_; }
    QSlider *brightnessBar() const { return brightnessBar_; }
    QSlider *contrastBar() const { return contrastBar_; }
    QSlider *exposureBar() const { return exposureBar_; }
    QAbstractButton *orientationButton(int flipMode) const;

Q_SIGNALS:
    void flipModeChosen(int mode);

private:
    camera::TVideoCameraDS &camera_;
    QButtonGroup *orientation_ = nullptr;
    QToolButton *brightness_ = nullptr, *contrast_ = nullptr, *exposure_ = nullptr, *whiteBalance_ = nullptr;
    QSlider *brightnessBar_ = nullptr, *contrastBar_ = nullptr, *exposureBar_ = nullptr;
    int lastFlipMode_ = 3;
};

} // namespace camera::ui
