#pragma once

#include "platform/picturecodec.h"

#include <QString>

namespace library {

// The menu item "Open": which dialog opens where, by the page shown. The picture dialog's filter
// 1 is BMP, 2 JPEG; the folders are the default library folders, not the ones in use.
struct OpenFilePlan {
    bool turnToJpgPage = false;   // the viewer is open on the AVI page: show JPG first
    bool video = false;           // the video dialog; the chosen file goes to playback
    int filterIndex = 1;
    QString startFolder;
};
OpenFilePlan openFilePlan(int page, bool viewerOpen, const QString &userDataDir);

// The type chosen in the picture dialog decides the decoding: 1 reads the file as BMP, 2 as JPEG,
// whatever its extension says.
platform::DecodedPicture loadPictureAs(const QString &path, int filterIndex);

} // namespace library
