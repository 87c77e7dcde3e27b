#pragma once

#include "platform/bitmap.h"
#include "platform/picturecodec.h"

#include <QDateTime>
#include <QSize>
#include <QString>

namespace platform {
class OverlayBitmap;
}

namespace imaging {

// How the reference lies over the live video.
enum class CompareMode { Blend = 0, LeftRight = 1, RightLeft = 2, TopBottom = 3, BottomTop = 4 };

constexpr bool isSplit(CompareMode m) { return m != CompareMode::Blend; }
// Splits across the width (left-right, right-left) measure the extent in columns, the others in rows.
constexpr bool splitsAcross(CompareMode m) { return m == CompareMode::LeftRight || m == CompareMode::RightLeft; }

// The split slider and the part of the reference it shows: `extent` (R) reference pixels taken
// from `offset` (O) on, across the width or down the height.
struct SplitState {
    int maximum = 0;    // the slider's maximum: the reference's width or height
    int position = 0;   // the slider's position
    int extent = 0;     // R
    int offset = 0;     // O
    friend bool operator==(const SplitState &, const SplitState &) = default;
};

// Choosing a split mode: the slider runs 0 to W (or H) and starts in the middle; half the
// reference shows, taken from its centre.
SplitState splitStart(CompareMode mode, QSize reference);

// The split slider moved to `position`. With the window-move button down the extent stays and
// the window slides across the reference; otherwise the extent follows the slider and stays
// centred on the reference. A maximum of 0 (no reference loaded) shows nothing.
SplitState splitMoved(const SplitState &current, int position, bool windowMove);

// The transparency slider's opacity, in single precision: position / maximum.
float transparencyAlpha(int position, int maximum);

// The split picture: a bitmap of the reference's size filled with the knockout colour, with the
// mode's rectangle of the reference copied in. The rectangles are clipped to both bitmaps, so an
// extent measured on a larger reference never reads or writes outside them.
platform::Bitmap splitPicture(const platform::Bitmap &reference, CompareMode mode, int extent, int offset,
                              platform::ColorRef knockout);

// A reference file by its extension, compared without regard to case: ".bmp" read as a bitmap,
// ".jpg" decoded. A missing or unreadable file, or any other extension (NotRecognised), gives no
// picture and the reason.
platform::DecodedPicture readReference(const QString &path);
// The same, as a bitmap: null when the file could not be read.
platform::Bitmap loadReference(const QString &path);

// The comparison overlay's state and its operations on the mixing bitmap. The reference file is
// read again when it changed on disk, otherwise the decoded copy is reused, so that dragging a
// slider does not decode a JPEG per step. UI thread.
class CompareOverlay
{
public:
    explicit CompareOverlay(platform::OverlayBitmap &overlay);

    // VMRBitmap_LoadAssignImage: builds the overlay from the reference at `path` in `mode` with
    // the current split, knockout colour and opacity, and shows it. Blend mode records the
    // reference size. False when the reference could not be read (the overlay is then cleared).
    bool VMRBitmap_LoadAssignImage(const QString &path, CompareMode mode);
    // VMRBitmap_Transparent: stores the opacity and shows the overlay with it.
    void VMRBitmap_Transparent(float alpha);
    // VMRBitmap_Clear on a bitmap of `videoSize`.
    void VMRBitmap_Clear(QSize videoSize);
    // The reference file was written anew: read it again at the next build even if its time
    // stamp and size look the same.
    void referenceReplaced() { cachedPath_.clear(); }
    // The reference at `path` as the next build uses it: the picture, or why it cannot be read.
    const platform::DecodedPicture &reference(const QString &path);

    // The data the tool bar works on.
    QString referencePath;
    CompareMode mode = CompareMode::Blend;
    QSize referenceSize;   // W, H: recorded when a reference is loaded in blend mode
    SplitState split;
    float alpha = 0.5f;
    platform::ColorRef knockout = 0xFFFFFF;
    bool referenceAssigned = false;   // enables the mode buttons once set
    bool fromFile = false;            // the last reference came from a file, not the shown picture

private:
    platform::OverlayBitmap &overlay_;
    platform::DecodedPicture cached_;
    QString cachedPath_;
    QDateTime cachedModified_;
    qint64 cachedBytes_ = -1;
};

} // namespace imaging
