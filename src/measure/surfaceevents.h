#pragma once

#include <QPoint>

namespace measure {

enum class PointerButton { Left, Right, Middle };

// One mouse event over the measurement window, in window pixels.
struct PointerInput {
    PointerButton button = PointerButton::Left;
    QPoint pos;
    bool shift = false;
    bool ctrl = false;
    // Inverts edge snapping for this press or release: Alt, or the Super (Windows) key, which
    // reaches the program under window managers that take Alt-clicks for moving windows.
    bool invertSnap = false;
};

enum class CursorKind { Unknown, Normal, Cross, SizeAll };

// State of the rest of the program that the click protocol reads.
struct SurfaceFlags {
    bool live = true;               // live video plays; false while frozen or a picture is loaded
    bool rendererAvailable = true;  // the overlay hand-off is possible
    bool calibrating = false;       // the calibration window runs
    int calibrationAxis = 0;        // 0 free, 1 keep y, 2 keep x
    bool drawMode = false;          // the draw mode button is down
};

// What an event asks of the widgets around the surface; the main window acts on it.
struct SurfaceOutcome {
    bool layerChanged = false;         // the drawing layer was repainted: show it (overlay while live)
    bool toggleFullScreen = false;     // switch between "Full Screen (4:3)" and "Normal"
    bool toggleFrozen = false;         // right press while calibrating
    bool calibrationChanged = false;   // calibration pixel length changed: refresh the window
};

} // namespace measure
