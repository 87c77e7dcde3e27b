#pragma once

#include "state/globalvar.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

namespace app {

// Where everything goes in one window-size preset. Pure arithmetic over the screen, the camera
// resolution and the tool bar sizes; the window applies it.
struct PresetLayout {
    bool maximised = false;
    bool singleWindow = false;
    QSize clientSize;            // below the menu bar
    QRect videoRect;             // in client coordinates
    QPoint coverPanelPos;        // the 400 x 300 cover panel
    bool centreWindow = true;
    bool moveToScreenCorner = false;
    // Dragging the video window with the mouse (By Resolution on a small screen).
    bool dragEnabled = false;
    QPoint dragMin, dragMax;
    // "By Resolution" that fits 640 x 480 applies that preset instead.
    int appliedAs = -1;
};

struct ToolBarSizes {
    QSize changeMode{100, 28};
    // The live-mode bars (and the player's) share one place: the widest of them decides where
    // that place may be, since any of them may show there.
    QSize modes{300, 28};
};

// Main buttons, tool bars and the return button in one of the two layouts.
struct ButtonLayout {
    // The six single-window slots in order: connect, capture, record, play, return, exit;
    // in the both-window layout the ten buttons at 80 x index.
    std::array<QPoint, 10> mainButtons{};
    std::array<bool, 10> mainButtonShown{};
    QPoint returnButton;
    bool returnShown = false;
    QPoint modeToolBars;
    QPoint changeModeToolBar;
    bool toolBarsOnTop = false;   // re-parented above the cover layer
    // Where the fixed places would have put a bar over the picture or over another bar, that bar
    // went to the next free row instead: these say which did, and how many pixels of rows the
    // client area gained below the picture for them.
    bool modeToolBarsMoved = false;
    bool changeModeToolBarMoved = false;
    int rowsBelowVideo = 0;
};

constexpr QSize kNormalClient{800, 556};
constexpr QSize kCoverPanel{400, 300};

// The video area size a fixed preset needs; enabled only on a screen at least that large.
QSize presetVideoSize(int preset);
bool presetFitsScreen(int preset, QSize screen);

// The layout of `preset` on a screen of `screen` pixels (its work area for the maximised ones)
// with the camera delivering `camera`.
PresetLayout layoutForPreset(int preset, QSize screen, QSize camera);

ButtonLayout bothWindowButtons();
// The single-window row for a client `clientWidth` wide whose picture fills `video`. The tool bars
// go to their fixed places unless a place covers the picture, a button or a bar placed before:
// such a bar goes to the next free row, first beside the buttons (at their height, then below
// the bar already there), then below the picture, where the client grows by the rows taken
// when `mayGrow` (a maximised window cannot grow: there the fixed place stays).
ButtonLayout singleWindowButtons(int clientWidth, const ToolBarSizes &bars, const QRect &video, bool mayGrow);

} // namespace app
