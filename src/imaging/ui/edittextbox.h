#pragma once

#include "platform/bitmap.h"

#include <QColor>
#include <QObject>
#include <QPoint>
#include <QRect>

#include <array>
#include <vector>

class QPlainTextEdit;
class QWidget;

namespace imaging::ui {

// The editor's text box (`RichEdit_TextOut`) over the still picture: a plain text field without
// wrap or frame, a child of the viewing panel, with eight 4 × 4 black handles that mark it. Its
// edges and corners are dragged with the left button, the whole box with the right one, inside
// the picture control and the panel, never smaller than its text (and 16 × 16 at least). It grows
// while the user types. Commit draws its lines into the picture.
//
// The font size is in picture pixels, as pen widths are: the same size writes the same text into
// the picture at every zoom. The box shows it at the view's scale, so what is typed looks as it
// will once written. The box's place is in panel pixels. UI thread.
class EditTextBox final : public QObject
{
    Q_OBJECT
public:
    // `panel` is `Panel1`, `pictureControl` the `ViewImage_RW` control inside it.
    EditTextBox(QWidget *panel, QWidget *pictureControl, QObject *parent = nullptr);
    ~EditTextBox() override;

    QPlainTextEdit *edit() const { return edit_; }
    bool isShown() const;
    QRect geometry() const;
    // Shows the box over `rect` (panel pixels) with the keyboard focus.
    void showAt(const QRect &rect);
    // Empties and hides the box and its handles; the font colour goes back to the text colour.
    // A box that held the keyboard gives it back to the window (never to the next control).
    void clearAndHide();
    void hideBox();

    // The point size of the size box; the signed font height (picture pixels) follows it.
    void setPointSize(int points);
    int fontHeight() const { return fontHeight_; }
    // Control pixels per picture pixel, vertically: the box shows the font at this scale.
    void setDisplayScale(double controlPerPicture);
    // The signed font height the box shows (control pixels).
    int shownFontHeight() const;
    void setTextColor(const QColor &c);
    QColor textColor() const { return textColor_; }
    void setBackgroundColor(const QColor &c);
    QColor backgroundColor() const { return backgroundColor_; }
    void setTransparentBackground(bool on) { transparent_ = on; }
    bool transparentBackground() const { return transparent_; }

    // Draws the box's text into `picture`, shown by the control at `control` (panel pixels):
    // each line |font height| + 4 pixels below the last, on the background colour unless it is
    // transparent. Scaled from control to picture pixels. False (and nothing drawn) for an empty box.
    bool commitInto(platform::Bitmap &picture, const QRect &control) const;

    const std::array<QWidget *, 8> &handles() const { return handles_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeHandles();
    void grow();
    void applyPalette();
    void applyFont();
    // The smallest box that shows the text typed so far (kMinTextBox at least).
    QSize minimumBox() const;
    std::vector<int> lineLengths() const;

    QWidget *panel_;
    QWidget *control_;
    QPlainTextEdit *edit_;
    std::array<QWidget *, 8> handles_{};
    int fontHeight_ = -11;
    double displayScale_ = 1.0;
    QColor textColor_ = Qt::black;
    QColor backgroundColor_ = Qt::white;
    bool transparent_ = false;
    // The drag in progress: edge bits, the pointer (panel pixels) and the box at press.
    int edges_ = 0;
    QPoint pressPos_;
    QRect pressBox_;
};

} // namespace imaging::ui
