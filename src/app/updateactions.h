#pragma once

#include "feature/actioninputs.h"
#include "feature/actionstate.h"

namespace app {

// The rules speak in the features' types (feature/): the facts the features read and the states
// the shell applies.
using feature::ActionInputs;
using feature::ActionState;
using feature::ControlStates;
using feature::EditorFacts;
using feature::ViewerItems;

// The idle-time rules, one function per feature that owns the controls named; each is pure and
// remembers nothing between calls, and writes nothing but the ActionState.
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
void viewerRules(const ActionInputs &in, ActionState &s);        // image viewer window: its menu
void resultsRules(const ActionInputs &in, ActionState &s);       // results table: the export item
void focusAidRules(const ActionInputs &in, ActionState &s);      // focus aids and line profile: their bar

// Controls whose behaviour is not built yet stay disabled (a main button stays hidden over its
// grey picture), so nothing visible and enabled does nothing. Applied after every other rule.
void notYetBuiltRules(const ActionInputs &in, ActionState &s);

// The idle-time update: every rule, in the one order there is. The shell applies the result at
// every idle moment (Shell::UpdateActions) and the tests call this very function.
ActionState computeActions(const ActionInputs &in);

} // namespace app
