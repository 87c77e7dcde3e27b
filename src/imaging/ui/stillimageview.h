#pragma once

#include "platform/bitmap.h"

#include <QWidget>

namespace imaging::ui {

// The still-image area: the viewing panel `Panel1` with the picture control `ViewImage_RW` in
// it. The control is sized and placed by the fitting rule and stretches the picture to its own
// size; its hint is the path of the file the picture came from (empty for a fresh snapshot).
class StillImageView final : public QWidget
{
    Q_OBJECT
public:
    explicit StillImageView(QWidget *parent = nullptr);

    bool isEmpty() const { return picture_.isNull(); }
    const platform::Bitmap &picture() const { return picture_; }
    const QString &hintPath() const { return hint_; }

    // Shows a picture fitted into the panel (Initial_ViewImageParameter).
    void setPicture(platform::Bitmap picture, const QString &hintPath);
    void setHintPath(const QString &path);
    void clear();
    // The editor and the filters change the pixels of the picture shown without putting a new
    // picture in place: the control keeps its place and size when the picture keeps its size,
    // and is fitted again when it does not (a quarter turn). Emits pictureEdited, not pictureChanged.
    void replacePicture(platform::Bitmap picture);

    // The picture as last committed by the editor (`CommittedPicture`); rubber bands and the
    // marquee are drawn into the live picture only and erased by drawing this back. A new
    // picture put in place becomes the committed picture too.
    const platform::Bitmap &committedPicture() const { return committed_; }
    void setCommittedPicture(platform::Bitmap picture) { committed_ = std::move(picture); }

    // The editor's change counter K: 1 for an untouched picture, above 1 once edited.
    int changeCount() const { return changeCount_; }
    void setChangeCount(int k) { changeCount_ = k; }
    bool filterApplied() const { return filterApplied_; }
    void setFilterApplied(bool on) { filterApplied_ = on; }
    bool hasUnsavedEdits() const { return !isEmpty() && (changeCount_ > 1 || filterApplied_); }

    QWidget *pictureControl() const;

Q_SIGNALS:
    // A new picture was put in place (snapshot, file opened, cleared).
    void pictureChanged();
    // The pixels of the picture shown were changed by the editor or a filter.
    void pictureEdited();

private:
    class PictureControl;
    PictureControl *control_ = nullptr;
    platform::Bitmap picture_;
    platform::Bitmap committed_;
    QString hint_;
    int changeCount_ = 1;
    bool filterApplied_ = false;
};

} // namespace imaging::ui
