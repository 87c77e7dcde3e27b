#include "reticlecontroller.h"

#include "controls.h"
#include "mainwindow.h"
#include "shell.h"

#include "camera/videocamerads.h"
#include "measure/shapes.h"
#include "platform/overlaybitmap.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QColorDialog>
#include <QSignalBlocker>

#include <algorithm>

namespace app::ui {

using state::ControlId;

namespace {

constexpr ControlId kFigureButtons[imaging::kReticleFigures] = {ControlId::CrossTB_Cross, ControlId::CrossTB_Area,
                                                                ControlId::CrossTB_Rect, ControlId::CrossTB_Circle};
constexpr ControlId kFigureSliders[imaging::kReticleFigures] = {ControlId::CrossTB_CrossSB, ControlId::CrossTB_AreaSB,
                                                                ControlId::CrossTB_RectSB, ControlId::CrossTB_CircleSB};

} // namespace

ReticleController::ReticleController(Shell &shell, camera::TVideoCameraDS &camera, platform::OverlayBitmap &overlay,
                                     QObject *parent)
    : QObject(parent), shell_(shell), camera_(camera), reticle_(overlay)
{
    pickColour = [this](const QColor &initial) { return QColorDialog::getColor(initial, &shell_.window()); };
    Controls &c = shell_.controls();
    for (int f = 0; f < imaging::kReticleFigures; ++f) {
        QAbstractSlider *slider = c.slider(kFigureSliders[f]);
        slider->setRange(0, 0);
        slider->setSingleStep(2);
        slider->setPageStep(2);
        connect(c.button(kFigureButtons[f]), &QAbstractButton::clicked, this, [this, f] { CrossTB_FigureClick(f); });
        connect(slider, &QAbstractSlider::valueChanged, this, [this, f](int position) { CrossTB_SliderChange(f, position); });
    }
    connect(c.button(ControlId::CrossTB_LineColor), &QAbstractButton::clicked, this,
            &ReticleController::CrossTB_LineColorClick);
    connect(c.button(ControlId::CrossTB_Clear), &QAbstractButton::clicked, this, &ReticleController::CrossTB_ClearClick);
    connect(&camera_, &camera::TVideoCameraDS::videoSizeChanged, this, &ReticleController::videoSizeChanged);
}

bool ReticleController::shown() const
{
    const state::AppFlags &f = shell_.state().flags();
    return f.VideoConnected && camera_.isConnected() && f.LiveMode == state::kLiveCross;
}

void ReticleController::CrossTB_Command()
{
    if (!shown())
        return;
    reticle_.CrossTB_Command(camera_.videoSize());
    claimOverlay();
}

void ReticleController::CrossTB_FigureClick(int figure)
{
    reticle_.down[std::size_t(figure)] = shell_.controls().isDown(kFigureButtons[figure]);
    CrossTB_Command();
    shell_.controls().slider(kFigureSliders[figure])->setValue(reticle_.sizes[std::size_t(figure)]);
}

void ReticleController::CrossTB_SliderChange(int figure, int position)
{
    reticle_.sizes[std::size_t(figure)] = position;
    CrossTB_Command();
}

void ReticleController::CrossTB_LineColorClick()
{
    // The stored near-white is offered as the white the user chose.
    const QColor colour = pickColour(QColor::fromRgb(platform::toQRgb(measure::dialogColour(reticle_.lineColour()))));
    if (!colour.isValid())
        return;
    reticle_.setLineColour(platform::fromQRgb(colour.rgb()));
    CrossTB_Command();
}

void ReticleController::CrossTB_ClearClick()
{
    reticle_.VMRBitmap_Clear(camera_.videoSize());
    for (int f = 0; f < imaging::kReticleFigures; ++f) {
        shell_.controls().button(kFigureButtons[f])->setChecked(false);
        reticle_.down[std::size_t(f)] = false;
    }
}

void ReticleController::videoSizeChanged()
{
    const std::array<int, imaging::kReticleFigures> maxima = imaging::reticleMaxima(camera_.videoSize());
    for (int f = 0; f < imaging::kReticleFigures; ++f) {
        // A smaller maximum pulls the slider (and the size) in; one redraw follows for all four.
        QAbstractSlider *slider = shell_.controls().slider(kFigureSliders[f]);
        const QSignalBlocker quiet(slider);
        slider->setMaximum(maxima[std::size_t(f)]);
        reticle_.sizes[std::size_t(f)] = std::min(reticle_.sizes[std::size_t(f)], slider->maximum());
    }
    CrossTB_Command();
}

void ReticleController::enterLiveMode(int mode)
{
    if (mode != state::kLiveCross || !shown())
        return;
    reticle_.VMRBitmap_Clear(camera_.videoSize());
    CrossTB_Command();
}

} // namespace app::ui
