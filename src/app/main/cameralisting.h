#pragma once

#include <QString>

namespace app {

// `sendra-cam --list-cameras`: the cameras the viewer would offer, in the device menu's order,
// one line each, fields separated by tabs:
//
//   USB Microscope (SN0042) # 0<TAB>/dev/video2<TAB>eb1a:5060<TAB>serial=SN0042<TAB>supported=yes<TAB>formats=MJPG,YUYV
//
// the menu caption, the node, vendor:product ("-" off USB), serial=... or port=..., whether the
// bridge is a supported one, and the capture pixel formats. `errors` names the video nodes left
// out and why ("/dev/video1: not offered: metadata node"), and any unreadable setting.
struct CameraListing {
    QString output;
    QString errors;
};

// Uses the settings the viewer would use: the "Show all cameras" switch and the camera used last
// from the user's Cameras.ini (only read), SENDRA_CAM_EXTRA_IDS and the virtual camera of
// SENDRA_CAM_VIRTUAL_CAMERA. Needs a QCoreApplication, no display.
CameraListing listCameras();

} // namespace app
