#pragma once

#include "platform/bitmap.h"

#include <QPoint>

#include <array>
#include <optional>

namespace imaging {

// The editor's undo/redo history (`EditHistory`): four snapshot slots used as a ring. W is the
// slot the next snapshot goes to, C the snapshot shown, N the newest, A the slot after the newest
// (redo never reaches it). V marks slots holding a snapshot that may be reached, L the slots on
// the live line from the oldest to the current one. The change counter K that goes with it is
// the still document's (StillDocument), which moves it with each step taken here. UI thread.
class EditHistory
{
public:
    static constexpr int kSlots = 4;

    // All indices and flags to zero; the slot pictures stay until replaced.
    void reset();
    // Replaces the slot pictures by empty ones (DeleteImageMemory).
    void releaseSlots();
    // Stores `picture` as the newest snapshot (UndoRedoRecrod).
    void record(const platform::Bitmap &picture);
    // The snapshot to show after one step back or forward, or nullopt when there is none.
    std::optional<platform::Bitmap> undo();
    std::optional<platform::Bitmap> redo();
    bool canUndo() const;
    bool canRedo() const;

    // The view's left/top remembered after each stroke, restored by undo and redo.
    QPoint savedViewOffset() const { return savedViewOffset_; }
    void setSavedViewOffset(QPoint p) { savedViewOffset_ = p; }

    int writeIndex() const { return w_; }
    int currentIndex() const { return c_; }
    int newestIndex() const { return n_; }
    int limitIndex() const { return a_; }

private:
    static int wrap(int i) { return (i + kSlots) % kSlots; }

    std::array<platform::Bitmap, kSlots> slots_;
    int w_ = 0, c_ = 0, n_ = 0, a_ = 0;
    std::array<bool, kSlots> valid_{};
    std::array<bool, kSlots> live_{};
    QPoint savedViewOffset_;
};

} // namespace imaging
