#include "mainwindow.h"

#include "aboutdialog.h"
#include "messageboxdialog.h"
#include "toolbartable.h"

#include "bridge/eeticom.h"
#include "imaging/ui/stillimageview.h"
#include "library/capturenumber.h"
#include "library/capturesaver.h"
#include "library/jpegquality.h"
#include "library/openfile.h"
#include "library/trash.h"
#include "library/ui/savedialogs.h"
#include "library/ui/thumbnailbrowserwidget.h"
#include "platform/picturecodec.h"
#include "platform/clock.h"
#include "platform/diagnosticslog.h"
#include "platform/process.h"
#include "platform/profilestore.h"

#include <QAbstractEventDispatcher>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLinearGradient>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace app::ui {
namespace {

// Which text a named control takes from the language file.
const char *const kLangKind = "sendraLangKind";
constexpr int kCaption = 1;
constexpr int kHint = 2;

struct ButtonSpec {
    const char *name;
    const char *picture;
    const char *hintKey;
};
constexpr ButtonSpec kButtons[kMainButtonCount] = {
    {"Connect_Btn", "connect.bmp", "Connect_Btn"},
    {"CaptureImage_Btn", "capture.bmp", "CaptureImage_Btn"},
    {"SaveImage_Btn", "Save.bmp", "SaveImage_Btn"},
    {"EditorImage_Btn", "edit.bmp", "EditorImage_Btn"},
    {"DelViewVideo_Btn", "delete.bmp", "DelViewVideo_Btn"},
    {"RecordVideo_Btn", "videorecord.bmp", "RecordVideo_Btn"},
    {"PlayVideo_Btn", "playvideo.bmp", "PlayVideo_Btn"},
    {"ImageProcess_Btn", "imageprocess.bmp", "ImageProcess_Btn"},
    {"PrinterImage_Btn", "printer.bmp", "PrinterImage_Btn"},
    {"Exit_Btn", "exit.bmp", "Exit_Btn"},
};

QString greyName(const QString &picture)
{
    QString grey = picture;
    grey.insert(grey.lastIndexOf(u'.'), QStringLiteral("_Gray"));
    return grey;
}

// The picture under the cover panel while no live video runs: a quiet gradient with the
// program's emblem, drawn here so it scales to any video area.
QPixmap coverPicture(QSize size, const QString &emblemPath)
{
    QPixmap pm(size);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0x3B, 0x4B, 0x55));
    g.setColorAt(1, QColor(0x1E, 0x27, 0x2C));
    p.fillRect(pm.rect(), g);
    const QPixmap emblem(emblemPath);
    if (!emblem.isNull()) {
        const int side = std::min(size.width(), size.height()) / 3;
        p.setOpacity(0.85);
        p.drawPixmap(QRect((size.width() - side) / 2, size.height() / 2 - side + 10, side, side), emblem);
    }
    return pm;
}

} // namespace

MainWindow::MainWindow(MainWindowDeps deps, QWidget *parent) : QMainWindow(parent), deps_(std::move(deps))
{
    setObjectName(QStringLiteral("TMainForm"));
    if (deps_.presenter) {
        presenter_ = deps_.presenter;
    } else {
        ownDialog_ = std::make_unique<MessageBoxDialog>(deps_.programDir);
        presenter_ = ownDialog_.get();
    }

    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("MainClient"));
    central_->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(central_);
    buildMenus();

    // 1. Size and centre.
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    }

    // 2. Video area, cover, device label, return button.
    buildVideoAndStillAreas();
    buildMainButtons();
    // 3. Button pictures.
    InitialRun();
    buildToolBars();
    buildLibraryPages();
    // The cover layer hides the still image and the library in the single-window presets.
    coverLayer_ = new QWidget(central_);
    coverLayer_->setObjectName(QStringLiteral("CoverLayer"));
    coverLayer_->setAutoFillBackground(true);
    coverLayer_->setGeometry(central_->rect());
    coverLayer_->hide();

    // 5. Ten languages offered; Portuguese is hidden and so can neither be chosen nor detected.
    action(QStringLiteral("Lang_Portuguese"))->setVisible(false);

    // 6.-13. Folders, settings and the language.
    setWindowTitle(QStringLiteral("Sendra-CAM Viewer"));
    for (const QString &failed : state::createUserFolders(deps_.paths))
        deps_.log.append(QStringLiteral("Cannot create folder ") + failed);
    LoadUserSettings();
    counter_ = std::make_unique<library::CaptureCounter>(defData_, deps_.clock, [this] { SysInfoUserSet(); }, &deps_.log);
    saver_ = std::make_unique<library::CaptureSaver>(*counter_, deps_.log);
    jpegQuality_ = std::make_unique<library::JpegQuality>();
    // 14. The library's first page.
    browser_->FileList(state::kListJpg);
    connectCaptureActions();

    // 15. Mode tool bars wait below the video, hidden.
    for (const char *name : {"Compare_ToolBar", "Cross_ToolBar", "VideoCtrl_ToolBar", "DrawRuler_ToolBar", "MideaPlay_ToolBar"}) {
        QToolBar *bar = toolBar(QLatin1String(name));
        bar->move(0, 364);
        bar->hide();
    }
    QToolBar *change = toolBar(QStringLiteral("ChangeMode_ToolBar"));
    change->setGeometry(300, 392, 100, change->sizeHint().height());
    change->hide();
    action(QStringLiteral("NDash5"))->setVisible(false);
    action(QStringLiteral("NDevCtrlToolbar"))->setVisible(false);

    // 4. The presets this screen can hold.
    updatePresetAvailability();
    connect(returnButton_, &QPushButton::clicked, this, [this] { applyPreset(state::kPresetNormal); });
    for (const auto &[name, mode] : {std::pair{"ChangeModeTB_Compare", state::kLiveCompare}, std::pair{"ChangeModeTB_Cross", state::kLiveCross},
                                     std::pair{"ChangeModeTB_VideoCtrl", state::kLiveVideoCtrl}, std::pair{"ChangeModeTB_Draw", state::kLiveDraw}})
        if (auto *b = findChild<QToolButton *>(QLatin1String(name)))
            connect(b, &QToolButton::clicked, this, [this, mode] { ChangeModeTB_Click(mode); });
    qApp->installEventFilter(this);

    // 16. Whether overlays can be composited on the video.
    flags_.VmrAvailable = deps_.rendererAvailable;

    // The creation event: the bridge channel and the program icon.
    eetiCom_ = std::make_unique<bridge::EETI_com>(deps_.vendor);
    const QIcon icon(deps_.programDir + QStringLiteral("/Bitmap/Icon.ico"));
    setWindowIcon(icon);
    LabLanguage_CaptionSet();

    listTimer_ = new QTimer(this);
    listTimer_->setObjectName(QStringLiteral("ListImage_Timer"));
    listTimer_->setInterval(400);
    connect(listTimer_, &QTimer::timeout, this, &MainWindow::onListTimer);
    listTimer_->start();

    stillHasUnsavedEdits = [this] { return still_->hasUnsavedEdits(); };
    saveStillImage = [this] { Save_ImageFile(still_->picture()); };
    probes.stillEmpty = [this] { return still_->isEmpty(); };

    // The idle-time update runs whenever the event queue empties.
    if (QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance())
        connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &MainWindow::UpdateActions);
}

MainWindow::~MainWindow() = default;

QAction *MainWindow::addAction(QMenu *menu, const char *name, QKeySequence shortcut)
{
    auto *a = new QAction(this);
    a->setObjectName(QLatin1String(name));
    a->setProperty(kLangKind, kCaption);
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    menu->addAction(a);
    return a;
}

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto topMenu = [&](const char *name) {
        QMenu *m = bar->addMenu(QString());
        m->setObjectName(QLatin1String(name) + QStringLiteral("_Menu"));
        m->menuAction()->setObjectName(QLatin1String(name));
        m->menuAction()->setProperty(kLangKind, kCaption);
        return m;
    };
    auto subMenu = [&](QMenu *parent, const char *name) {
        QMenu *m = parent->addMenu(QString());
        m->setObjectName(QLatin1String(name) + QStringLiteral("_Menu"));
        m->menuAction()->setObjectName(QLatin1String(name));
        m->menuAction()->setProperty(kLangKind, kCaption);
        return m;
    };

    QMenu *file = topMenu("File");
    addAction(file, "OpenFile", QKeySequence(Qt::CTRL | Qt::Key_O));
    addAction(file, "SaveFile", QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    addAction(file, "PrintSet");
    addAction(file, "PrintImage", QKeySequence(Qt::CTRL | Qt::Key_P));
    file->addSeparator();
    connect(addAction(file, "Exit", QKeySequence(Qt::CTRL | Qt::Key_E)), &QAction::triggered, this,
            &MainWindow::ExitRequested);

    QMenu *setting = topMenu("Setting");
    devicesMenu_ = subMenu(setting, "DevicesEnum");
    devicesMenu_->setEnabled(false);
    addAction(setting, "VideoFormat");
    addAction(setting, "VideoSource");
    addAction(setting, "VideoCompress");
    QMenu *quality = subMenu(setting, "JPG_Quality");
    auto *qualityGroup = new QActionGroup(this);
    for (const char *q : {"NHeight_Q", "NMiddle_Q", "NLow_Q"}) {
        QAction *a = addAction(quality, q);
        a->setCheckable(true);
        qualityGroup->addAction(a);
    }
    action(QStringLiteral("NMiddle_Q"))->setChecked(true);
    setting->addSeparator();
    QAction *autoSave = addAction(setting, "AutoSave");
    autoSave->setCheckable(true);
    connect(autoSave, &QAction::toggled, this, [this](bool on) { defData_.AutoSave = on; });
    QAction *mjpg = addAction(setting, "SetMJPGPreview");
    mjpg->setCheckable(true);
    connect(mjpg, &QAction::toggled, this, [this](bool on) { defData_.MJPG_2M = on; });

    QMenu *window = topMenu("WindowSize");
    presetGroup_ = new QActionGroup(this);
    struct Preset {
        const char *name;
        QKeySequence key;
    };
    const Preset presets[] = {{"NNormal_Screen", QKeySequence(Qt::CTRL | Qt::Key_N)},
                              {"N640_480_Screen", QKeySequence(Qt::CTRL | Qt::Key_F1)},
                              {"N800_600_Screen", QKeySequence(Qt::CTRL | Qt::Key_F2)},
                              {"N1024_768_Screen", QKeySequence(Qt::CTRL | Qt::Key_F3)},
                              {"N1280_800_Screen", QKeySequence(Qt::CTRL | Qt::Key_F4)},
                              {"N1280_960_Screen", QKeySequence(Qt::CTRL | Qt::Key_F5)},
                              {"N1600_1200_Screen", QKeySequence(Qt::CTRL | Qt::Key_F6)},
                              {"NFull_Screen_4_3", QKeySequence(Qt::CTRL | Qt::Key_F7)},
                              {"NFull_Screen", QKeySequence(Qt::CTRL | Qt::Key_F8)},
                              {"NBy_Resolution", QKeySequence(Qt::CTRL | Qt::Key_R)}};
    for (const Preset &p : presets) {
        QAction *a = addAction(window, p.name, p.key);
        a->setCheckable(true);
        presetGroup_->addAction(a);
    }
    QAction *dash5 = window->addSeparator();
    dash5->setObjectName(QStringLiteral("NDash5"));
    QAction *devCtrl = addAction(window, "NDevCtrlToolbar", QKeySequence(Qt::CTRL | Qt::Key_D));
    devCtrl->setCheckable(true);
    presetGroup_->addAction(devCtrl);
    // The item is hidden, and a hidden action takes no short cut; Ctrl+D must still choose it.
    auto *devCtrlKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    devCtrlKey->setObjectName(QStringLiteral("NDevCtrlToolbar_Shortcut"));
    devCtrlKey->setContext(Qt::ApplicationShortcut);
    connect(devCtrlKey, &QShortcut::activated, this, [this] { Q_EMIT presetRequested(state::kPresetDevCtrlToolbar); });
    for (int preset = state::kPresetNormal; preset <= state::kPresetDevCtrlToolbar; ++preset)
        connect(presetGroup_->actions().at(preset), &QAction::triggered, this,
                [this, preset] { Q_EMIT presetRequested(preset); });
    connect(this, &MainWindow::presetRequested, this, &MainWindow::applyPreset);
    action(QStringLiteral("NNormal_Screen"))->setChecked(true);

    QMenu *tool = topMenu("Tool");
    QMenu *director = subMenu(tool, "OpenDirector");
    addAction(director, "BmpDir", QKeySequence(Qt::CTRL | Qt::Key_B));
    addAction(director, "JpgDir", QKeySequence(Qt::CTRL | Qt::Key_J));
    addAction(director, "AviDir", QKeySequence(Qt::CTRL | Qt::Key_A));
    addAction(tool, "RestoreDefaultPath");
    tool->addSeparator();
    addAction(tool, "TimingCapture_Tool");
    addAction(tool, "Vid2Img_Tool");
    addAction(tool, "Img2Vid_Tool");
    addAction(tool, "InfoStatus_Tool");
    addAction(tool, "ImageViewer_Tool");

    QMenu *language = topMenu("Language");
    languageGroup_ = new QActionGroup(this);
    for (const state::LanguageInfo &l : state::languageTable()) {
        QAction *a = addAction(language, l.menuItem);
        a->setCheckable(true);
        languageGroup_->addAction(a);
        const QString name = QLatin1String(l.name);
        connect(a, &QAction::triggered, this, [this, name] { onLanguageItem(name); });
    }

    auto *about = new QAction(this);
    about->setObjectName(QStringLiteral("About"));
    about->setProperty(kLangKind, kCaption);
    bar->addAction(about);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);

    auto *magni = new QAction(this);
    magni->setObjectName(QStringLiteral("mmMagniShow"));
    magni->setEnabled(false);
    magni->setVisible(false);
    bar->addAction(magni);

    // The pop-up menu of the video area.
    popupVideo_ = new QMenu(this);
    popupVideo_->setObjectName(QStringLiteral("PopupMenu_Video"));
    for (const char *name : {"PopupVideoPlay", "PopupVideoPause", "PopupVideoStop", "PopupVideoRePlay"})
        addAction(popupVideo_, name)->setProperty(kLangKind, QVariant());
    popupVideo_->addSeparator()->setObjectName(QStringLiteral("PopupVideoDash1"));
    addAction(popupVideo_, "PopupVideoExit")->setProperty(kLangKind, QVariant());
}

void MainWindow::buildVideoAndStillAreas()
{
    videoArea_ = new QWidget(central_);
    videoArea_->setObjectName(QStringLiteral("VideoArea"));
    videoArea_->setGeometry(0, 64, 400, 300);
    videoArea_->setAutoFillBackground(true);
    QPalette black = videoArea_->palette();
    black.setColor(QPalette::Window, Qt::black);
    videoArea_->setPalette(black);

    coverPanel_ = new QWidget(central_);
    coverPanel_->setObjectName(QStringLiteral("CoverPanel"));
    coverPanel_->setGeometry(videoArea_->geometry());
    coverPanel_->setAutoFillBackground(true);
    QPalette highlight = coverPanel_->palette();
    highlight.setColor(QPalette::Window, palette().color(QPalette::Highlight));
    coverPanel_->setPalette(highlight);
    coverImage_ = new QLabel(coverPanel_);
    coverImage_->setObjectName(QStringLiteral("Image"));
    coverImage_->setGeometry(0, 0, 400, 300);
    coverImage_->setAlignment(Qt::AlignCenter);
    coverImage_->setPixmap(coverPicture(QSize(400, 300), deps_.programDir + QStringLiteral("/sendra-cam.png")));
    deviceLabel_ = new QLabel(coverPanel_);
    deviceLabel_->setObjectName(QStringLiteral("DeviceStatus_Lab"));
    deviceLabel_->setGeometry(200, 210, 200, 40);
    deviceLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    deviceLabel_->setAttribute(Qt::WA_TranslucentBackground);
    QFont labelFont = deviceLabel_->font();
    labelFont.setPointSize(10);
    deviceLabel_->setFont(labelFont);
    deviceLabel_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    deviceLabel_->setWordWrap(true);

    still_ = new imaging::ui::StillImageView(central_);
    still_->setGeometry(400, 64, 400, 300);
    stillArea_ = still_;
    logoImage_ = new QLabel(still_);
    logoImage_->setObjectName(QStringLiteral("LogoImage_RW"));
    logoImage_->setGeometry(0, 0, 400, 300);
    logoImage_->setAlignment(Qt::AlignCenter);
    logoImage_->setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPixmap emblem(deps_.programDir + QStringLiteral("/sendra-cam.png"));
    if (!emblem.isNull()) {
        QPixmap faint(96, 96);
        faint.fill(QColor(0xF4, 0xF4, 0xF4));
        QPainter p(&faint);
        p.setOpacity(0.25);
        p.drawPixmap(faint.rect(), emblem);
        logoImage_->setPixmap(faint);
    }
}

void MainWindow::buildMainButtons()
{
    for (int i = 0; i < kMainButtonCount; ++i) {
        const QRect slot(kButtonWidth * i, 0, kButtonWidth, kButtonHeight);
        auto *grey = new QLabel(central_);
        grey->setObjectName(QStringLiteral("Image%1_Bitbtn").arg(i + 1));
        grey->setGeometry(slot);
        greyPictures_[i] = grey;
        auto *b = new QPushButton(central_);
        b->setObjectName(QLatin1String(kButtons[i].name));
        b->setProperty(kLangKind, kCaption);
        b->setGeometry(slot);
        b->setIconSize(QSize(kButtonWidth, kButtonHeight));
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 0; }"
                                        "QPushButton:hover { border: 1px solid #8AA4B4; }"
                                        "QPushButton:pressed { padding-top: 2px; padding-left: 2px; }"));
        buttons_[i] = b;
        buttonHintKeys_[i] = QLatin1String(kButtons[i].hintKey);
    }
    connect(buttons_[kConnectBtn], &QPushButton::clicked, this, &MainWindow::connectButtonClicked);
    connect(buttons_[kCaptureImageBtn], &QPushButton::clicked, this, &MainWindow::captureButtonClicked);
    connect(buttons_[kRecordVideoBtn], &QPushButton::clicked, this, &MainWindow::recordButtonClicked);
    connect(buttons_[kPlayVideoBtn], &QPushButton::clicked, this, &MainWindow::playButtonClicked);
    connect(buttons_[kExitBtn], &QPushButton::clicked, this, &MainWindow::ExitRequested);

    returnGrey_ = new QLabel(central_);
    returnGrey_->setObjectName(QStringLiteral("ReturnMain_Image"));
    returnGrey_->hide();
    returnButton_ = new QPushButton(central_);
    returnButton_->setObjectName(QStringLiteral("ReturnMain_Btn"));
    returnButton_->setIconSize(QSize(kButtonWidth, kButtonHeight));
    returnButton_->setFlat(true);
    returnButton_->setStyleSheet(buttons_[0]->styleSheet());
    returnButton_->hide();
}

QString MainWindow::buttonPicturePath(const QString &picture) const
{
    return deps_.programDir + QStringLiteral("/Bitmap/MainButton/") + picture;
}

void MainWindow::InitialRun()
{
    for (int i = 0; i < kMainButtonCount; ++i) {
        const QString picture = QLatin1String(kButtons[i].picture);
        buttons_[i]->setIcon(QIcon(QPixmap(buttonPicturePath(picture))));
        greyPictures_[i]->setPixmap(QPixmap(buttonPicturePath(greyName(picture))));
    }
    returnButton_->setIcon(QIcon(QPixmap(buttonPicturePath(QStringLiteral("returntomain.bmp")))));
    returnGrey_->setPixmap(QPixmap(buttonPicturePath(QStringLiteral("returntomain_Gray.bmp"))));
}

void MainWindow::loadToolButtonPictures()
{
    const QString dir = deps_.programDir + QStringLiteral("/Bitmap/ToolBar/");
    for (QToolButton *tb : central_->findChildren<QToolButton *>()) {
        if (tb->objectName().isEmpty() || !tb->icon().isNull())
            continue;
        const QPixmap pm(dir + tb->objectName() + QStringLiteral(".bmp"));
        if (pm.isNull())
            continue;
        tb->setIcon(QIcon(pm));
        tb->setIconSize(QSize(24, 24));
        tb->setAutoRaise(true);
    }
}

void MainWindow::setButtonPicture(MainButton b, const QString &picture, const QString &hintKey)
{
    buttons_[b]->setIcon(QIcon(QPixmap(buttonPicturePath(picture))));
    buttonHintKeys_[b] = hintKey;
    buttons_[b]->setToolTip(texts_.text(hintKey));
}

void MainWindow::buildToolBars()
{
    const QString iconDir = deps_.programDir + QStringLiteral("/Bitmap/ToolBar/");
    for (const ToolBarLayout &layout : toolBarTable()) {
        auto *bar = new QToolBar(central_);
        bar->setObjectName(QLatin1String(layout.name));
        bar->setIconSize(QSize(24, 24));
        bar->setMovable(false);
        bar->setFloatable(false);
        // Over the video in the small single-window presets: keep the bar's own background.
        bar->setAutoFillBackground(true);
        bar->setStyleSheet(QStringLiteral("QToolBar { spacing: 1px; padding: 0px; border: none; }"
                                          "QToolButton { padding: 1px; }"));
        for (const ToolControl &c : layout.controls) {
            const QString name = QLatin1String(c.name);
            switch (c.kind) {
            case ControlKind::Separator:
                bar->addSeparator();
                break;
            case ControlKind::Button:
            case ControlKind::CheckButton: {
                auto *tb = new QToolButton(bar);
                tb->setObjectName(name);
                tb->setProperty(kLangKind, kHint);
                tb->setIcon(QIcon(QPixmap(iconDir + name + QStringLiteral(".bmp"))));
                tb->setIconSize(QSize(24, 24));
                tb->setAutoRaise(true);
                tb->setCheckable(c.kind == ControlKind::CheckButton);
                bar->addWidget(tb);
                break;
            }
            case ControlKind::ComboBox: {
                auto *cb = new QComboBox(bar);
                cb->setObjectName(name);
                cb->setProperty(kLangKind, kHint);
                cb->setFixedWidth(64);
                bar->addWidget(cb);
                break;
            }
            case ControlKind::TrackBar: {
                auto *s = new QSlider(Qt::Horizontal, bar);
                s->setObjectName(name);
                s->setProperty(kLangKind, kHint);
                s->setFixedWidth(70);
                s->setEnabled(false);
                bar->addWidget(s);
                break;
            }
            case ControlKind::ScrollBar: {
                auto *s = new QScrollBar(Qt::Horizontal, bar);
                s->setObjectName(name);
                s->setProperty(kLangKind, kHint);
                s->setFixedWidth(64);
                bar->addWidget(s);
                break;
            }
            case ControlKind::Unknown:
                break;
            }
        }
        bar->adjustSize();
        bar->hide();
    }
    // The four live-mode buttons are one group: exactly one is down, compare at start. Their
    // bar is 100 pixels wide, so its pictures are drawn a little smaller.
    QToolBar *change = toolBar(QStringLiteral("ChangeMode_ToolBar"));
    change->setIconSize(QSize(18, 18));
    change->setContentsMargins(0, 0, 0, 0);
    if (change->layout()) {
        change->layout()->setContentsMargins(0, 0, 0, 0);
        change->layout()->setSpacing(0);
    }
    for (QToolButton *tb : change->findChildren<QToolButton *>()) {
        tb->setIconSize(QSize(18, 18));
        tb->setFixedSize(24, 24);
    }
    auto *group = new QButtonGroup(change);
    group->setExclusive(true);
    for (QToolButton *tb : change->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly))
        if (!tb->objectName().isEmpty())
            group->addButton(tb);
    if (auto *compare = change->findChild<QToolButton *>(QStringLiteral("ChangeModeTB_Compare")))
        compare->setChecked(true);
}

void MainWindow::buildLibraryPages()
{
    trash_ = std::make_unique<library::SystemTrash>(deps_.log);
    library::ui::ThumbnailBrowserDeps bd{curListPath_, deps_.paths.defListPath, deps_.log, *trash_};
    bd.grabFrame = [this](const QString &path, int index) { return grabVideoFrame(path, index); };
    bd.recordingPicture = deps_.programDir + QStringLiteral("/Bitmap/ShowMap/Recording.bmp");
    bd.showMessageBox = [this](const QString &t, const QString &c, bool w, int i) { return ShowMessageBox(t, c, w, i); };
    bd.text = [this](const QString &key) { return texts_.text(key); };
    bd.pageChangeBlocked = [this] { return probes.timedCaptureRunning() || probes.vid2ImgRunning(); };
    browser_ = new library::ui::ThumbnailBrowserWidget(std::move(bd), central_);
    browser_->setGeometry(0, 420, kClientWidth, kClientHeight - 420);
    pageControl_ = browser_;
    connect(browser_, &library::ui::ThumbnailBrowserWidget::pictureOpenRequested, this,
            [this](const QString &path) { openPicture(path); });
    connect(browser_, &library::ui::ThumbnailBrowserWidget::videoPlayRequested, this,
            [this](const QString &path) { playVideoFile(path); });
    connect(
        browser_, &library::ui::ThumbnailBrowserWidget::videoDeletionStarting, this,
        [this] {
            if (flags_.VideoPlaying)
                leavePlayer();
        },
        Qt::DirectConnection);
    connect(browser_, &library::ui::ThumbnailBrowserWidget::stillImageReset, this, [this] {
        still_->clear();
        leaveEditMode();
        leaveImageProcessMode();
    });
    connect(browser_, &library::ui::ThumbnailBrowserWidget::pageChanged, this, [this](int) { MemoryTrim(); });
    connect(this, &MainWindow::listTimerTick, browser_, &library::ui::ThumbnailBrowserWidget::updatePageLabel);
    connect(this, &MainWindow::languageChanged, browser_, &library::ui::ThumbnailBrowserWidget::applyTexts);
}

QAction *MainWindow::action(const QString &name) const
{
    // Menu items live on the window; menus' own items are found through their menu action.
    if (auto *a = findChild<QAction *>(name))
        return a;
    return nullptr;
}

QToolBar *MainWindow::toolBar(const QString &name) const { return central_->findChild<QToolBar *>(name); }

// ---------------------------------------------------------------------------------------------
// Settings and languages

void MainWindow::LoadUserSettings()
{
    state::SettingsEnvironment env{deps_.settingsStore,
                            deps_.paths,
                            state::shortDateText(deps_.clock.today()),
                            GetLocaleLanguage(),
                            [this](const QString &name) { return CheckLanguageExist(name); },
                            [](const QString &folder) { return QFileInfo(folder).isDir(); }};
    state::LoadedSettings loaded = state::loadUserSettings(env);
    defData_ = loaded.data;
    curListPath_ = loaded.curListPath;
    for (const QString &key : loaded.writes)
        deps_.log.append(QStringLiteral("Settings written: ") + key);

    // 9. Menu marks follow the record.
    action(QStringLiteral("AutoSave"))->setChecked(defData_.AutoSave);
    action(QStringLiteral("SetMJPGPreview"))->setChecked(defData_.MJPG_2M);

    // The stored language is applied even when it is the record's own, so start-up always
    // builds the interface.
    commonLanguage_.clear();
    UpdateInterface(loaded.language);
}

bool MainWindow::CheckLanguageExist(const QString &name) const
{
    for (const state::LanguageInfo &l : state::languageTable())
        if (name == QLatin1String(l.name)) {
            const QAction *a = action(QLatin1String(l.menuItem));
            return a && a->isVisible();
        }
    return false;
}

QString MainWindow::GetLocaleLanguage() const
{
    return state::localeLanguage(deps_.localeLanguageId, [this](const QString &name) { return CheckLanguageExist(name); });
}

void MainWindow::SetCheckedLang(const QString &language)
{
    for (const state::LanguageInfo &l : state::languageTable())
        if (language == QLatin1String(l.name))
            action(QLatin1String(l.menuItem))->setChecked(true);
}

bool MainWindow::CheckPhotoDate() { return state::checkPhotoDate(defData_, state::shortDateText(deps_.clock.today())); }

void MainWindow::SysInfoUserSet()
{
    if (!deps_.settingsStore.write(state::settingsEntries(defData_, curListPath_)))
        deps_.log.append(QStringLiteral("Cannot write ") + deps_.paths.settingsFile());
}

void MainWindow::onLanguageItem(const QString &language)
{
    if (language == commonLanguage_) {
        SetCheckedLang(commonLanguage_);
        return;
    }
    if (!QFileInfo::exists(LanguageTexts::filePath(deps_.programDir, language))) {
        // Keep the working interface rather than blanking every text.
        deps_.log.append(QStringLiteral("Language file missing: ") + LanguageTexts::filePath(deps_.programDir, language));
        SetCheckedLang(commonLanguage_);
        ShowMessageBox(QStringLiteral("LanguageFileMissing_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false,
                       kIconError);
        return;
    }
    UpdateInterface(language);
}

void MainWindow::UpdateInterface(const QString &language)
{
    // 1. The language file; at start a missing one falls back to English, then to empty texts,
    //    so the program always comes up.
    if (auto loaded = LanguageTexts::load(deps_.programDir, language)) {
        texts_ = std::move(*loaded);
    } else {
        deps_.log.append(QStringLiteral("Language file missing: ") + LanguageTexts::filePath(deps_.programDir, language));
        if (auto english = LanguageTexts::load(deps_.programDir, QStringLiteral("English")))
            texts_ = std::move(*english);
        else
            texts_ = LanguageTexts();
    }
    // 2. Menu mark and the current language.
    SetCheckedLang(language);
    const bool changed = language != defData_.Language;
    commonLanguage_ = language;
    defData_.Language = language;

    // 3. Font.
    if (const auto charset = texts_.fontCharset()) {
        fontCharset_ = *charset;
    } else {
        deps_.log.append(QStringLiteral("Font->Charset is not a number in ") + language);
    }
    QFont f = QApplication::font();
    const QString family = texts_.fontName();
    if (!family.isEmpty() && QFontDatabase::hasFamily(family))
        f.setFamily(family);
    setFont(f);

    // 4. Title.
    setWindowTitle(QStringLiteral("Sendra-CAM Viewer"));
    // 5.-6. Every named control by its class.
    applyTexts();
    // 7. The return button.
    returnButton_->setToolTip(texts_.caption(QStringLiteral("NNormal_Screen")));
    returnGrey_->setToolTip(returnButton_->toolTip());
    // 8. Records: texts are looked up by key when shown; the main buttons and label now.
    BtnLanguage_HintSet();
    LabLanguage_CaptionSet();
    if (ownDialog_)
        ownDialog_->setButtonTexts(texts_.text(QStringLiteral("OKBtn_Dlg")), texts_.text(QStringLiteral("CancelBtn_Dlg")));
    if (about_)
        about_->applyTexts(texts_, deps_.programDir + QStringLiteral("/sendra-cam.png"));
    // 10.-12. Open windows and the measurement texts follow.
    if (changed)
        deps_.log.append(QStringLiteral("Language changed to ") + language);
    Q_EMIT languageChanged();
}

void MainWindow::applyTexts()
{
    // Menu items take their captions; named controls take captions or hints by their class.
    for (QAction *a : findChildren<QAction *>()) {
        if (a->objectName().isEmpty() || a->isSeparator())
            continue;
        if (a->property(kLangKind).toInt() == kCaption || a->objectName().startsWith(u"PopupVideo"))
            a->setText(texts_.caption(a->objectName()));
    }
    for (QWidget *w : central_->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(u"qt_"))
            continue;
        if (qobject_cast<QToolButton *>(w) || qobject_cast<QSlider *>(w) || qobject_cast<QScrollBar *>(w)
            || qobject_cast<QComboBox *>(w)) {
            w->setToolTip(texts_.hint(name));
        } else if (auto *b = qobject_cast<QPushButton *>(w)) {
            b->setText(QString());
            b->setText(texts_.caption(name));
        }
    }
    for (int i = 0; i < pageControl_->count(); ++i)
        pageControl_->setTabText(i, texts_.caption(pageControl_->widget(i)->objectName()));
}

void MainWindow::BtnLanguage_HintSet()
{
    for (int i = 0; i < kMainButtonCount; ++i) {
        const QString hint = texts_.text(buttonHintKeys_[i]);
        buttons_[i]->setToolTip(hint);
        greyPictures_[i]->setToolTip(texts_.text(QLatin1String(kButtons[i].hintKey)));
    }
}

void MainWindow::LabLanguage_CaptionSet()
{
    deviceLabel_->setText(texts_.text(flags_.DeviceFound ? QStringLiteral("DeviceToFound_Lab")
                                                         : QStringLiteral("DeviceNotToFound_Lab")));
}

// ---------------------------------------------------------------------------------------------
// Messages, exit and close

int MainWindow::ShowMessageText(const QString &text, const QString &caption, bool withCancel, int icon)
{
    if (ownDialog_)
        ownDialog_->setButtonTexts(texts_.text(QStringLiteral("OKBtn_Dlg")), texts_.text(QStringLiteral("CancelBtn_Dlg")));
    return presenter_->show(text, caption, withCancel, icon);
}

int MainWindow::ShowMessageBox(const QString &textKey, const QString &captionKey, bool withCancel, int icon)
{
    return ShowMessageText(texts_.text(textKey), texts_.text(captionKey), withCancel, icon);
}

void MainWindow::showAbout()
{
    if (!about_)
        about_ = std::make_unique<AboutDialog>(this);
    about_->applyTexts(texts_, deps_.programDir + QStringLiteral("/sendra-cam.png"));
    about_->adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->geometry();
        about_->move(r.x() + (r.width() - about_->width()) / 2, r.y() + (r.height() - about_->height()) / 2);
    }
    about_->exec();
}

void MainWindow::ExitRequested()
{
    // WhetherSaveImageMessage: only the "Normal" layout shows the still image.
    if (flags_.SizePreset == state::kPresetNormal || flags_.ViewerOpen) {
        if (stillHasUnsavedEdits()
            && ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                              kIconQuestion)
                   == kResultOk)
            saveStillImage();
    }
    if (ShowMessageBox(QStringLiteral("WhetherExitQuila_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                       kIconAttention)
        != kResultOk)
        return;
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (flags_.IsClosing) {
        event->accept();
        return;
    }
    // The close sequence: nothing is asked here; every way of closing ends the same way.
    flags_.IsClosing = true;
    SysInfoUserSet();
    Q_EMIT closingSession();
    listTimer_->stop();
    eetiCom_.reset();
    event->accept();
}

void MainWindow::showCover(bool shown)
{
    coverPanel_->setVisible(shown);
    if (shown)
        coverPanel_->raise();
}

void MainWindow::ReattachVideo()
{
    if (!flags_.VideoConnected && !flags_.VideoPlaying && !flags_.VideoRecording)
        return;
    if (repaintVideo())
        return;
    // The picture cannot be shown any more: stop what runs rather than show a dead window.
    const bool connected = flags_.VideoConnected, playing = flags_.VideoPlaying, recording = flags_.VideoRecording;
    if (connected)
        Q_EMIT connectButtonClicked();
    if (playing)
        Q_EMIT playButtonClicked();
    if (recording)
        Q_EMIT recordButtonClicked();
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange && !flags_.IsClosing) {
        auto *change = static_cast<QWindowStateChangeEvent *>(event);
        const bool wasMax = change->oldState() & Qt::WindowMaximized;
        if (isMaximized() && !wasMax && flags_.SizePreset != state::kPresetFullScreen
            && flags_.SizePreset != state::kPresetFullScreen4x3)
            QTimer::singleShot(0, this, [this] { applyPreset(state::kPresetFullScreen); });
        else if (!isMaximized() && !isMinimized() && wasMax)
            QTimer::singleShot(0, this, [this] { applyPreset(state::kPresetNormal); });
    }
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        ReattachVideo();
        if (!firstActivationDone_) {
            firstActivationDone_ = true;
            if (!flags_.VmrAvailable)
                QTimer::singleShot(0, this, [this] {
                    ShowMessageBox(QStringLiteral("NoSupportVMR_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), false,
                                   kIconAttention);
                });
        }
    }
    QMainWindow::changeEvent(event);
}

bool MainWindow::event(QEvent *event) { return QMainWindow::event(event); }

void MainWindow::onListTimer()
{
    if (flags_.IsClosing)
        return;
    if (screenSize() != lastScreen_)
        updatePresetAvailability();
    Q_EMIT listTimerTick();
}

// ---------------------------------------------------------------------------------------------
// The idle-time update

ActionInputs MainWindow::actionInputs() const
{
    ActionInputs in;
    in.flags = flags_;
    in.stillEmpty = probes.stillEmpty();
    in.unsavedEdits = stillHasUnsavedEdits();
    in.canSnapShot = probes.canSnapShot();
    in.frameLockedOrLoaded = probes.frameLockedOrLoaded();
    // Found through the name cache: a tree search on every idle moment would cost more than the rules.
    auto *playerBar = qobject_cast<QWidget *>(control(QStringLiteral("MideaPlay_ToolBar")));
    in.playerBarShown = playerBar && !playerBar->isHidden();
    in.playerAtEnd = probes.playerAtEnd();
    in.compareImageAssigned = probes.compareImageAssigned();
    in.shapeInProgress = probes.shapeInProgress();
    in.undoAvailable = probes.undoAvailable();
    in.redoAvailable = probes.redoAvailable();
    auto down = [this](const char *name) {
        auto *b = qobject_cast<QAbstractButton *>(control(QLatin1String(name)));
        return b && b->isChecked();
    };
    in.overlapDown = down("DrawRulerTB_Overlap");
    in.brightnessDown = down("VideoCtrlTB_Brightness");
    in.contrastDown = down("VideoCtrlTB_Contrast");
    in.exposureDown = down("VideoCtrlTB_Exposure");
    in.crossShapeDown = {down("CrossTB_Cross"), down("CrossTB_Area"), down("CrossTB_Rect"), down("CrossTB_Circle")};
    in.pressedMode = down("ChangeModeTB_Cross") ? state::kLiveCross
                     : down("ChangeModeTB_VideoCtrl") ? state::kLiveVideoCtrl
                     : down("ChangeModeTB_Draw")      ? state::kLiveDraw
                                                      : state::kLiveCompare;
    in.timedCaptureRunning = probes.timedCaptureRunning();
    in.vid2ImgRunning = probes.vid2ImgRunning();
    in.toolStatusOpen = probes.toolStatusOpen();
    return in;
}

QObject *MainWindow::control(const QString &name) const
{
    auto it = controls_.constFind(name);
    if (it != controls_.cend() && *it)
        return *it;
    QObject *found = findChild<QObject *>(name);
    controls_.insert(name, found);
    return found;
}

void MainWindow::applyActionState(const ActionState &state)
{
    // Only what changed is touched, so an idle window costs a few lookups per pass.
    for (auto it = state.visible.cbegin(); it != state.visible.cend(); ++it) {
        QObject *o = control(it.key());
        if (auto *w = qobject_cast<QWidget *>(o)) {
            if (w->isVisibleTo(w->parentWidget() ? w->parentWidget() : w) != it.value() || w->isHidden() == it.value())
                w->setVisible(it.value());
        } else if (auto *a = qobject_cast<QAction *>(o); a && a->isVisible() != it.value()) {
            a->setVisible(it.value());
        }
    }
    for (auto it = state.enabled.cbegin(); it != state.enabled.cend(); ++it) {
        QObject *o = control(it.key());
        if (auto *w = qobject_cast<QWidget *>(o); w && w->isEnabled() != it.value())
            w->setEnabled(it.value());
        else if (auto *a = qobject_cast<QAction *>(o); a && a->isEnabled() != it.value())
            a->setEnabled(it.value());
    }
    for (auto it = state.checked.cbegin(); it != state.checked.cend(); ++it)
        if (auto *b = qobject_cast<QAbstractButton *>(control(it.key())); b && b->isChecked() != it.value())
            b->setChecked(it.value());
}

void MainWindow::UpdateActions()
{
    if (flags_.IsClosing || updatingActions_)
        return;
    updatingActions_ = true;
    applyActionState(computeActions(actionInputs()));
    updatingActions_ = false;
}

// ---------------------------------------------------------------------------------------------
// Live modes

void MainWindow::ChangeModeTB_ChangeReset(int newMode)
{
    leaveLiveMode(flags_.LiveMode, newMode);
}

void MainWindow::resetModeButtons()
{
    for (const char *name : {"DrawRulerTB_Overlap", "DrawRulerTB_LockFrame", "DrawRulerTB_LoadImage"})
        if (auto *b = qobject_cast<QAbstractButton *>(control(QLatin1String(name))); b && b->isChecked())
            b->setChecked(false);
    if (flags_.LiveMode != state::kLiveCompare)
        leaveLiveMode(flags_.LiveMode, state::kLiveCompare);
    if (auto *b = qobject_cast<QAbstractButton *>(control(QStringLiteral("ChangeModeTB_Compare"))))
        b->setChecked(true);
    flags_.LiveMode = state::kLiveCompare;
    flags_.OverlayMode = false;
}

void MainWindow::ChangeModeTB_Click(int mode)
{
    ChangeModeTB_ChangeReset(mode);
    switch (mode) {
    case state::kLiveCompare:
    case state::kLiveCross:
        flags_.OverlayMode = true;
        break;
    case state::kLiveDraw:
        flags_.OverlayMode = false;
        break;
    default:
        break;
    }
    flags_.LiveMode = mode;
    enterLiveMode(mode);
}

void MainWindow::EditorImage_BtnClick()
{
    if (!flags_.EditMode) {
        leaveImageProcessMode();
        QToolBar *bar1 = toolBar(QStringLiteral("ToolBar_ImageEdit1"));
        QToolBar *bar2 = toolBar(QStringLiteral("ToolBar_ImageEdit2"));
        bar1->move(400, 364);
        bar2->move(400, 392);
        bar1->show();
        bar2->show();
        bar1->raise();
        bar2->raise();
        setButtonPicture(kEditorImageBtn, QStringLiteral("exitedit.bmp"), QStringLiteral("EditorImageExit_Btn"));
        flags_.EditMode = true;
        return;
    }
    if (still_->changeCount() > 1 && !still_->isEmpty()
        && ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                          kIconQuestion)
               == kResultOk)
        Save_ImageFile(still_->picture());
    leaveEditMode();
    MemoryTrim();
}

void MainWindow::leaveEditMode()
{
    if (!flags_.EditMode)
        return;
    toolBar(QStringLiteral("ToolBar_ImageEdit1"))->hide();
    toolBar(QStringLiteral("ToolBar_ImageEdit2"))->hide();
    setButtonPicture(kEditorImageBtn, QStringLiteral("edit.bmp"), QStringLiteral("EditorImage_Btn"));
    flags_.EditMode = false;
}

void MainWindow::ImageProcess_BtnClick()
{
    if (!flags_.ImageProcessMode) {
        leaveEditMode();
        QToolBar *bar = toolBar(QStringLiteral("ToolBar_ImageProcess"));
        bar->move(400, 364);
        bar->show();
        bar->raise();
        setButtonPicture(kImageProcessBtn, QStringLiteral("imageprocessexit.bmp"), QStringLiteral("ImageProcessExit_Btn"));
        flags_.ImageProcessMode = true;
        return;
    }
    leaveImageProcessMode();
    MemoryTrim();
}

void MainWindow::leaveImageProcessMode()
{
    if (!flags_.ImageProcessMode)
        return;
    if (still_->filterApplied() && (flags_.SizePreset == state::kPresetNormal || flags_.ViewerOpen)) {
        // Keep the filtered picture as an unsaved edit, or go back to the base picture.
        if (ShowMessageBox(QStringLiteral("WhetherModifyImage"), QStringLiteral("AttentionTitle_MsgBox"), true,
                           kIconQuestion)
            == kResultOk)
            still_->setChangeCount(2);
        still_->setFilterApplied(false);
    }
    toolBar(QStringLiteral("ToolBar_ImageProcess"))->hide();
    setButtonPicture(kImageProcessBtn, QStringLiteral("imageprocess.bmp"), QStringLiteral("ImageProcess_Btn"));
    flags_.ImageProcessMode = false;
}

void MainWindow::MemoryTrim()
{
    // The heap of a closed editor, player or recording goes back to the system at once; the
    // short pause of the classic working-set trim has no purpose here and would only stall.
    platform::trimWorkingSet();
}

// ---------------------------------------------------------------------------------------------
// Window-size presets

QSize MainWindow::screenSize() const
{
    if (screenSizeOverride)
        return screenSizeOverride();
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

void MainWindow::updatePresetAvailability()
{
    const QSize screen = screenSize();
    for (int preset = state::kPreset640x480; preset <= state::kPreset1600x1200; ++preset)
        presetGroup_->actions().at(preset)->setEnabled(presetFitsScreen(preset, screen));
    lastScreen_ = screen;
}

void MainWindow::layOutButtons(const ButtonLayout &b)
{
    for (int i = 0; i < kMainButtonCount; ++i) {
        buttons_[i]->move(b.mainButtons[i]);
        greyPictures_[i]->move(b.mainButtons[i]);
        greyPictures_[i]->setVisible(b.mainButtonShown[i]);
        if (!b.mainButtonShown[i])
            buttons_[i]->hide();
        greyPictures_[i]->raise();
        buttons_[i]->raise();
    }
    returnButton_->move(b.returnButton);
    returnGrey_->move(b.returnButton);
    returnButton_->resize(kButtonWidth, kButtonHeight);
    returnGrey_->resize(kButtonWidth, kButtonHeight);
    returnGrey_->setVisible(b.returnShown);
    returnButton_->setVisible(b.returnShown);
    returnGrey_->raise();
    returnButton_->raise();
    for (const char *name : {"Compare_ToolBar", "Cross_ToolBar", "VideoCtrl_ToolBar", "DrawRuler_ToolBar", "MideaPlay_ToolBar"}) {
        QToolBar *bar = toolBar(QLatin1String(name));
        bar->move(b.modeToolBars);
        bar->raise();
    }
    QToolBar *change = toolBar(QStringLiteral("ChangeMode_ToolBar"));
    change->move(b.changeModeToolBar);
    change->raise();
}

void MainWindow::applyPreset(int preset)
{
    QAction *item = presetGroup_->actions().value(preset);
    if (!item)
        return;
    if (preset == flags_.SizePreset && !(preset == state::kPresetByResolution && appliedResolution_ != cameraResolution)) {
        item->setChecked(true);
        return;
    }
    const QSize screen = screenSize();
    PresetLayout layout = layoutForPreset(preset, screen, cameraResolution);
    if (preset == state::kPresetByResolution && layout.appliedAs == state::kPreset640x480) {
        applyPreset(state::kPreset640x480);
        item->setChecked(true);
        flags_.SizePreset = state::kPresetByResolution;
        appliedResolution_ = cameraResolution;
        return;
    }
    if (preset == state::kPresetDevCtrlToolbar) {
        move(screen.isValid() ? QPoint(0, 0) : pos());
        if (flags_.VideoConnected)
            Q_EMIT connectButtonClicked();
        else if (flags_.VideoPlaying)
            Q_EMIT playButtonClicked();
        layOutButtons(singleWindowButtons(central_->width(), {toolBar("ChangeMode_ToolBar")->size(),
                                                              toolBar("Compare_ToolBar")->sizeHint()}));
        item->setChecked(true);
        flags_.SizePreset = preset;
        return;
    }

    wasMaximised_ = layout.maximised;
    if (layout.maximised) {
        central_->setMinimumSize(0, 0);
        central_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showMaximized();
    } else {
        if (isMaximized())
            showNormal();
        central_->setFixedSize(layout.clientSize);
        resize(layout.clientSize.width(), layout.clientSize.height() + menuBar()->sizeHint().height());
        if (layout.centreWindow)
            if (const QScreen *s = QGuiApplication::primaryScreen()) {
                const QRect r = s->availableGeometry();
                move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
            }
    }
    videoArea_->setGeometry(layout.videoRect);
    coverPanel_->move(layout.coverPanelPos);
    coverLayer_->setGeometry(0, 0, std::max(layout.clientSize.width(), central_->width()),
                             std::max(layout.clientSize.height(), central_->height()));
    coverLayer_->setVisible(layout.singleWindow);
    coverLayer_->raise();
    videoArea_->raise();
    coverPanel_->raise();
    item->setChecked(true);
    if (layout.singleWindow)
        layOutButtons(singleWindowButtons(layout.clientSize.width(),
                                          {toolBar("ChangeMode_ToolBar")->size(), toolBar("Compare_ToolBar")->sizeHint()}));
    else
        layOutButtons(bothWindowButtons());
    flags_.SizePreset = preset;
    if (preset == state::kPresetByResolution)
        appliedResolution_ = cameraResolution;
    if (!flags_.OverlayMode)
        videoAreaChanged();
}

// ---------------------------------------------------------------------------------------------
// Keyboard

bool MainWindow::handleKey(QKeyEvent *event)
{
    if (event->type() == QEvent::KeyRelease) {
        if (!event->isAutoRepeat() && event->key() == keyHeld_)
            keyHeld_ = 0;
        return false;
    }
    // A held key is ignored until it is released: one snapshot per press, not per repeat.
    if (event->isAutoRepeat() || keyHeld_ != 0)
        return true;
    keyHeld_ = event->key();
    if (event->key() == Qt::Key_Space && flags_.VideoConnected) {
        ++snapshotKeyPresses_;
        Q_EMIT captureButtonClicked();
    } else if (event->key() == Qt::Key_V && flags_.VideoConnected) {
        Q_EMIT recordButtonClicked();
    }
    return true;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) && watched->isWidgetType()) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->window() == this && !flags_.IsClosing)
            return handleKey(static_cast<QKeyEvent *>(event));
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Captures and the library

int MainWindow::jpegQuality() const { return jpegQuality_->quality(); }

void MainWindow::connectCaptureActions()
{
    connect(buttons_[kSaveImageBtn], &QPushButton::clicked, this, [this] { Save_ImageFile(still_->picture()); });
    connect(action(QStringLiteral("SaveFile")), &QAction::triggered, this, [this] { Save_ImageFile(still_->picture()); });
    connect(buttons_[kDelViewVideoBtn], &QPushButton::clicked, this, &MainWindow::DeleteImage);
    connect(buttons_[kEditorImageBtn], &QPushButton::clicked, this, &MainWindow::EditorImage_BtnClick);
    connect(buttons_[kImageProcessBtn], &QPushButton::clicked, this, &MainWindow::ImageProcess_BtnClick);
    if (auto *exitEdit = findChild<QToolButton *>(QStringLiteral("ImgBar_ExitToolBar")))
        connect(exitEdit, &QToolButton::clicked, this, &MainWindow::EditorImage_BtnClick);
    if (auto *exitFilters = findChild<QToolButton *>(QStringLiteral("ImaPro_Exit_Btn")))
        connect(exitFilters, &QToolButton::clicked, this, &MainWindow::ImageProcess_BtnClick);
    connect(action(QStringLiteral("OpenFile")), &QAction::triggered, this, &MainWindow::OpenFileClick);
    connect(action(QStringLiteral("RestoreDefaultPath")), &QAction::triggered, browser_,
            &library::ui::ThumbnailBrowserWidget::RestoreDefaultPath);
    const char *dirs[] = {"BmpDir", "JpgDir", "AviDir"};
    for (int kind = 0; kind < 3; ++kind)
        connect(action(QLatin1String(dirs[kind])), &QAction::triggered, this, [this, kind] { browser_->openFolder(kind); });
    const std::pair<const char *, int> levels[] = {{"NHeight_Q", library::JpegQuality::kHigh},
                                                   {"NMiddle_Q", library::JpegQuality::kMiddle},
                                                   {"NLow_Q", library::JpegQuality::kLow}};
    for (const auto &[name, quality] : levels) {
        QAction *a = action(QLatin1String(name));
        connect(a, &QAction::triggered, this, [this, a, quality] {
            if (jpegQuality_->choose(quality))
                Q_EMIT jpegQualityChanged(quality);
            a->setChecked(true);
        });
    }
}

bool MainWindow::Save_ImageFile(const platform::Bitmap &picture, const QString &prefix)
{
    if (picture.isNull())
        return false;
    if (prefix.isEmpty() && browser_->currentIndex() == state::kListAvi)
        browser_->showKind(state::kListJpg);
    const library::SaveContext context{browser_->currentIndex(), defData_.AutoSave || timedStillsRunning(), prefix,
                                       curListPath_, jpegQuality_->quality()};
    const library::SaveResult r = saver_->Save_ImageFile(
        picture, context, library::ui::stillSaveDialog(this, [this](int filter) { browser_->setCurrentIndex(filter == 2 ? 1 : 0); }));
    switch (r.outcome) {
    case library::SaveOutcome::Saved:
        if (&picture == &still_->picture() || still_->isEmpty() || still_->picture() == picture) {
            still_->setHintPath(r.path);
            still_->setChangeCount(1);
            still_->setFilterApplied(false);
        }
        browser_->markNewFile(r.kindPage, r.path);
        browser_->showKind(r.kindPage);
        return true;
    case library::SaveOutcome::WriteFailed:
    case library::SaveOutcome::NoNumber:
        deps_.log.append(QStringLiteral("Cannot save ") + r.path + QStringLiteral(": ")
                         + QString::fromStdString(r.write.system.message()));
        ShowMessageBox(QStringLiteral("CannotSaveImage_MsgBox"), QStringLiteral("ErrorTitle_MsgBox"), false, kIconError);
        return false;
    default:
        return false;
    }
}

void MainWindow::CaptureImageCom(const platform::Bitmap &picture)
{
    still_->setPicture(picture, QString());
    const library::CaptureCompletion c =
        library::captureCompletion(defData_.AutoSave, timedStillsRunning(), false, flags_.SizePreset);
    library::SaveOutcome outcome = library::SaveOutcome::Unknown;
    if (c.save != library::AutoSaveKind::None)
        outcome = Save_ImageFile(still_->picture()) ? library::SaveOutcome::Saved : library::SaveOutcome::WriteFailed;
    // A picture that did not reach a file is an unsaved edit: it must not be lost silently.
    if (library::needsUnsavedMark(outcome))
        still_->setChangeCount(2);
    if (c.showInViewer)
        showInViewer();
}

void MainWindow::DeleteImage()
{
    if (ShowMessageBox(QStringLiteral("WhetherDeleteImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                       kIconInformation)
        != kResultOk)
        return;
    const QString path = still_->hintPath();
    still_->setFilterApplied(false);
    still_->setChangeCount(1);
    if (!path.isEmpty())
        library::deleteToTrash(*trash_, path);
    still_->clear();
    leaveEditMode();
    leaveImageProcessMode();
    browser_->FileList(state::kListBmp);
    browser_->FileList(state::kListJpg);
}

void MainWindow::openPicture(const QString &path, int filterIndex)
{
    if (still_->hasUnsavedEdits()
        && ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                          kIconQuestion)
               == kResultOk)
        Save_ImageFile(still_->picture());
    const platform::DecodedPicture d = filterIndex > 0 ? library::loadPictureAs(path, filterIndex)
                                                        : platform::readPictureFile(path);
    if (!d.ok()) {
        deps_.log.append(QStringLiteral("Cannot open ") + path + QStringLiteral(": ") + platform::pictureErrorText(d.error)
                         + QStringLiteral(" (") + d.detail + QStringLiteral(")"));
        return;
    }
    still_->setPicture(d.bitmap, path);
    leaveEditMode();
    leaveImageProcessMode();
}

void MainWindow::OpenFileClick()
{
    const library::OpenFilePlan plan = library::openFilePlan(browser_->currentIndex(), flags_.ViewerOpen, deps_.paths.userDataDir);
    if (plan.turnToJpgPage)
        browser_->showKind(state::kListJpg);
    if (plan.video) {
        const QString path = QFileDialog::getOpenFileName(this, QString(), plan.startFolder,
                                                          QStringLiteral("Audio Video Interleave  (*.avi)"));
        if (!path.isEmpty())
            playVideoFile(path);
        return;
    }
    QString selected = plan.filterIndex == 2 ? QStringLiteral("JPEG Image File (*.jpg)") : QStringLiteral("Bitmaps (*.bmp)");
    const QString path = QFileDialog::getOpenFileName(this, QString(), plan.startFolder,
                                                      QStringLiteral("Bitmaps (*.bmp);;JPEG Image File (*.jpg)"), &selected);
    if (!path.isEmpty())
        openPicture(path, selected.startsWith(u"JPEG") ? 2 : 1);
}

} // namespace app::ui
