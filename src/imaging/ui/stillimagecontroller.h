#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "library/thumbnailmaker.h"
#include "platform/bitmap.h"
#include "platform/picturemetadata.h"

#include <QObject>
#include <QSize>

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

namespace imaging {
class StillDocument;
}

namespace imaging::ui {

class StillImageView;

// What the still image and the library need from their peers; the composition root answers.
// UI thread.
class StillPort
{
public:
    // The player: a video of the library plays; it is left before its file is deleted.
    virtual void playVideo(const QString &path) = 0;
    virtual void exitMediaPlayer() = 0;
    // The editor and the filter mode are left when another picture takes the place.
    virtual void leaveEditor() = 0;
    virtual void leaveFilterMode() = 0;
    // Text typed into the editor's text box goes into the picture before the picture is saved
    // or asked about (nothing when no text is typed).
    virtual void commitEditorText() = 0;
    // A snapshot in a single-window preset shows in the image viewer window.
    virtual void showStillInViewer() = 0;
    // The timed capture of stills: files are named without asking, and burnt in with the scale
    // when it says so (saveWithScale: true when a file was written).
    virtual bool timedStillsRunning() const = 0;
    virtual bool timedStillsWithScale() const = 0;
    virtual bool saveWithScale(const platform::Bitmap &picture) = 0;
    // The JPEG quality chosen in the menu goes to the camera's snapshots.
    virtual void setJpegQuality(int quality) = 0;
    // The calibration and shapes a saved picture of that size carries.
    virtual platform::PictureMetadata pictureMetadata(QSize picture) const = 0;
    // A timed capture or a conversion runs: the library's pages must not turn.
    virtual bool libraryPageChangeBlocked() const = 0;

protected:
    ~StillPort() = default;
};

// The still image beside the video and the library below it: the still document (the picture,
// its history and its unsaved state), saving (automatic or through the save dialog), snapshots
// arriving, opening, deleting to the trash, the JPEG quality menu, the folder menu items. The
// view only paints the document; the editor (EditorController) and the filter mode
// (FilterController) change it through its transitions. UI thread.
class StillImageController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // `view` paints the document; `grabFrame` grabs a video's thumbnail frame (on a worker thread).
    StillImageController(feature::ui::FeatureContext context, StillPort &port, StillImageView &view,
                         library::FrameGrabber grabFrame, QObject *parent = nullptr);
    ~StillImageController() override;

    // Names and stores a still picture; true when a file was written. `prefix` carries a burnt-in
    // scale's lengths. A write the disk refuses is reported to the user, never taken as saved.
    bool Save_ImageFile(const platform::Bitmap &picture, const QString &prefix = {});
    // A picture a tool made (a focus stack): shown in the still area and saved at once, without
    // the dialog, into the library folder of the page shown as `lead` + "Jpg_"/"Bmp_" + number,
    // carrying `metadata`. True when a file was written; when not, it stays as an unsaved edit.
    bool saveToolPicture(const platform::Bitmap &picture, const QString &lead, const platform::PictureMetadata &metadata);
    // The save button, the save item and the viewer's save: the picture shown, with the text
    // typed into the editor's box.
    bool saveShown();
    // Before the picture is replaced or the program ends: typed text goes into the picture, and
    // unsaved work is offered for saving (OK saves; Cancel goes on without saving).
    // offerToSave() asks whenever there is unsaved work; WhetherSaveImageMessage() only where the
    // still picture can be seen (the "Normal" layout or the image viewer).
    void offerToSave();
    void WhetherSaveImageMessage();
    // A snapshot arrived: show it as the still image, then save it when auto save is on.
    void CaptureImageCom(const platform::Bitmap &picture);
    // Deletes the file the user chose last, to the trash, after a question that names it while its
    // thumbnail is highlighted: a thumbnail clicked since the picture shown was opened, saved or
    // taken, else the picture shown (whose area is then emptied, as is a snapshot's that names no
    // file).
    void DeleteImage();
    // Opens a picture file into the still-image area after the unsaved-edits question; a file
    // that cannot be read is reported with its name and the reason. `filterIndex` 1 reads it as
    // BMP, 2 as JPEG, 0 by its content.
    void openPicture(const QString &path, int filterIndex = 0);
    // The menu item: the unsaved-edits question comes before the file dialog.
    void OpenFileClick();
    int jpegQuality() const;

    // The still picture: every change to it goes through the document's transitions.
    imaging::StillDocument &document() const { return *document_; }
    StillImageView &view() const { return view_; }
    library::ui::ThumbnailBrowserWidget &browser() const { return *browser_; }
    library::CaptureCounter &captureCounter() const { return *counter_; }

    void readInputs(feature::ActionInputs &in) const override;
    void languageChanged() override;
    void beforeExit() override;

private:
    class SettingsCounters;
    bool save(const platform::Bitmap &picture, const QString &prefix, const QString &lead, bool automatic,
              const platform::PictureMetadata &metadata);
    void buildLibrary(library::FrameGrabber grabFrame);
    void connectControls();
    // Initial_And_Reset_ImageList for a file: read, shown, the clipboard emptied; false (and the
    // user told why) when it cannot be read.
    bool loadPicture(const QString &path, int filterIndex);
    // The highlight follows the user's last choice: a clicked thumbnail, else the picture's file.
    void highlightChoice();
    void deleteLibraryFile(const QString &path);

    feature::ui::FeatureContext ctx_;
    StillPort &port_;
    StillImageView &view_;
    std::unique_ptr<imaging::StillDocument> document_;
    std::unique_ptr<library::SystemTrash> trash_;
    std::unique_ptr<SettingsCounters> counters_;
    std::unique_ptr<library::CaptureCounter> counter_;
    std::unique_ptr<library::CaptureSaver> saver_;
    std::unique_ptr<library::JpegQuality> jpegQuality_;
    library::ui::ThumbnailBrowserWidget *browser_ = nullptr;
    // A library file the user clicked after the still picture last changed hands; empty when the
    // picture shown is the last choice.
    QString libraryChoice_;
    int libraryChoiceKind_ = -1;
};

} // namespace imaging::ui
