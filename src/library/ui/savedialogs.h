#pragma once

#include "library/capturesaver.h"

#include <functional>
#include <memory>

class QDialog;
class QFileDialog;
class QWidget;

namespace library::ui {

// The still save dialog: "Bitmaps (*.bmp)" and "JPEG Image File (*.jpg)", overwrite prompt,
// folder must exist; the request's filter index, folder and name. A name typed without an
// extension gets the selected filter's (".bmp" or ".jpg"), following the user's filter changes.
std::unique_ptr<QFileDialog> makeStillSaveDialog(QWidget *parent, const SaveDialogRequest &request);
// The video save dialog: "Audio Video Interleave  (*.avi)", default extension ".avi".
std::unique_ptr<QFileDialog> makeVideoSaveDialog(QWidget *parent, const SaveDialogRequest &request);

// Runs a dialog modally and returns QDialog::Accepted or Rejected: the dialog's own loop
// (execDialog), or the program's dialogs port, which tests answer.
using DialogRunner = std::function<int(QDialog &)>;
int execDialog(QDialog &dialog);

// SaveDialog callbacks that run those dialogs through `run`. `typeChanged` receives 1 (BMP) or 2
// (JPEG) when the user switches the file type, so the browser can follow (page 0 or 1).
SaveDialog stillSaveDialog(QWidget *parent, std::function<void(int filterIndex)> typeChanged,
                           DialogRunner run = execDialog);
SaveDialog videoSaveDialog(QWidget *parent, DialogRunner run = execDialog);

} // namespace library::ui
