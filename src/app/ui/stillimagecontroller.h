#pragma once

#include "app/ui/feature.h"
#include "library/thumbnailmaker.h"
#include "platform/bitmap.h"
#include "platform/picturemetadata.h"

#include <QObject>

#include <functional>
#include <memory>

namespace library {
class CaptureCounter;
class CaptureSaver;
class JpegQuality;
class SystemTrash;
namespace ui {
class ThumbnailBrowserWidget;
}
} // namespace library

namespace imaging::ui {
class StillImageView;
}

namespace app::ui {

class Shell;

// The still image beside the video and the library below it: saving (automatic or through the
// save dialog), snapshots arriving, opening, deleting to the trash, the JPEG quality menu, the
// folder menu items. The editor (EditorController) and the filter mode (FilterController) are
// reached through the hooks below. UI thread.
class StillImageController final : public QObject, public Feature
{
    Q_OBJECT
public:
    explicit StillImageController(Shell &shell, QObject *parent = nullptr);
    ~StillImageController() override;

    // Names and stores a still picture; true when a file was written. `prefix` carries a burnt-in
    // scale's lengths. A write the disk refuses is reported to the user, never taken as saved.
    bool Save_ImageFile(const platform::Bitmap &picture, const QString &prefix = {});
    // A picture a tool made (a focus stack): shown in the still area and saved at once, without
    // the dialog, into the library folder of the page shown as `lead` + "Jpg_"/"Bmp_" + number,
    // carrying `metadata`. True when a file was written.
    bool saveToolPicture(const platform::Bitmap &picture, const QString &lead, const platform::PictureMetadata &metadata);
    // A snapshot arrived: show it as the still image, then save it when auto save is on.
    void CaptureImageCom(const platform::Bitmap &picture);
    // Deletes the file of the picture shown, to the trash, after asking.
    void DeleteImage();
    // Opens a picture file into the still-image area (after the unsaved-edits question).
    void openPicture(const QString &path, int filterIndex = 0);
    void OpenFileClick();
    void EditorImage_BtnClick();
    void ImageProcess_BtnClick();
    void leaveEditMode();
    void leaveImageProcessMode();
    int jpegQuality() const;

    imaging::ui::StillImageView &view() const;
    library::ui::ThumbnailBrowserWidget &browser() const { return *browser_; }
    library::CaptureCounter &captureCounter() const { return *counter_; }

    // What other features answer; each does nothing until set.
    library::FrameGrabber grabVideoFrame = [](const QString &, int) { return std::optional<platform::Bitmap>(); };
    std::function<void(const QString &)> playVideoFile = [](const QString &) {};
    std::function<void()> leavePlayer = [] {};
    std::function<void()> showInViewer = [] {};
    std::function<bool()> timedStillsRunning = [] { return false; };
    std::function<bool()> timedStillsWithScale = [] { return false; };
    // Burns the scale bar and the shapes into a copy of the picture and saves that copy.
    std::function<bool(const platform::Bitmap &)> saveWithScale = [](const platform::Bitmap &) { return false; };
    std::function<void(int quality)> jpegQualityChosen = [](int) {};
    // The filter mode's toggle and its leaving (FilterController).
    std::function<void()> toggleImageProcess = [] {};
    std::function<void()> leaveImageProcess = [] {};
    // The editor's toggle and its exit (ExitImageEdit), set by the editor.
    std::function<void()> toggleEditor = [] {};
    std::function<void()> exitImageEdit = [] {};
    // The calibration and shapes a saved picture of that size carries; none when unset.
    std::function<platform::PictureMetadata(QSize picture)> pictureMetadata;

    void readInputs(ActionInputs &in) const override;
    void applyRules(const ActionInputs &in, ActionState &s) const override;
    void languageChanged() override;
    void beforeExit() override;

private:
    void offerToSaveEdits();
    bool save(const platform::Bitmap &picture, const QString &prefix, const QString &lead, bool automatic,
              const platform::PictureMetadata &metadata);
    void buildLibrary();
    void connectControls();

    Shell &shell_;
    std::unique_ptr<library::SystemTrash> trash_;
    std::unique_ptr<library::CaptureCounter> counter_;
    std::unique_ptr<library::CaptureSaver> saver_;
    std::unique_ptr<library::JpegQuality> jpegQuality_;
    library::ui::ThumbnailBrowserWidget *browser_ = nullptr;
};

} // namespace app::ui
