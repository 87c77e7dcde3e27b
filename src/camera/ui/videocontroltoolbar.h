#pragma once

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QSlider;
class QToolButton;

namespace camera {
class TVideoCameraDS;
}

namespace camera::ui {

// The picture-control toolbar: four orientation buttons (one group), brightness, contrast and
// exposure check buttons each with a track bar, and a white-balance button without action.
// Buttons carry the object names the language files use (VideoCtrlTB_...); their captions and
// hints are set by the main window.
class VideoControlToolBar : public QWidget
{
    Q_OBJECT
public:
    explicit VideoControlToolBar(camera::TVideoCameraDS &camera, QWidget *parent = nullptr);

    // After a successful connect: query the three ranges, put the bars at the defaults, enable
    // only the buttons whose control the camera has. Returns how many are supported.
    int initialiseAfterConnect();
    // After a disconnect: everything disabled.
    void disableControls();

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

private:
    camera::TVideoCameraDS &camera_;
    QButtonGroup *orientation_ = nullptr;
    QToolButton *brightness_ = nullptr, *contrast_ = nullptr, *exposure_ = nullptr, *whiteBalance_ = nullptr;
    QSlider *brightnessBar_ = nullptr, *contrastBar_ = nullptr, *exposureBar_ = nullptr;
    int lastFlipMode_ = 3;
};

} // namespace camera::ui
