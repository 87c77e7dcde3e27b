#pragma once

#include "platform/bitmap.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QScrollArea;

namespace library::ui {

// The image viewer window: a separate, non-modal window that shows the still picture at its own
// size with scroll bars. A cool bar on top (`CoolBar1`) can host the main window's filter tool
// bar; below it the scroll box `ScrollBox1` holds the picture `ImageViewMap`, centred. The menu
// `MainMenu1` only reports its items; the program's own operations run behind them. UI thread.
class TImageViewForm final : public QMainWindow
{
    Q_OBJECT
public:
    enum class Item { Open_Image, Save_Image, Delete_Image, Image_Process, Print_Image, Exit_Image };

    explicit TImageViewForm(QWidget *parent = nullptr);
    ~TImageViewForm() override;

    QAction *item(Item which) const;
    QWidget *coolBar() const { return coolBar_; }
    QScrollArea *scrollBox() const { return scrollBox_; }
    QLabel *imageViewMap() const { return map_; }

    // The picture shown, at its own size; a null bitmap empties the window.
    void setPicture(const platform::Bitmap &picture);
    QSize pictureSize() const { return pictureSize_; }
    bool hasPicture() const { return !pictureSize_.isEmpty(); }

    // Menu captions and the title by language key (the main window's texts).
    void applyTexts(const std::function<QString(const QString &)> &text);

    // Sizes the window around the picture within the work area of the screen it is on (or of
    // the primary screen); `atCorner` also puts it at that area's top left corner, otherwise it
    // stays where the user left it. `frame` is the window frame's extent when the window manager
    // has not told it yet.
    void sizeToPicture(QMargins frame, bool atCorner);
    // The frame the window manager drew around this window last time, if it was ever shown.
    std::optional<QMargins> knownFrame() const;
    // The cool bar's height while it hosts nothing: the height of the bar it is made for.
    void setCoolBarHeight(int height);

Q_SIGNALS:
    // The window became the active window.
    void activated();
    // The window is closing (close box, Exit_Image, the program); it closes whatever the
    // receiver does.
    void closing();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *coolBar_ = nullptr;
    QScrollArea *scrollBox_ = nullptr;
    QLabel *map_ = nullptr;
    std::array<QAction *, 6> items_{};
    QSize pictureSize_;
};

} // namespace library::ui
