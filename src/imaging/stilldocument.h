#pragma once

#include "imaging/edithistory.h"
#include "platform/bitmap.h"

#include <QObject>
#include <QPoint>
#include <QString>

namespace platform {
class DiagnosticsLog;
}

namespace imaging {

// The still picture beside the live video, as the user edits it: the picture shown (which may
// carry a rubber band, the marquee or a paste preview), the picture as last committed
// (`CommittedPicture`), the filters' source picture (`FilterSource`), the editor's undo history,
// the file the picture came from, and whether it holds unsaved work. Widgets paint it and send
// the user's gestures to it; every change goes through one of the named transitions below, each
// announced once by changed(). UI thread.
//
// The change counter K is written here only: 1 for a picture as it was loaded or saved; each
// recorded edit adds one; undo takes one back and redo adds it again when a step was taken; a
// picture that did not reach a file and a filter result the user kept count 2. The picture has
// unsaved work while K > 1 or a filter result is shown.
class StillDocument final : public QObject
{
    Q_OBJECT
public:
    // What a transition changed, for those who follow the picture.
    enum class Change {
        Unknown,
        Loaded,      // a new picture took the place (snapshot, file opened, New, emptied)
        Edited,      // the editor committed pixels (stroke, cut, paste, text, undo, redo)
        Previewed,   // a rubber band, the marquee or a paste preview came or went; nothing committed
        Filtered,    // a filter result or the filters' source is shown
        Replaced,    // a picture of another shape replaced the picture and the history starts from it
        Saved,       // the picture was stored in a file
        Marked,      // only the unsaved state, the file or the filters' source changed
    };
    Q_ENUM(Change)

    // `log` receives "Execption Error at UndoRedoRecrod" when a snapshot cannot be kept (out of
    // memory); the edit still counts, the history then lacks that snapshot.
    explicit StillDocument(platform::DiagnosticsLog *log = nullptr, QObject *parent = nullptr);
    ~StillDocument() override;

    bool isEmpty() const { return picture_.isNull(); }
    // The picture as shown, previews included.
    const platform::Bitmap &picture() const { return picture_; }
    const platform::Bitmap &committedPicture() const { return committed_; }
    const platform::Bitmap &filterSource() const { return filterSource_; }
    // The file the picture was last opened from or saved to; empty for a snapshot or New.
    const QString &filePath() const { return filePath_; }
    int changeCount() const { return changeCount_; }
    bool filterApplied() const { return filterApplied_; }
    bool hasUnsavedEdits() const { return !isEmpty() && (changeCount_ > 1 || filterApplied_); }
    // A preview is in the picture shown, not in the committed one.
    bool hasPreview() const { return previewShown_; }
    // The editor is open: edits are recorded for undo and redo.
    bool editing() const { return editing_; }
    bool canUndo() const { return editing_ && history_.canUndo(); }
    bool canRedo() const { return editing_ && history_.canRedo(); }
    const EditHistory &history() const { return history_; }
    // The view's left/top after the last stroke, restored by undo and redo (view pixels).
    QPoint savedViewOffset() const { return history_.savedViewOffset(); }
    void setSavedViewOffset(QPoint offset) { history_.setSavedViewOffset(offset); }

    // --- Loaded: a new picture (a null one empties the area). K = 1, no filter, the history
    // starts again from it.
    void load(platform::Bitmap picture, const QString &filePath);
    void clear();
    // A snapshot that did not reach a file is unsaved work: K = 2.
    void markUnsaved();
    // The picture is nobody's file any more (a snapshot just stored, New).
    void forgetFile();

    // --- The editor.
    // Entering: the picture as it is becomes the history's first snapshot; K is kept, so edits
    // carried in (a kept filter, a snapshot not stored) stay unsaved.
    void beginEditing();
    // Leaving: previews are erased, the history released; K is kept (whether the user saved or
    // not), and the picture becomes the filters' source.
    void endEditing();
    // Shows `live` over the committed picture; nothing is committed.
    void preview(platform::Bitmap live);
    // Erases a preview by showing the committed picture again; false when there was none.
    bool erasePreview();
    // Commits `picture` without recording it (a stroke that does not count as an edit).
    void commit(platform::Bitmap picture);
    // Commits `picture` and records it: K + 1.
    void edit(platform::Bitmap picture);
    // One step back or forward in the history; false (and K unchanged) when there is none.
    bool undo();
    bool redo();
    // A quarter turn: the history starts again from the turned picture, and the turn counts: K + 1.
    void replace(platform::Bitmap picture);

    // --- The filters.
    // The picture shown (previews erased) becomes the source of every later filter.
    void rebaseFilters();
    // Shows a filter result computed from the source; it is also the committed picture.
    void filter(platform::Bitmap result);
    // Shows the source again: no filter applied.
    void unfilter();
    // The filter result shown becomes the source and unsaved work: K = 2.
    void keepFilter();
    // The filter buttons were reset with the picture as it is.
    void forgetFilter();

    // --- Saved: the picture shown was stored in `filePath`. K = 1, no filter applied, the
    // history starts again from it, and it is the filters' new source.
    void saved(const QString &filePath);

Q_SIGNALS:
    void changed(imaging::StillDocument::Change change);

private:
    // The one writer of K.
    void setChangeCount(int k) { changeCount_ = k; }
    // Releases the history; while editing, the picture shown is its first snapshot.
    void restartHistory();
    // The picture shown as untouched work of `filePath`: K = 1, no filter, the filters' source,
    // the history's first snapshot.
    void startAfresh(const QString &filePath, Change change);
    void record();
    void show(platform::Bitmap picture);
    void announce(Change change) { Q_EMIT changed(change); }

    platform::DiagnosticsLog *log_ = nullptr;
    platform::Bitmap picture_;
    platform::Bitmap committed_;
    platform::Bitmap filterSource_;
    QString filePath_;
    EditHistory history_;
    int changeCount_ = 1;
    bool filterApplied_ = false;
    bool previewShown_ = false;
    bool editing_ = false;
};

} // namespace imaging
