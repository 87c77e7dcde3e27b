#include "mainwindow.h"

#include "imaging/ui/stillimageview.h"
#include "toolbarbuilder.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLinearGradient>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>

#include <map>

namespace app::ui {

using feature::ui::tableText;
using state::ControlGroup;
using state::ControlId;
using state::ControlKind;
using state::ControlRow;
using state::kControlTable;

namespace {


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

const char *const kMainButtonStyle = "QPushButton { border: none; padding: 0; }"
                                     "QPushButton:hover { border: 1px solid #8AA4B4; }"
                                     "QPushButton:pressed { padding-top: 2px; padding-left: 2px; }";

// Live-mode bars sit just below the video in the "Normal" layout until a preset moves them.
constexpr QPoint kModeToolBarPos{0, 364};
constexpr QRect kChangeModeToolBarRect{300, 392, 100, 0};
// The mode tool bars below the video: one place, one of them shown at a time.
constexpr ControlId kModeToolBars[] = {ControlId::Compare_ToolBar, ControlId::Cross_ToolBar, ControlId::VideoCtrl_ToolBar,
                                       ControlId::DrawRuler_ToolBar, ControlId::MideaPlay_ToolBar};

} // namespace

MainWindow::MainWindow(const QString &programDir, QWidget *parent) : QMainWindow(parent), programDir_(programDir)
{
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(QStringLiteral("Sendra-CAM Viewer"));
    setWindowIcon(QIcon(programDir_ + QStringLiteral("/Bitmap/Icon.ico")));
    central_ = new QWidget(this);
    central_->setObjectName(QStringLiteral("MainClient"));
    central_->setFixedSize(kClientWidth, kClientHeight);
    // The window itself holds the focus until the user puts it into a field, so Space and V
    // reach the snapshot and recording keys from the start.
    central_->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(central_);
    setFocusProxy(central_);
    buildMenus();
    buildStatusBar();
    resize(kClientWidth, kClientHeight + chromeHeight());
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    }
    buildAreas();
    buildMainButtons();
    buildToolBars();
    // The cover layer hides the still image and the library in the single-window presets.
    auto *coverLayer = new QWidget(central_);
    coverLayer->setObjectName(QStringLiteral("CoverLayer"));
    coverLayer->setAutoFillBackground(true);
    coverLayer->setGeometry(central_->rect());
    coverLayer->hide();
    controls_.add(ControlId::CoverLayer, coverLayer);
}

MainWindow::~MainWindow() = default;

QString MainWindow::picturePath(const QString &folder, std::string_view picture) const
{
    return programDir_ + QStringLiteral("/Bitmap/") + folder + u'/' + tableText(picture);
}

void MainWindow::buildMenus()
{
    std::map<ControlGroup, QMenu *> menus;
    std::map<ControlGroup, QActionGroup *> radioGroups;
    for (const ControlRow &row : kControlTable) {
        const QString name = tableText(row.name);
        QMenu *parent = row.group == ControlGroup::MenuBar ? nullptr : menus[row.group];
        switch (row.kind) {
        case ControlKind::Menu:
        case ControlKind::PopupMenu: {
            QMenu *m = row.kind == ControlKind::PopupMenu ? new QMenu(this)
                       : parent                            ? parent->addMenu(QString())
                                                           : menuBar()->addMenu(QString());
            m->setObjectName(name + QStringLiteral("_Menu"));
            if (row.kind == ControlKind::Menu)
                m->menuAction()->setObjectName(name);
            else
                m->setObjectName(name);
            menus[row.holds] = m;
            controls_.add(row.id, m);
            break;
        }
        case ControlKind::Action:
        case ControlKind::CheckAction:
        case ControlKind::RadioAction: {
            auto *a = new QAction(this);
            a->setObjectName(name);
            if (!row.shortcut.empty()) {
                a->setShortcut(QKeySequence(tableText(row.shortcut), QKeySequence::PortableText));
                a->setShortcutContext(Qt::ApplicationShortcut);
            }
            a->setCheckable(row.kind != ControlKind::Action);
            if (row.kind == ControlKind::RadioAction) {
                QActionGroup *&group = radioGroups[row.group];
                if (!group)
                    group = new QActionGroup(this);
                group->addAction(a);
            }
            if (parent)
                parent->addAction(a);
            else
                menuBar()->addAction(a);
            controls_.add(row.id, a);
            break;
        }
        case ControlKind::Separator:
            if (parent) {
                QAction *s = parent->addSeparator();
                s->setObjectName(name);
                controls_.add(row.id, s);
            }
            break;
        default:
            break;
        }
    }
}

void MainWindow::buildAreas()
{
    auto *video = new QWidget(central_);
    video->setObjectName(QStringLiteral("VideoArea"));
    video->setGeometry(0, 64, 400, 300);
    video->setAutoFillBackground(true);
    QPalette black = video->palette();
    black.setColor(QPalette::Window, Qt::black);
    video->setPalette(black);
    controls_.add(ControlId::VideoArea, video);
    // The player's seek bar, 12 pixels along the bottom of the video area; hidden until a file
    // plays. Its thumb is 8 pixels wide so that it fits the bar's height.
    auto *seek = new QSlider(Qt::Horizontal, video);
    seek->setObjectName(QStringLiteral("VideoSeek_TKB"));
    seek->setFixedHeight(12);
    seek->setFocusPolicy(Qt::NoFocus);
    seek->setStyleSheet(QStringLiteral("QSlider { background: #202020; }"
                                       "QSlider::groove:horizontal { height: 4px; background: #5A6A74; margin: 0 4px; }"
                                       "QSlider::sub-page:horizontal { background: #8AA4B4; margin: 0 4px; }"
                                       "QSlider::handle:horizontal { width: 8px; margin: -4px -4px; background: #E8E8E8;"
                                       " border: 1px solid #404040; }"));
    seek->hide();
    controls_.add(ControlId::VideoSeek_TKB, seek);

    auto *cover = new QWidget(central_);
    cover->setObjectName(QStringLiteral("CoverPanel"));
    cover->setGeometry(video->geometry());
    cover->setAutoFillBackground(true);
    auto *coverImage = new QLabel(cover);
    coverImage->setGeometry(0, 0, 400, 300);
    coverImage->setAlignment(Qt::AlignCenter);
    coverImage->setPixmap(coverPicture(QSize(400, 300), programDir_ + QStringLiteral("/sendra-cam.png")));
    auto *device = new QLabel(cover);
    device->setObjectName(QStringLiteral("DeviceStatus_Lab"));
    device->setGeometry(200, 210, 200, 40);
    device->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    device->setAttribute(Qt::WA_TranslucentBackground);
    QFont labelFont = device->font();
    labelFont.setPointSize(10);
    device->setFont(labelFont);
    device->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    device->setWordWrap(true);
    controls_.add(ControlId::CoverPanel, cover);
    controls_.add(ControlId::DeviceStatus_Lab, device);

    still_ = new imaging::ui::StillImageView(central_);
    still_->setGeometry(400, 64, 400, 300);
    auto *logo = new QLabel(still_);
    logo->setObjectName(QStringLiteral("LogoImage_RW"));
    logo->setGeometry(0, 0, 400, 300);
    logo->setAlignment(Qt::AlignCenter);
    logo->setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPixmap emblem(programDir_ + QStringLiteral("/sendra-cam.png"));
    if (!emblem.isNull()) {
        QPixmap faint(96, 96);
        faint.fill(QColor(0xF4, 0xF4, 0xF4));
        QPainter p(&faint);
        p.setOpacity(0.25);
        p.drawPixmap(faint.rect(), emblem);
        logo->setPixmap(faint);
    }
    controls_.add(ControlId::LogoImage_RW, logo);

    // The editor's status line along the foot of the picture (a hint for the user, shown by the
    // editor when it has one).
    auto *status = new QLabel(still_);
    status->setObjectName(QStringLiteral("EditorStatus_Lab"));
    status->setAutoFillBackground(true);
    status->setContentsMargins(4, 1, 4, 1);
    status->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette statusPalette = status->palette();
    statusPalette.setColor(QPalette::Window, QColor(0xFF, 0xF8, 0xD0));
    statusPalette.setColor(QPalette::WindowText, Qt::black);
    status->setPalette(statusPalette);
    status->hide();
    controls_.add(ControlId::EditorStatus_Lab, status);
}

void MainWindow::buildMainButtons()
{
    int slot = 0;
    for (const ControlRow &row : kControlTable) {
        if (row.kind != ControlKind::MainButton && row.id != ControlId::ReturnMain_Image)
            continue;
        const QString picture = tableText(row.picture);
        if (row.kind == ControlKind::Label) {   // the return button's grey picture
            auto *grey = new QLabel(central_);
            grey->setObjectName(tableText(row.name));
            grey->setPixmap(QPixmap(picturePath(QStringLiteral("MainButton"), row.picture)));
            grey->resize(kButtonWidth, kButtonHeight);
            grey->hide();
            controls_.add(row.id, grey);
            continue;
        }
        const bool inRow = row.group == ControlGroup::MainButtons;
        const QRect rect(kButtonWidth * slot, 0, kButtonWidth, kButtonHeight);
        if (inRow) {
            auto *grey = new QLabel(central_);
            grey->setObjectName(QStringLiteral("Image%1_Bitbtn").arg(slot + 1));
            grey->setGeometry(rect);
            grey->setPixmap(QPixmap(picturePath(QStringLiteral("MainButton"), greyName(picture).toStdString())));
            greyPictures_[std::size_t(slot)] = grey;
        }
        auto *b = new QPushButton(central_);
        b->setObjectName(tableText(row.name));
        b->setGeometry(inRow ? rect : QRect(0, 0, kButtonWidth, kButtonHeight));
        b->setIconSize(QSize(kButtonWidth, kButtonHeight));
        b->setIcon(QIcon(QPixmap(picturePath(QStringLiteral("MainButton"), row.picture))));
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setStyleSheet(QLatin1String(kMainButtonStyle));
        if (!inRow)
            b->hide();
        controls_.add(row.id, b);
        slot += inRow ? 1 : 0;
    }
}

void MainWindow::buildToolBars()
{
    ToolBarBuilder(*central_, controls_, programDir_ + QStringLiteral("/Bitmap/ToolBar/")).build(kModeToolBarPos, kChangeModeToolBarRect);
}

void MainWindow::buildStatusBar()
{
    // The status line below the client area: a running recording and an orientation other than
    // "as delivered" are said here, and a feature's passing notes (showMessage) too. It is as tall
    // as a line of its text with room around it, whatever the style would make of an empty bar.
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    bar->setMinimumHeight(bar->fontMetrics().height() + 8);
    controls_.add(ControlId::StatusBar, bar);
    for (ControlId id : {ControlId::StatusOrientation_Lab, ControlId::StatusRecording_Lab}) {
        auto *label = new QLabel(bar);
        label->setObjectName(tableText(state::controlName(id)));
        label->setContentsMargins(6, 0, 6, 0);
        label->hide();
        bar->addPermanentWidget(label);
        controls_.add(id, label);
    }
}

int MainWindow::chromeHeight() const
{
    return menuBar()->sizeHint().height() + statusLineHeight();
}

QLabel *MainWindow::greyPicture(ControlId mainButton) const
{
    const auto slot = std::size_t(mainButton) - std::size_t(ControlId::Connect_Btn);
    return slot < greyPictures_.size() ? greyPictures_[slot] : nullptr;
}

void MainWindow::placeLibrary(QWidget *library)
{
    library->setParent(central_);
    library->setGeometry(0, 420, kClientWidth, kClientHeight - 420);
    library->show();
    controls_.widget(ControlId::CoverLayer)->raise();
}

void MainWindow::showCover(bool shown)
{
    QWidget *cover = controls_.widget(ControlId::CoverPanel);
    cover->setVisible(shown);
    if (shown)
        cover->raise();
}

void MainWindow::setButtonPicture(ControlId mainButton, const QString &picture)
{
    controls_.mainButton(mainButton)->setIcon(
        QIcon(QPixmap(picturePath(QStringLiteral("MainButton"), picture.toStdString()))));
}

ToolBarSizes MainWindow::toolBarSizes() const
{
    QSize modes;
    for (ControlId id : {ControlId::Compare_ToolBar, ControlId::Cross_ToolBar, ControlId::VideoCtrl_ToolBar,
                         ControlId::DrawRuler_ToolBar, ControlId::MideaPlay_ToolBar})
        modes = modes.expandedTo(controls_.toolBar(id)->sizeHint());
    return {controls_.toolBar(ControlId::ChangeMode_ToolBar)->size(), modes};
}

int MainWindow::statusLineHeight() const { return statusBar()->sizeHint().expandedTo(statusBar()->minimumSize()).height(); }

void MainWindow::applyLayout(const PresetLayout &layout)
{
    if (layout.maximised) {
        central_->setMinimumSize(0, 0);
        central_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showMaximized();
    } else {
        if (isMaximized())
            showNormal();
        central_->setFixedSize(layout.clientSize);
        // The window takes the preset's size but is not fixed to it: a window fixed in size
        // loses the window manager's maximise and resize (openbox drops them for good), and
        // maximising by the window manager is how the user reaches "Full Screen" from a preset.
        // Only smaller is refused, so that the picture is never cut; a size the window manager
        // restores later is answered by the layout controller.
        const QSize window(layout.clientSize.width(), layout.clientSize.height() + chromeHeight());
        setMinimumSize(window);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (QLayout *l = this->layout())
            l->activate();
        resize(window);
        if (layout.centreWindow)
            if (const QScreen *s = QGuiApplication::primaryScreen()) {
                const QRect r = s->availableGeometry();
                move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
            }
    }
    QWidget *video = videoArea();
    QWidget *cover = controls_.widget(ControlId::CoverPanel);
    QWidget *coverLayer = controls_.widget(ControlId::CoverLayer);
    video->setGeometry(layout.videoRect);
    cover->move(layout.coverPanelPos);
    coverLayer->setGeometry(0, 0, std::max(layout.clientSize.width(), central_->width()),
                            std::max(layout.clientSize.height(), central_->height()));
    coverLayer->setVisible(layout.singleWindow);
    coverLayer->raise();
    video->raise();
    cover->raise();
}

void MainWindow::layOutButtons(const ButtonLayout &b)
{
    for (std::size_t i = 0; i < greyPictures_.size(); ++i) {
        QPushButton *button = controls_.mainButton(ControlId(std::size_t(ControlId::Connect_Btn) + i));
        button->move(b.mainButtons[i]);
        greyPictures_[i]->move(b.mainButtons[i]);
        greyPictures_[i]->setVisible(b.mainButtonShown[i]);
        if (!b.mainButtonShown[i])
            button->hide();
        greyPictures_[i]->raise();
        button->raise();
    }
    for (ControlId id : {ControlId::ReturnMain_Image, ControlId::ReturnMain_Btn}) {
        QWidget *w = controls_.widget(id);
        w->move(b.returnButton);
        w->resize(kButtonWidth, kButtonHeight);
        w->setVisible(b.returnShown);
        w->raise();
    }
    for (ControlId id : kModeToolBars) {
        QToolBar *bar = controls_.toolBar(id);
        bar->move(b.modeToolBars);
        bar->raise();
    }
    QToolBar *change = controls_.toolBar(ControlId::ChangeMode_ToolBar);
    change->move(b.changeModeToolBar);
    change->raise();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Every way of closing runs the close sequence once; nothing is asked here.
    if (!closed_) {
        closed_ = true;
        Q_EMIT closing();
    }
    event->accept();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Q_EMIT resized();
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange)
        Q_EMIT windowStateChanged(static_cast<QWindowStateChangeEvent *>(event)->oldState(), windowState());
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Q_EMIT activated();
    QMainWindow::changeEvent(event);
}

} // namespace app::ui
