#pragma once

#include "state/globalvar.h"
#include "state/uiprotocol.h"
#include "library/librarypages.h"
#include "library/thumbnailmaker.h"

#include <QTabWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QPushButton;
class QToolButton;
class QUrl;

namespace platform {
class DiagnosticsLog;
class MediaWorker;
}

namespace library {
class Trash;
}

namespace library::ui {

// What the browser needs from the window around it. The callbacks are answered by tests.
struct ThumbnailBrowserDeps {
    const state::ListPaths &curListPath;   // the folders in use, changed only through setFolder
    state::ListPaths defListPath;
    platform::DiagnosticsLog &log;
    Trash &trash;
    FrameGrabber grabFrame = {};   // frame 30 of a video (or its last); called on a worker thread
    QString recordingPicture = {};   // Bitmap/ShowMap/Recording.bmp below the program folder
    state::ShowMessageBoxFn showMessageBox = {};
    // Language text by key.
    std::function<QString(const QString &)> text = {};
    // The folder picker: title and start folder (empty when it does not exist); nullopt on Cancel.
    std::function<std::optional<QString>(const QString &, const QString &)> pickFolder = {};
    // Opens a folder in the desktop's file manager; defaults to QDesktopServices::openUrl.
    std::function<bool(const QUrl &)> openUrl = {};
    // A timed capture or a conversion runs: turning the page must not refresh anything.
    std::function<bool()> pageChangeBlocked = {};
    // Makes `folder` the folder of `kind` in use and the user's own, stored in the settings (the
    // folder buttons, Restore Default Path).
    std::function<void(int kind, const QString &folder)> setFolder = {};
    // Makes a tool's output folder the folder of `kind` in use for this run; the user's own folder
    // stays the one stored.
    std::function<void(int kind, const QString &folder)> useToolFolder = {};
};

// PageControl1: the three-page library (TabSheet1 BMP, TabSheet2 JPG, TabSheet3 AVI), five
// 128 x 96 thumbnails a page, page label, up-down control, folder button, and the context menu
// PopupMenu_ListView. Controls carry their design names as objectNames, so the language loader
// finds them. UI thread only.
//
// A single click on a thumbnail chooses its file: its frame is highlighted while it is shown, and
// fileChosen tells the window, whose Delete then acts on it. A picture that cannot be read shows a
// "cannot read" placeholder with its name, and the reason in its hint.
//
// Pictures are decoded while the page is filled. A video's slot shows the recording picture at
// once and its frame when the grab, run on a worker thread, comes back; a grab whose slot has
// since shown another file (page turned, folder changed, file deleted) is dropped. Destroying the
// browser waits for the grabs already running, each bounded by the grabber's own timeouts.
class ThumbnailBrowserWidget final : public QTabWidget
{
    Q_OBJECT
public:
    explicit ThumbnailBrowserWidget(ThumbnailBrowserDeps deps, QWidget *parent = nullptr);
    ~ThumbnailBrowserWidget() override;

    // FileList: lists the kind's folder, follows a new-file mark, fills the five slots. A slot
    // whose file cannot be decoded stays empty (logged) and the others are still filled. Videos
    // whose thumbnail is not cached are filled later, by the event loop; a video whose grab is
    // already on its way keeps it rather than starting again.
    void FileList(int kind);
    void refreshAll();
    // After a save or a recording start: the next FileList of the kind shows `path`'s page.
    void markNewFile(int kind, const QString &path);
    // Shows the kind's page and refreshes it (as a page change does).
    void showKind(int kind);
    // The 400 ms tick: the page label of the page shown.
    void updatePageLabel();

    // Menu items: RestoreDefaultPath, BmpDir/JpgDir/AviDir, and the folder buttons.
    void RestoreDefaultPath();
    bool openFolder(int kind);
    void chooseFolder(int kind);
    // The user's choice of folder for `kind` (the folder buttons, Restore Default Path): in use and
    // stored.
    void useFolder(int kind, const QString &folder);
    // A tool's output folder becomes the folder of `kind` in use for this run; the stored one stays.
    void showToolFolder(int kind, const QString &folder);

    // The file chosen last, highlighted wherever its thumbnail is shown; empty for none. Setting it
    // emits nothing: fileChosen is the user's click.
    void choose(const QString &path);
    const QString &chosen() const { return chosen_; }
    // Turns to the page that lists `path` (a file of the library folders) and highlights it; false
    // when no page lists it or the page may not change now.
    bool reveal(const QString &path);
    // The highlighted slot of a kind's page shown; -1 for none.
    int highlightedSlot(int kind) const;

    // Captions and hints from the language texts.
    void applyTexts();

    // The context menu's commands, on the thumbnail remembered by rememberContext().
    void rememberContext(int kind, int slot);
    void OpenFile1Click();
    void DeleteFile1Click();
    void DeleteAllFile1Click();

    // Up-down halves of the page shown; a click on another page's control does nothing.
    void turnPage(int kind, bool forward);
    void activateSlot(int kind, int slot);   // a double click

    const LibraryPages &pages() const { return pages_; }
    ThumbnailMaker &thumbnails() { return maker_; }
    QLabel *slotLabel(int kind, int slot) const { return slots_[kind][slot]; }
    QLabel *numberLabel(int kind) const { return numberLabels_[kind]; }
    QMenu *contextMenu() const { return menu_; }
    // Video thumbnails still on their way to a slot of any page.
    int pendingThumbnails() const;

Q_SIGNALS:
    // A picture is to be opened into the still-image area (after the unsaved-edits question).
    void pictureOpenRequested(const QString &path);
    // The user chose a file with a click (left, or right for the context menu).
    void fileChosen(int kind, const QString &path);
    // A video is to be played (PlayerVideoCom).
    void videoPlayRequested(const QString &path);
    // Deleting a video starts: a playing one must be left first. Emitted synchronously.
    void videoDeletionStarting();
    // After Delete File / Delete All Files on pictures, whatever the answer: clear the
    // filter-applied flag, K = 1, empty the still-image area, leave the editor modes.
    void stillImageReset();
    // PageControl1Change after the refresh: the save dialog's type follows; trim memory.
    void pageChanged(int page);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildPage(int kind);
    // Places a page's frames and its right-hand column in the height its sheet has: the tab row
    // above takes the height its language's font needs (taller for Chinese, Japanese, Korean),
    // and a folder button caption too long for one line goes on two.
    void layoutPage(int kind);
    void onCurrentChanged(int page);
    void showSlot(int kind, int slot, const QString &path);
    void showUnreadable(int kind, int slot, const QString &path, const platform::DecodedPicture &why);
    void highlight(int kind);
    void userChose(int kind, int slot);
    void dropPendingGrab(int kind, int slot);

    // The grab on its way to a slot: its worker ticket (0 for none) and the file it grabs.
    struct PendingGrab {
        std::uint64_t ticket = 0;
        QString path;
    };

    ThumbnailBrowserDeps deps_;
    LibraryPages pages_;
    ThumbnailMaker maker_;
    std::array<std::array<QLabel *, kSlotsPerPage>, 3> slots_{};
    std::array<QLabel *, 3> numberLabels_{};
    std::array<QWidget *, 3> upDowns_{};
    std::array<QPushButton *, 3> pathButtons_{};
    std::array<QString, 3> pathCaptions_;   // as the language has them; the buttons may show two lines
    QMenu *menu_ = nullptr;
    int contextKind_ = -1;
    QString contextPath_;
    QString chosen_;
    bool contextHasPicture_ = false;
    bool turning_ = false;
    std::array<std::array<PendingGrab, kSlotsPerPage>, 3> pendingGrabs_{};
    // Reset first in the destructor: its deliveries point at the slots and the maker.
    std::unique_ptr<platform::MediaWorker> worker_;
};

} // namespace library::ui
