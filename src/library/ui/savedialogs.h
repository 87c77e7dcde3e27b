#pragma once

#include "library/capturesaver.h"

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

namespace library::ui {

// The still save dialog: "Bitmaps (*.bmp)" and "JPEG Image File (*.jpg)", overwrite prompt,
// folder must exist; the request's filter index, folder and name. A name typed without an
// extension gets the selected filter's (".bmp" or ".jpg"), following the user's filter changes.
std::unique_ptr<QFileDialog> makeStillSaveDialog(QWidget *parent, const SaveDialogRequest &request);
// The video save dialog: "Audio Video Interleave  (*.avi)", default extension ".avi".
std::unique_ptr<QFileDialog> makeVideoSaveDialog(QWidget *parent, const SaveDialogRequest &request);

// SaveDialog callbacks that run those dialogs modally. `typeChanged` receives 1 (BMP) or 2 (JPEG)
// when the user switches the file type, so the browser can follow (page 0 or 1).
SaveDialog stillSaveDialog(QWidget *parent, std::function<void(int filterIndex)> typeChanged);
SaveDialog videoSaveDialog(QWidget *parent);

} // namespace library::ui
