#pragma once

#include "state/globalvar.h"

#include <QHash>
#include <QString>

#include <array>

namespace app {

// Everything the idle-time update looks at besides the shared flags.
struct ActionInputs {
    state::AppFlags flags;
    bool stillEmpty = true;
    bool unsavedEdits = false;           // editor change counter above 1, or a filter applied
    bool canSnapShot = false;
    bool frameLockedOrLoaded = false;    // the drawing tool bar's lock-frame / load-image modes
    bool playerBarShown = false;
    bool playerAtEnd = false;
    bool compareImageAssigned = false;
    bool shapeInProgress = false;
    bool overlapDown = false;
    bool undoAvailable = false;
    bool redoAvailable = false;
    bool brightnessDown = false, contrastDown = false, exposureDown = false;
    std::array<bool, 4> crossShapeDown{};   // cross, area, rectangle, circle
    int pressedMode = state::kLiveCompare;          // the mode button that is down
    bool timedCaptureRunning = false;
    bool vid2ImgRunning = false;
    bool toolStatusOpen = false;
};

// What every control should be, by component name. Controls not named keep their state.
struct ActionState {
    QHash<QString, bool> visible;
    QHash<QString, bool> enabled;
    QHash<QString, bool> checked;
};

// The idle-time update as a pure function: nothing is remembered between calls.
ActionState computeActions(const ActionInputs &in);

} // namespace app
