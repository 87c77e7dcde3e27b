#pragma once

#include "state/controltable.h"
#include "state/globalvar.h"

#include <array>
#include <cstdint>

namespace app {

// The still-image editor's facts for its tool bars.
struct EditorFacts {
    bool selectDown = false;        // ImgBar_SelectRang down
    bool textDown = false;          // ImgBar_Text down
    bool selection = false;         // a selection with width and height
    bool controlLargerThanPanel = false;
    bool originalSize = false;      // the picture is shown at its own pixel size
    bool clipboardBitmap = false;
    bool canUndo = false, canRedo = false;
    // Whether zoom in, zoom out, fit and own size would change the view.
    bool zoomInChanges = false, zoomOutChanges = false, fitChanges = false, originalChanges = false;
};

// Everything the idle-time update looks at besides the shared flags. Each feature fills in its
// own facts (Feature::readInputs) before the rules run.
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
    int pressedMode = state::kLiveCompare;   // the mode button that is down
    bool timedCaptureRunning = false;
    bool vid2ImgRunning = false;
    bool img2VidRunning = false;
    bool toolStatusOpen = false;
    EditorFacts editor;
};

// One yes/no per control, or "not named": controls a rule does not name keep their state.
class ControlStates
{
public:
    void set(state::ControlId id, bool on) { v_[std::size_t(id)] = on ? 1 : 0; }
    bool named(state::ControlId id) const { return v_[std::size_t(id)] >= 0; }
    bool value(state::ControlId id, bool otherwise = false) const
    {
        const std::int8_t v = v_[std::size_t(id)];
        return v < 0 ? otherwise : v == 1;
    }

private:
    std::array<std::int8_t, state::kControlCount> v_ = filled();
    static constexpr std::array<std::int8_t, state::kControlCount> filled()
    {
        std::array<std::int8_t, state::kControlCount> a{};
        a.fill(-1);
        return a;
    }
};

// What every control should be.
struct ActionState {
    ControlStates visible;
    ControlStates enabled;
    ControlStates checked;
};

// The idle-time rules, one function per feature that owns the controls named; each is pure and
// remembers nothing between calls. The features call their own from Feature::applyRules.
void mainButtonRules(const ActionInputs &in, ActionState &s);    // shell: the main row
void stillImageRules(const ActionInputs &in, ActionState &s);    // still image: its buttons and items
void editorRules(const ActionInputs &in, ActionState &s);        // still-image editor: its two tool bars
void cameraRules(const ActionInputs &in, ActionState &s);        // camera: menu items, picture controls
void playerRules(const ActionInputs &in, ActionState &s);        // player: the media tool bar
void liveModeRules(const ActionInputs &in, ActionState &s);      // live modes: the bars below the video
void overlayRules(const ActionInputs &in, ActionState &s);       // comparison and reticle bars
void measureRules(const ActionInputs &in, ActionState &s);       // drawing tool bar
void toolRules(const ActionInputs &in, ActionState &s);          // Tools menu
void layoutRules(const ActionInputs &in, ActionState &s);        // single-window presets

// Controls whose behaviour is not built yet stay disabled (a main button stays hidden over its
// grey picture), so nothing visible and enabled does nothing. Applied after every other rule.
void notYetBuiltRules(const ActionInputs &in, ActionState &s);

// All rules at once, in the order the program applies them.
ActionState computeActions(const ActionInputs &in);

} // namespace app
