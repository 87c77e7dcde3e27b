#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

namespace imaging {
class StillDocument;
}

namespace imaging::ui {

// The still-image area: the viewing panel `Panel1` with the picture control `ViewImage_RW` in
// it. It paints the still document's picture and owns nothing of it: the control is sized and
// placed by the fitting rule when a new picture is put in place (and when an edit changes the
// picture's shape), and stretches the picture to its own size; its hint is the path of the file
// the picture came from (empty for a fresh snapshot). Zooming and panning move the control.
class StillImageView final : public QWidget
{
    Q_OBJECT
public:
    explicit StillImageView(QWidget *parent = nullptr);

    // The document painted from now on (none: nothing is shown).
    void setDocument(const StillDocument *document);
    const StillDocument *document() const;

    QWidget *pictureControl() const;

private:
    class PictureControl;
    void follow(int change);

    PictureControl *control_ = nullptr;
    QPointer<const StillDocument> document_;
    QSize shownSize_;
};

} // namespace imaging::ui
