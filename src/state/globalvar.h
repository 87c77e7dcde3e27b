#pragma once

#include <QString>

#include <array>

namespace state {

// The per-user settings record, stored in UserSysInfo.ini.
struct DefaultData {
    bool Init = false;
    QString BmpPath;
    QString JpgPath;
    QString AviPath;
    QString Language = QStringLiteral("English");
    QString User;
    bool AutoSave = false;
    bool MJPG_2M = false;
    QString TodayDate;
    qint32 BmpNumber = 0;
    qint32 JpgNumber = 0;
    qint32 AviNumber = 0;
    // Reserved measurement-record options: read at start and written back unchanged.
    bool MI_ImaWithInfo = false;
    bool MI_ExtraInfo = false;
    bool MI_OnTop = false;
    qint16 MI_OutputFmt = 0;
    // The drawing bar's edge snapping toggle.
    bool SnapToEdge = false;
    // The ruler scale chosen last, by name: selected again at the next start (a camera that has a
    // scale of its own remembered in Cameras.ini takes that one when it opens).
    QString ScaleName;
};

// The daily capture counters of the settings record: the day they count for (the short date text)
// and the last number given of each kind.
struct CaptureNumbers {
    QString todayDate;
    qint32 bmp = 0;
    qint32 jpg = 0;
    qint32 avi = 0;
    friend bool operator==(const CaptureNumbers &, const CaptureNumbers &) = default;
};

// Library folders, indexed as the three pages of the browser.
enum ListKind { kListBmp = 0, kListJpg = 1, kListAvi = 2 };
using ListPaths = std::array<QString, 3>;

// The window-size presets, in menu order.
enum SizePreset {
    kPresetNormal = 0,
    kPreset640x480,
    kPreset800x600,
    kPreset1024x768,
    kPreset1280x800,
    kPreset1280x960,
    kPreset1600x1200,
    kPresetFullScreen4x3,
    kPresetFullScreen,
    kPresetByResolution,
    kPresetDevCtrlToolbar,
};

// The live modes chosen by the mode tool bar below the video.
enum LiveModeKind { kLiveCompare = 0, kLiveCross = 1, kLiveVideoCtrl = 2, kLiveDraw = 3 };

// The shared state flags. Each is written by the feature that owns it and read by many; the
// idle-time update derives every control's state from them.
struct AppFlags {
    bool DeviceFound = false;
    bool VideoConnected = false;
    bool VideoPlaying = false;
    bool VideoRecording = false;
    bool IsClosing = false;
    bool EditMode = false;
    bool ImageProcessMode = false;
    bool OverlayMode = false;
    bool VmrAvailable = true;
    bool ViewerOpen = false;
    int LiveMode = kLiveCompare;
    int SizePreset = kPresetNormal;
};

} // namespace state
