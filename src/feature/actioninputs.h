#pragma once

#include "state/globalvar.h"

#include <array>

namespace feature {

// The still-image editor's facts for its tool bars.
struct EditorFacts {
    bool selectDown = false;        // ImgBar_SelectRang down
    bool textDown = false;          // ImgBar_Text down
    bool textBoxShown = false;      // the text tool's box is on the picture
    bool selection = false;         // a selection with width and height
    bool controlLargerThanPanel = false;
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
    bool filterBarShown = false;            // the filter tool bar, in the main window or the viewer
    bool focusMeterOn = false;              // the sharpness meter is switched on
    bool frameFrozen = false;               // the video area shows a locked or loaded frame
    bool profileToolOn = false;             // the line profile tool is switched on
    EditorFacts editor;
};

} // namespace feature
