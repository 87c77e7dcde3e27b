#include "reticlecontroller.h"

#include "overlayport.h"

#include "camera/videocamerads.h"
#include "feature/ui/controls.h"
#include "feature/ui/userdialogs.h"
#include "measure/shapes.h"
#include "platform/overlaybitmap.h"
#include "state/appstate.h"
#include "state/usersettings.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QSignalBlocker>

#include <algorithm>

namespace imaging::ui {

using feature::ui::Controls;
using state::ControlId;

namespace {

constexpr ControlId kFigureButtons[imaging::kReticleFigures] = {ControlId::CrossTB_Cross, ControlId::CrossTB_Area,
                                                                ControlId::CrossTB_Rect, ControlId::CrossTB_Circle};
constexpr ControlId kFigureSliders[imaging::kReticleFigures] = {ControlId::CrossTB_CrossSB, ControlId::CrossTB_AreaSB,
                                                                ControlId::CrossTB_RectSB, ControlId::CrossTB_CircleSB};

} // namespace

ReticleController::ReticleController(feature::ui::FeatureContext context, OverlayPort &port, camera::TVideoCameraDS &camera,
                                     platform::OverlayBitmap &overlay, QObject *parent)
    : QObject(parent), ctx_(context), port_(port), camera_(camera), reticle_(overlay)
{
    Controls &c = ctx_.controls;
    for (int f = 0; f < imaging::kReticleFigures; ++f) {
        QAbstractSlider *slider = c.slider(kFigureSliders[f]);
        slider->setRange(0, 0);
        slider->setSingleStep(2);
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
    const state::AppFlags &f = ctx_.state.flags();
    return f.VideoConnected && camera_.isConnected() && f.LiveMode == state::kLiveCross;
}

void ReticleController::CrossTB_Command()
{
    if (!shown())
        return;
    reticle_.CrossTB_Command(camera_.videoSize());
    port_.claimOverlay();
}

void ReticleController::CrossTB_FigureClick(int figure)
{
    const std::size_t f = std::size_t(figure);
    reticle_.down[f] = ctx_.controls.isDown(kFigureButtons[figure]);
    QAbstractSlider *slider = ctx_.controls.slider(kFigureSliders[figure]);
    if (reticle_.down[f])
        reticle_.sizes[f] = imaging::reticleStartSize(reticle_.sizes[f], slider->maximum());
    {
        // The slider follows the size; one redraw below.
        const QSignalBlocker quiet(slider);
        slider->setValue(reticle_.sizes[f]);
    }
    CrossTB_Command();
}

void ReticleController::CrossTB_SliderChange(int figure, int position)
{
    reticle_.sizes[std::size_t(figure)] = position;
    CrossTB_Command();
}

void ReticleController::CrossTB_LineColorClick()
{
    // The stored near-white is offered as the white the user chose.
    const QColor colour = feature::ui::askColour(ctx_.dialogs, &ctx_.window,
                                                 QColor::fromRgb(platform::toQRgb(measure::dialogColour(reticle_.lineColour()))));
    if (!colour.isValid())
        return;
    reticle_.setLineColour(platform::fromQRgb(colour.rgb()));
    CrossTB_Command();
}

void ReticleController::CrossTB_ClearClick()
{
    reticle_.VMRBitmap_Clear(camera_.videoSize());
    for (int f = 0; f < imaging::kReticleFigures; ++f) {
        ctx_.controls.button(kFigureButtons[f])->setChecked(false);
        reticle_.down[std::size_t(f)] = false;
    }
}

void ReticleController::videoSizeChanged()
{
    const std::array<int, imaging::kReticleFigures> maxima = imaging::reticleMaxima(camera_.videoSize());
    for (int f = 0; f < imaging::kReticleFigures; ++f) {
        // A smaller maximum pulls the slider (and the size) in; one redraw follows for all four.
        QAbstractSlider *slider = ctx_.controls.slider(kFigureSliders[f]);
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

} // namespace imaging::ui
