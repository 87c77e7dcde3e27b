#pragma once

#include "state/globalvar.h"
#include "app/languagetexts.h"
#include "app/updateactions.h"
#include "state/usersettings.h"
#include "app/windowpresets.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "platform/bitmap.h"

class QAbstractButton;
class QKeyEvent;
class QActionGroup;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolBar;

namespace platform {
class Clock;
class DiagnosticsLog;
class ProfileStore;
class VendorChannel;
} // namespace platform

namespace bridge {
class EETI_com;
}

namespace library {
class CaptureCounter;
class CaptureSaver;
class JpegQuality;
class SystemTrash;
namespace ui {
class ThumbnailBrowserWidget;
}
} // namespace library

namespace imaging::ui {
class StillImageView;
}

namespace app::ui {

class MessagePresenter;
class MessageBoxDialog;
class AboutDialog;

// What the main window needs from the outside world; tests pass fakes.
struct MainWindowDeps {
    QString programDir;
    state::UserPaths paths;
    platform::Clock &clock;
    platform::ProfileStore &settingsStore;
    platform::VendorChannel &vendor;
    platform::DiagnosticsLog &log;
    QString localeLanguageId;            // "0407" ...; empty for none
    bool rendererAvailable = true;       // the video widget can composite overlays
    MessagePresenter *presenter = nullptr;   // null: the program's own message dialog
};

// The ten main buttons, in row order.
enum MainButton {
    kConnectBtn = 0,
    kCaptureImageBtn,
    kSaveImageBtn,
    kEditorImageBtn,
    kDelViewVideoBtn,
    kRecordVideoBtn,
    kPlayVideoBtn,
    kImageProcessBtn,
    kPrinterImageBtn,
    kExitBtn,
    kMainButtonCount
};

// TMainForm: the main window. Owns the settings record, the shared flags, the language texts,
// the bridge channel and every control of the window; the features attach to it through the
// accessors and signals below.
class MainWindow final : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int kButtonWidth = 80;
    static constexpr int kButtonHeight = 60;
    static constexpr int kClientWidth = 800;
    static constexpr int kClientHeight = 556;   // below the menu bar

    explicit MainWindow(MainWindowDeps deps, QWidget *parent = nullptr);
    ~MainWindow() override;

    // --- State shared with the features ---
    state::AppFlags &flags() { return flags_; }
    state::DefaultData &defData() { return defData_; }
    state::ListPaths &curListPath() { return curListPath_; }
    const state::UserPaths &paths() const { return deps_.paths; }
    const QString &programDir() const { return deps_.programDir; }
    const LanguageTexts &texts() const { return texts_; }
    platform::DiagnosticsLog &log() { return deps_.log; }
    platform::Clock &clock() { return deps_.clock; }
    bridge::EETI_com *eetiCom() { return eetiCom_.get(); }

    // --- Shell operations ---
    // ShowMessageBox with the texts of two language keys. Returns kResultOk or kResultCancel.
    int ShowMessageBox(const QString &textKey, const QString &captionKey, bool withCancel, int icon);
    int ShowMessageText(const QString &text, const QString &caption, bool withCancel, int icon);
    void SysInfoUserSet();
    bool CheckPhotoDate();
    void UpdateInterface(const QString &language);
    bool CheckLanguageExist(const QString &name) const;
    QString GetLocaleLanguage() const;
    void SetCheckedLang(const QString &language);

    // --- Controls the features use ---
    QWidget *videoArea() const { return videoArea_; }
    QWidget *stillArea() const { return stillArea_; }
    QWidget *coverPanel() const { return coverPanel_; }
    QLabel *deviceLabel() const { return deviceLabel_; }
    QPushButton *mainButton(MainButton b) const { return buttons_[b]; }
    QLabel *greyPicture(MainButton b) const { return greyPictures_[b]; }
    QMenu *devicesMenu() const { return devicesMenu_; }
    QAction *action(const QString &name) const;
    QToolBar *toolBar(const QString &name) const;
    QTabWidget *pageControl() const { return pageControl_; }
    library::ui::ThumbnailBrowserWidget *browser() const { return browser_; }
    imaging::ui::StillImageView *stillView() const { return still_; }
    library::CaptureCounter &captureCounter() { return *counter_; }
    int jpegQuality() const;

    // --- Captures ---
    // Names and stores a still picture; true when a file was written. `prefix` carries a burnt-in
    // scale's lengths. A write the disk refuses is reported to the user, never taken as saved.
    bool Save_ImageFile(const platform::Bitmap &picture, const QString &prefix = {});
    // A snapshot arrived: show it as the still image, then save it when auto save is on.
    void CaptureImageCom(const platform::Bitmap &picture);
    // Deletes the file of the picture shown, to the trash, after asking.
    void DeleteImage();
    // Opens a picture file into the still-image area (after the unsaved-edits question).
    void openPicture(const QString &path, int filterIndex = 0);
    void OpenFileClick();
    // Frame 30 of a video for its thumbnail; the player answers it once it exists.
    std::function<std::optional<platform::Bitmap>(const QString &, int)> grabVideoFrame =
        [](const QString &, int) { return std::optional<platform::Bitmap>(); };
    // Plays a video file (PlayerVideoCom); the player answers it.
    std::function<void(const QString &)> playVideoFile = [](const QString &) {};
    // Leaves the player (before a deletion of a video).
    std::function<void()> leavePlayer = [] {};
    // Hands the still picture to the image viewer (presets other than "Normal").
    std::function<void()> showInViewer = [] {};
    // The timed-capture state the saving reads.
    std::function<bool()> timedStillsRunning = [] { return false; };
    QTimer *listTimer() const { return listTimer_; }

    // Shows the cover over the video area (no live picture) or takes it away.
    void showCover(bool shown);
    // The device-status label: DeviceToFound_Lab or DeviceNotToFound_Lab.
    void LabLanguage_CaptionSet();
    // Loads a picture from the button folder into a main button and sets its hint by key.
    void setButtonPicture(MainButton b, const QString &picture, const QString &hintKey);
    void BtnLanguage_HintSet();
    // Captions and hints of every named control from the loaded texts, without reading the file
    // again: for controls the features add after the window was built.
    void applyTexts();
    QString buttonPicturePath(const QString &picture) const;
    // Gives every named tool button without a picture its picture from Bitmap/ToolBar/, for the
    // tool bars the features fill after the window was built.
    void loadToolButtonPictures();

    // Exit button / menu: the two questions, then close.
    void ExitRequested();
    // Unsaved edits in the still-image area; the editor answers once it exists.
    std::function<bool()> stillHasUnsavedEdits = [] { return false; };
    std::function<void()> saveStillImage = [] {};
    // Repaints the live video after the window was covered; false when that failed.
    std::function<bool()> repaintVideo = [] { return true; };
    void ReattachVideo();

    // The idle-time update: recomputes every control from the flags.
    void UpdateActions();
    // Facts the idle-time update reads from the features; each answers once its feature exists.
    struct Probes {
        std::function<bool()> canSnapShot = [] { return false; };
        std::function<bool()> stillEmpty = [] { return true; };
        std::function<bool()> frameLockedOrLoaded = [] { return false; };
        std::function<bool()> shapeInProgress = [] { return false; };
        std::function<bool()> undoAvailable = [] { return false; };
        std::function<bool()> redoAvailable = [] { return false; };
        std::function<bool()> playerAtEnd = [] { return false; };
        std::function<bool()> compareImageAssigned = [] { return false; };
        std::function<bool()> timedCaptureRunning = [] { return false; };
        std::function<bool()> vid2ImgRunning = [] { return false; };
        std::function<bool()> toolStatusOpen = [] { return false; };
    } probes;
    ActionInputs actionInputs() const;

    // --- Modes and presets ---
    // The live-mode buttons below the video.
    void ChangeModeTB_Click(int mode);
    void ChangeModeTB_ChangeReset(int newMode);
    // Back to the start: compare down, drawing tool bar states released.
    void resetModeButtons();
    // Applies a window-size preset (the menu handlers).
    void applyPreset(int preset);
    // The camera's picture size, for "By Resolution".
    QSize cameraResolution = QSize(640, 480);
    // The screen the presets are judged against; tests set it.
    QSize screenSize() const;
    std::function<QSize()> screenSizeOverride;
    void updatePresetAvailability();
    // Hooks of the features entered by the mode buttons.
    std::function<void(int mode)> enterLiveMode = [](int) {};
    std::function<void(int oldMode, int newMode)> leaveLiveMode = [](int, int) {};
    std::function<void()> videoAreaChanged = [] {};
    // The still-image modes: the editor and the filters exclude each other.
    void EditorImage_BtnClick();
    void ImageProcess_BtnClick();
    void leaveEditMode();
    void leaveImageProcessMode();
    // Releases memory after a memory-hungry mode ends.
    void MemoryTrim();
    int snapshotKeyPresses() const { return snapshotKeyPresses_; }
    bool firstActivationDone() const { return firstActivationDone_; }

Q_SIGNALS:
    void connectButtonClicked();
    void captureButtonClicked();
    void recordButtonClicked();
    void playButtonClicked();
    // Close sequence step: end the player and the capture session, finish a recording.
    void closingSession();
    // Every 400 ms while the program is not closing.
    void listTimerTick();
    void languageChanged();
    void jpegQualityChanged(int quality);
    // A window-size preset was chosen from the menu or by its short cut.
    void presetRequested(int preset);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildMainButtons();
    void buildVideoAndStillAreas();
    void buildToolBars();
    void buildLibraryPages();
    void InitialRun();
    void LoadUserSettings();
    void onLanguageItem(const QString &language);
    void showAbout();
    void onListTimer();
    void applyActionState(const ActionState &state);
    QObject *control(const QString &name) const;
    void layOutButtons(const ButtonLayout &layout);
    bool handleKey(QKeyEvent *event);
    void connectCaptureActions();
    QAction *addAction(QMenu *menu, const char *name, QKeySequence shortcut = {});

    MainWindowDeps deps_;
    MessagePresenter *presenter_ = nullptr;
    std::unique_ptr<MessageBoxDialog> ownDialog_;
    std::unique_ptr<AboutDialog> about_;
    std::unique_ptr<bridge::EETI_com> eetiCom_;
    std::unique_ptr<library::SystemTrash> trash_;
    std::unique_ptr<library::CaptureCounter> counter_;
    std::unique_ptr<library::CaptureSaver> saver_;
    std::unique_ptr<library::JpegQuality> jpegQuality_;
    library::ui::ThumbnailBrowserWidget *browser_ = nullptr;
    imaging::ui::StillImageView *still_ = nullptr;
    state::AppFlags flags_;
    state::DefaultData defData_;
    state::ListPaths curListPath_;
    LanguageTexts texts_;
    QString commonLanguage_;
    int fontCharset_ = 0;

    std::array<QPushButton *, kMainButtonCount> buttons_{};
    std::array<QLabel *, kMainButtonCount> greyPictures_{};
    std::array<QString, kMainButtonCount> buttonHintKeys_{};
    QWidget *central_ = nullptr;
    QWidget *videoArea_ = nullptr;
    QWidget *coverPanel_ = nullptr;
    QLabel *coverImage_ = nullptr;
    QLabel *deviceLabel_ = nullptr;
    QWidget *stillArea_ = nullptr;
    QLabel *logoImage_ = nullptr;
    QPushButton *returnButton_ = nullptr;
    QLabel *returnGrey_ = nullptr;
    QTabWidget *pageControl_ = nullptr;
    QMenu *devicesMenu_ = nullptr;
    QMenu *popupVideo_ = nullptr;
    QActionGroup *languageGroup_ = nullptr;
    QActionGroup *presetGroup_ = nullptr;
    QTimer *listTimer_ = nullptr;
    bool firstActivationDone_ = false;
    QWidget *coverLayer_ = nullptr;
    mutable QHash<QString, QPointer<QObject>> controls_;
    int keyHeld_ = 0;
    int snapshotKeyPresses_ = 0;
    bool wasMaximised_ = false;
    QSize appliedResolution_;
    QSize lastScreen_;
    bool updatingActions_ = false;
};

} // namespace app::ui
