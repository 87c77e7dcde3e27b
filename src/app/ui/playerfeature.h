#pragma once

#include "app/ui/feature.h"

#include <QObject>

namespace camera::playback::ui {
class MediaPlayerController;
}

namespace app::ui {

class Shell;

// The media player as a feature of the main window: the play button, the media tool bar's
// idle-time rules, closing the player first in the close sequence. The only writer of
// VideoPlaying. UI thread.
class PlayerFeature final : public QObject, public Feature
{
    Q_OBJECT
public:
    PlayerFeature(Shell &shell, camera::playback::ui::MediaPlayerController &player, QObject *parent = nullptr);

    camera::playback::ui::MediaPlayerController &player() { return player_; }

    void readInputs(ActionInputs &in) const override;
    void applyRules(const ActionInputs &in, ActionState &s) const override;
    void closing() override;

private:
    Shell &shell_;
    camera::playback::ui::MediaPlayerController &player_;
};

} // namespace app::ui
