#pragma once

#include "state/globalvar.h"
#include "platform/picturecodec.h"

#include <QString>

#include <functional>
#include <optional>

namespace platform {
class DiagnosticsLog;
}

namespace library {

class CaptureCounter;

// What became of one save, for the window to act on. Only Saved wrote a file.
enum class SaveOutcome {
    Unknown,
    Saved,
    Cancelled,         // the save dialog was closed without a name
    UnsupportedType,   // the chosen name ends in neither .bmp nor .jpg: nothing written, no message
    WriteFailed,       // the disk refused the file: tell the user (CannotSaveImage_MsgBox)
    NoNumber,          // no free capture number: nothing written, tell the user as for a failed write
};

// The save dialog as the saver opens it. Filter index 1 is "Bitmaps (*.bmp)", 2 "JPEG Image File".
struct SaveDialogRequest {
    int filterIndex = 1;
    QString startFolder;
    QString proposedName;   // without extension
};
// Returns the chosen path, or nullopt when cancelled.
using SaveDialog = std::function<std::optional<QString>(const SaveDialogRequest &)>;

struct SaveContext {
    int browserPage = state::kListJpg;   // the page shown decides BMP (0) or JPEG (1, 2)
    bool automatic = false;            // auto save on, or a timed capture of stills running
    QString prefix;                    // scalePrefix(): empty unless a scale is burnt in
    state::ListPaths curListPath;
    int jpegQuality = platform::kDefaultJpegQuality;
    // The calibration (and, for JPEG, the shapes) the file carries; empty writes the plain file.
    platform::PictureMetadata metadata;
    QString lead;   // put before the whole name: "Stack_" for a focus stack
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Unknown;
    QString number;              // the capture number taken (consumed even when cancelled)
    QString path;                // the file written, or the one that failed
    int kindPage = -1;           // 0 BMP or 1 JPG: the page to show after a successful write
    bool turnedToJpgPage = false;   // the AVI page was shown: switch to JPG (and refresh) before the dialog
    platform::WriteResult write;
    bool saved() const { return outcome == SaveOutcome::Saved; }
};

// Save_ImageFile without the widgets: takes the number, picks the automatic path or asks the
// dialog, applies the redirections into the JPG/BMP library folders, and writes the file through
// the atomic writers (a temporary name renamed into place, so no half-written picture ever shows
// in a library folder). Paths chosen by the program, never by the user, are checked for an
// existing file and take the next free number. Failures are logged as the operation names them.
class CaptureSaver
{
public:
    CaptureSaver(CaptureCounter &counter, platform::DiagnosticsLog &log);

    SaveResult Save_ImageFile(const platform::Bitmap &picture, const SaveContext &context, const SaveDialog &dialog);

private:
    SaveResult write(SaveResult result, const platform::Bitmap &picture, bool jpeg, const SaveContext &context);
    QString takeFreeNumber(int browserPage, const QString &folder, const QString &stem, const QString &extension);

    CaptureCounter &counter_;
    platform::DiagnosticsLog &log_;
};

// The file name a recording starts with: GetPhotoNumber(1), then the automatic path
// CurListPath AVI + "/Avi_" + number + ".avi" (a free one) or the path chosen in the video save
// dialog, whose proposed name is "Avi_" + number in the AVI folder. A recording is always an AVI
// file: a chosen name that does not end in ".avi" (any case) gets it in place of its own
// extension. Cancelled starts nothing.
struct RecordingTarget {
    SaveOutcome outcome = SaveOutcome::Unknown;   // Saved here means: record to `path`
    QString number;
    QString path;
    // The dialog returned a name with another extension ("clip.jpg"): `path` has ".avi" in its
    // place ("clip.avi"), a file the dialog's overwrite question did not ask about.
    bool extensionChanged = false;
};
RecordingTarget aviRecordingTarget(CaptureCounter &counter, const QString &aviFolder, bool automatic,
                                   const SaveDialog &dialog);

// CaptureImageCom's decisions after a snapshot reached the still-image area.
enum class AutoSaveKind { Unknown, None, Plain, WithScale };
struct CaptureCompletion {
    AutoSaveKind save = AutoSaveKind::None;   // Plain: Save_ImageFile; WithScale: Save_ImageFileWithScale
    bool showInViewer = false;                // a size preset other than Normal: hand it to the viewer
};
CaptureCompletion captureCompletion(bool autoSave, bool timedStillsRunning, bool timedWithScale, int sizePreset);
// The editor's change counter K after the completion: 2 (ask before losing it) unless the
// picture really reached a file; a failed automatic save leaves an unsaved picture.
constexpr bool needsUnsavedMark(SaveOutcome automaticSave) { return automaticSave != SaveOutcome::Saved; }

} // namespace library
