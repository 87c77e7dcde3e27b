#include "playerfeature.h"

#include "controls.h"
#include "mainwindow.h"
#include "shell.h"

#include "app/updateactions.h"
#include "camera/playback/ui/mediaplayercontroller.h"

#include <QPushButton>
#include <QToolBar>

namespace app::ui {

using state::ControlId;

PlayerFeature::PlayerFeature(Shell &shell, camera::playback::ui::MediaPlayerController &player, QObject *parent)
    : QObject(parent), shell_(shell), player_(player)
{
    Controls &c = shell_.controls();
    player_.attach([&c](ControlId id) { return c.object(id); });
    connect(c.mainButton(ControlId::PlayVideo_Btn), &QPushButton::clicked, &player_,
            &camera::playback::ui::MediaPlayerController::PlayVideo_BtnClick);
    connect(&player_, &camera::playback::ui::MediaPlayerController::playingChanged, this, [this](bool on) {
        shell_.state().setVideoPlaying(on);
        shell_.setMainButton(ControlId::PlayVideo_Btn, on ? QStringLiteral("stopplay.bmp") : QStringLiteral("playvideo.bmp"),
                             on ? QStringLiteral("StopPlayVideo_Btn") : QStringLiteral("PlayVideo_Btn"));
    });
    connect(&player_, &camera::playback::ui::MediaPlayerController::coverRequested, &shell_.window(),
            [this](bool shown) { shell_.window().showCover(shown); });
}

void PlayerFeature::readInputs(ActionInputs &in) const
{
    const QToolBar *bar = shell_.controls().toolBar(ControlId::MideaPlay_ToolBar);
    in.playerBarShown = bar && !bar->isHidden();
    in.playerAtEnd = player_.player().GetPlayerEndState();
}

void PlayerFeature::applyRules(const ActionInputs &in, ActionState &s) const { playerRules(in, s); }

void PlayerFeature::closing() { player_.ClosePlayer(); }

} // namespace app::ui
