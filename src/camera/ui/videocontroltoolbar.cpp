#include "videocontroltoolbar.h"

#include "camera/videocamerads.h"

#include <QButtonGroup>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <optional>
#include <tuple>

namespace camera::ui {
namespace {

// A QSlider as the picture-control operations see a track bar; moving it from code does not
// count as the user dragging it.
class SliderTrackBar final : public camera::TrackBar
{
public:
    explicit SliderTrackBar(QSlider *s) : s_(s) {}
    void setRange(int minimum, int maximum) override
    {
        const QSignalBlocker block(s_);
        s_->setRange(minimum, maximum);
    }
    void setPosition(int position) override
    {
        const QSignalBlocker block(s_);
        s_->setValue(position);
    }
    int position() const override { return s_->value(); }

private:
    QSlider *s_;
};

} // namespace

VideoControlToolBar::VideoControlToolBar(camera::TVideoCameraDS &camera, const Controls &controls, QObject *parent)
    : QObject(parent), camera_(camera)
{
    orientation_ = new QButtonGroup(this);
    orientation_->setExclusive(true);
    for (int mode = 0; mode < 4; ++mode)
        orientation_->addButton(controls.orientation[std::size_t(mode)], mode);
    orientation_->button(3)->setChecked(true);
    connect(orientation_, &QButtonGroup::idClicked, this, [this](int mode) {
        lastFlipMode_ = mode;
        camera_.SetFlipMode(mode);
        Q_EMIT flipModeChosen(mode);
    });
    brightness_ = controls.brightness;
    contrast_ = controls.contrast;
    exposure_ = controls.exposure;
    whiteBalance_ = controls.whiteBalance;
    brightnessBar_ = controls.brightnessBar;
    contrastBar_ = controls.contrastBar;
    exposureBar_ = controls.exposureBar;
    for (QToolButton *b : {brightness_, contrast_, exposure_})
        b->setCheckable(true);

    auto procAmp = [this](QToolButton *button, QSlider *bar, camera::ProcAmp property) {
        // Pressed lets the bar act; released puts the property back to its default.
        connect(button, &QToolButton::toggled, this, [this, bar, property](bool on) {
            bar->setEnabled(on);
            if (!on) {
                SliderTrackBar tb(bar);
                camera_.pictureControls().VideoProcAmp_tbCom(&tb, property, 0, 0);
            }
        });
        connect(bar, &QSlider::valueChanged, this, [this, bar, property] {
            SliderTrackBar tb(bar);
            camera_.pictureControls().VideoProcAmp_tbCom(&tb, property, 0, 1);
        });
    };
    procAmp(brightness_, brightnessBar_, camera::ProcAmp::Brightness);
    procAmp(contrast_, contrastBar_, camera::ProcAmp::Contrast);
    connect(exposure_, &QToolButton::toggled, this, [this](bool on) {
        exposureBar_->setEnabled(on);
        auto &pc = camera_.pictureControls();
        if (on) {
            pc.CameraControl_Auto(camera::CameraCtl::Exposure, 2);
        } else {
            SliderTrackBar tb(exposureBar_);
            pc.CameraControl_tbCom(&tb, camera::CameraCtl::Exposure, 0, 2);
            pc.CameraControl_Auto(camera::CameraCtl::Exposure, 1);
        }
    });
    connect(exposureBar_, &QSlider::valueChanged, this, [this] {
        SliderTrackBar tb(exposureBar_);
        camera_.pictureControls().CameraControl_tbCom(&tb, camera::CameraCtl::Exposure, 0, 1);
    });
    disableControls();
}

QAbstractButton *VideoControlToolBar::orientationButton(int flipMode) const { return orientation_->button(flipMode); }

int VideoControlToolBar::initialiseAfterConnect()
{
    auto &pc = camera_.pictureControls();
    SliderTrackBar b(brightnessBar_), c(contrastBar_), e(exposureBar_);
    const bool hasBrightness = pc.VideoProcAmp_tbCom(&b, camera::ProcAmp::Brightness, 0, 0);
    const bool hasContrast = pc.VideoProcAmp_tbCom(&c, camera::ProcAmp::Contrast, 0, 0);
    const bool hasExposure = pc.CameraControl_tbCom(&e, camera::CameraCtl::Exposure, 0, 0);
    for (QToolButton *button : {brightness_, contrast_, exposure_}) {
        const QSignalBlocker block(button);
        button->setChecked(false);
    }
    brightness_->setEnabled(hasBrightness);
    contrast_->setEnabled(hasContrast);
    exposure_->setEnabled(hasExposure);
    brightnessBar_->setEnabled(false);
    contrastBar_->setEnabled(false);
    exposureBar_->setEnabled(false);
    Q_EMIT controlsInitialised();
    return int(hasBrightness) + int(hasContrast) + int(hasExposure);
}

void VideoControlToolBar::showCameraValues()
{
    platform::ControlDevice *device = camera_.controlDevice();
    if (!device)
        return;
    // Down with its bar at the camera's value, or up with the bar as it stands.
    auto show = [](QToolButton *button, QSlider *bar, bool down, std::optional<int> value) {
        if (!button->isEnabled())
            return;
        const QSignalBlocker blockButton(button), blockBar(bar);
        button->setChecked(down);
        bar->setEnabled(down);
        if (down && value)
            bar->setValue(*value);
    };
    for (auto [button, bar, property] : {std::tuple{brightness_, brightnessBar_, camera::ProcAmp::Brightness},
                                         std::tuple{contrast_, contrastBar_, camera::ProcAmp::Contrast}}) {
        const std::uint32_t id = camera::PictureControls::mapping(property).valueId;
        const auto info = device->info(id);
        const auto value = device->value(id);
        show(button, bar, info && value && *value != info->defaultValue, value);
    }
    const camera::PictureControls::Mapping exposure = camera::PictureControls::mapping(camera::CameraCtl::Exposure);
    const auto mode = exposure.autoId ? device->value(exposure.autoId) : std::nullopt;
    show(exposure_, exposureBar_, mode && *mode == platform::exposuremode::Manual, device->value(exposure.valueId));
}

void VideoControlToolBar::showFlipMode(int flipMode)
{
    if (QAbstractButton *b = orientation_->button(flipMode)) {
        const QSignalBlocker block(orientation_);
        b->setChecked(true);
        lastFlipMode_ = flipMode;
    }
}

void VideoControlToolBar::disableControls()
{
    for (QWidget *w : std::initializer_list<QWidget *>{brightness_, brightnessBar_, contrast_, contrastBar_, exposure_, exposureBar_})
        w->setEnabled(false);
}

} // namespace camera::ui
