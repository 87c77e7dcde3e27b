#pragma once

#include "feature/ui/controls.h"
#include "app/windowpresets.h"

#include <QMainWindow>

class QLabel;
class QPushButton;

namespace imaging::ui {
class StillImageView;
}

namespace app::ui {

using feature::ui::Controls;

// TMainForm as a view: it builds every control of the control table, lays the window out and
// reports what happens to the window itself. It holds no feature logic and no program state;
// the shell and the features drive it through controls() and the layout operations below.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kButtonWidth = 80;
    static constexpr int kButtonHeight = 60;
    static constexpr int kClientWidth = 800;
    static constexpr int kClientHeight = 556;   // below the menu bar

    // `programDir` holds Bitmap/ with the button pictures.
    explicit MainWindow(const QString &programDir, QWidget *parent = nullptr);
    ~MainWindow() override;

    Controls &controls() { return controls_; }
    const Controls &controls() const { return controls_; }

    QWidget *central() const { return central_; }
    QWidget *videoArea() const { return controls_.widget(state::ControlId::VideoArea); }
    imaging::ui::StillImageView *stillView() const { return still_; }
    // The grey copy of a main button's picture, uncovered while the button is hidden.
    QLabel *greyPicture(state::ControlId mainButton) const;

    // Puts the thumbnail browser into the library's place below the video.
    void placeLibrary(QWidget *library);
    // The cover over the video area while no live picture runs.
    void showCover(bool shown);
    void setButtonPicture(state::ControlId mainButton, const QString &picture);
    // Layout of one preset: client size (maximised or fixed), video rectangle and the buttons.
    void applyLayout(const PresetLayout &layout);
    void layOutButtons(const ButtonLayout &layout);
    ToolBarSizes toolBarSizes() const;
    // The status line's height, which a maximised window's picture leaves to it.
    int statusLineHeight() const;

Q_SIGNALS:
    // The window is closing (every way of closing); the receiver runs the close sequence.
    void closing();
    // The window manager or the user maximised, restored or minimised the window.
    void windowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    // The window became the active one.
    void activated();
    // The window's size changed (the program, the window manager or the user).
    void resized();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildMenus();
    void buildAreas();
    void buildMainButtons();
    void buildToolBars();
    void buildStatusBar();
    // What the window adds to the client area's height: the menu bar and the status line.
    int chromeHeight() const;
    QString picturePath(const QString &folder, std::string_view picture) const;

    QString programDir_;
    Controls controls_;
    QWidget *central_ = nullptr;
    imaging::ui::StillImageView *still_ = nullptr;
    std::array<QLabel *, 10> greyPictures_{};
    bool closed_ = false;
};

} // namespace app::ui
