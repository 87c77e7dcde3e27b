#include "livemodecontroller.h"

#include "feature/ui/controls.h"
#include "shell.h"

#include "app/updateactions.h"

#include <QAbstractButton>

namespace app::ui {

using state::ControlId;

namespace {

constexpr ControlId kModeButtons[] = {ControlId::ChangeModeTB_Compare, ControlId::ChangeModeTB_Cross,
                                      ControlId::ChangeModeTB_VideoCtrl, ControlId::ChangeModeTB_Draw};

} // namespace

LiveModeController::LiveModeController(Shell &shell, QObject *parent) : QObject(parent), shell_(shell)
{
    for (int mode = state::kLiveCompare; mode <= state::kLiveDraw; ++mode)
        connect(shell_.controls().button(kModeButtons[mode]), &QAbstractButton::clicked, this,
                [this, mode] { ChangeModeTB_Click(mode); });
}

void LiveModeController::ChangeModeTB_Click(int mode)
{
    state::AppState &st = shell_.state();
    const int oldMode = st.flags().LiveMode;
    if (mode == state::kLiveCompare || mode == state::kLiveCross)
        st.setOverlayMode(true);
    else if (mode == state::kLiveDraw)
        st.setOverlayMode(false);
    st.setLiveMode(mode);
    shell_.changeLiveMode(oldMode, mode);
}

void LiveModeController::resetModeButtons()
{
    Controls &c = shell_.controls();
    for (ControlId id : {ControlId::DrawRulerTB_Overlap, ControlId::DrawRulerTB_LockFrame, ControlId::DrawRulerTB_LoadImage})
        if (QAbstractButton *b = c.button(id); b->isChecked())
            b->setChecked(false);
    state::AppState &st = shell_.state();
    const int oldMode = st.flags().LiveMode;
    c.button(ControlId::ChangeModeTB_Compare)->setChecked(true);
    st.setLiveMode(state::kLiveCompare);
    st.setOverlayMode(false);
    if (oldMode != state::kLiveCompare)
        shell_.changeLiveMode(oldMode, state::kLiveCompare);
}

void LiveModeController::claimOverlay() { shell_.state().setOverlayMode(true); }

void LiveModeController::readInputs(feature::ActionInputs &in) const
{
    const Controls &c = shell_.controls();
    in.pressedMode = state::kLiveCompare;
    for (int mode = state::kLiveCross; mode <= state::kLiveDraw; ++mode)
        if (c.isDown(kModeButtons[mode]))
            in.pressedMode = mode;
    in.crossShapeDown = {c.isDown(ControlId::CrossTB_Cross), c.isDown(ControlId::CrossTB_Area),
                         c.isDown(ControlId::CrossTB_Rect), c.isDown(ControlId::CrossTB_Circle)};
}

} // namespace app::ui
