// Window presets under a real X server with a real window manager. The program's own maximise
// and restore come back from the window manager later, as state-change events; only a change the
// user made may follow the maximise/restore rule. Run by with-openbox.sh (Xvfb and openbox);
// without a window manager these events never come back and the faults stay hidden.
#include "app/ui/layoutcontroller.h"
#include "app/ui/livemodecontroller.h"
#include "app/ui/mainwindow.h"
#include "app/ui/messagepresenter.h"
#include "app/ui/shell.h"
#include "imaging/ui/stillimagecontroller.h"
#include "library/ui/viewercontroller.h"
#include "app/windowpresets.h"

#include "fakes.h"
#include "stillparts.h"

#include "imaging/stilldocument.h"
#include "library/ui/imageviewform.h"

#include "platform/diagnosticslog.h"
#include "platform/iniprofilestore.h"
#include "platform/vendorchannel.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

using namespace app::ui;

namespace {

// A round trip through the window manager. When a window's title changes, the window manager
// answers by setting _NET_WM_VISIBLE_NAME on it, and it handles what its clients ask in order: once
// that answer is here, every answer to an earlier request (a maximise, a restore, a new size) has
// been sent as well. This replaces waiting a while and hoping nothing comes later.
class WindowManagerRoundTrip final : public QAbstractNativeEventFilter
{
public:
    explicit WindowManagerRoundTrip(QWidget &window) : widget_(window)
    {
        auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        connection_ = x11 ? x11->connection() : nullptr;
        if (!connection_)
            return;
        window_ = xcb_window_t(window.winId());
        visibleName_ = atom("_NET_WM_VISIBLE_NAME");
        QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
    }
    ~WindowManagerRoundTrip() override
    {
        if (connection_)
            QAbstractEventDispatcher::instance()->removeNativeEventFilter(this);
    }

    // True once the window manager has answered a title change made now; the title is put back.
    bool run()
    {
        if (!connection_)
            return false;
        static int round = 0;
        const QString title = widget_.windowTitle();
        answered_ = false;
        widget_.setWindowTitle(title + QStringLiteral(" %1").arg(++round));
        // Generous: the answer comes at once, but a window manager on a loaded machine may be slow.
        const bool answered = QTest::qWaitFor([this] { return answered_; }, 15000);
        widget_.setWindowTitle(title);
        return answered;
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
            const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            if (change->window == window_ && change->atom == visibleName_)
                answered_ = true;
        }
        return false;
    }

private:
    xcb_atom_t atom(const char *name) const
    {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    }

    QWidget &widget_;
    xcb_connection_t *connection_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_atom_t visibleName_ = XCB_ATOM_NONE;
    bool answered_ = false;
};

struct AnswerOk final : MessagePresenter {
    int show(const QString &, const QString &, bool, int) override { return kResultOk; }
};

struct Window {
    fakes::TemporaryProfile profile;
    fakes::FakeClock clock;
    state::UserPaths paths = state::UserPaths::fromProfileDir(profile.path());
    platform::IniProfileStore store{paths.settingsFile()};
    fakes::FakeBridge vendor;
    platform::DiagnosticsLog log;
    AnswerOk presenter;
    stillparts::Parts parts;
    std::unique_ptr<Shell> &shell = parts.shell;
    LayoutController *layout = nullptr;
    imaging::ui::StillImageController *still = nullptr;

    Window()
    {
        parts.build(ShellDeps{QStringLiteral(SENDRA_PROGRAM_DIR), paths, clock, store, vendor, log, QString(), true, &presenter,
                              &parts.dialogs});
        layout = parts.layout;
        still = parts.still;
        shell->window().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&shell->window(), 20000));
    }
    MainWindow &w() { return shell->window(); }

    // The window manager has answered and the window holds what the preset asks for.
    bool holds(int preset)
    {
        const app::PresetLayout l = layout->plan(preset).layout;
        MainWindow &win = w();
        if (shell->state().flags().SizePreset != preset)
            return false;
        if (win.isMaximized() != l.maximised)
            return false;
        if (l.maximised)
            return win.videoArea()->geometry() == l.videoRect;
        return win.centralWidget()->size() == l.clientSize && win.videoArea()->geometry() == l.videoRect
               && win.centralWidget()->geometry().size() == l.clientSize && win.width() == l.clientSize.width();
    }
    std::string describe()
    {
        MainWindow &win = w();
        return "preset " + std::to_string(shell->state().flags().SizePreset) + (win.isMaximized() ? " maximised" : "")
               + " window " + std::to_string(win.width()) + "x" + std::to_string(win.height()) + " client "
               + std::to_string(win.centralWidget()->width()) + "x" + std::to_string(win.centralWidget()->height())
               + " video " + std::to_string(win.videoArea()->x()) + "," + std::to_string(win.videoArea()->y()) + " "
               + std::to_string(win.videoArea()->width()) + "x" + std::to_string(win.videoArea()->height());
    }
    // Chooses a preset from its menu item, as the user does, and waits for the window manager.
    bool choose(int preset)
    {
        const auto item = state::ControlId(std::size_t(state::ControlId::NNormal_Screen) + std::size_t(preset));
        shell->controls().action(item)->trigger();
        if (!QTest::qWaitFor([&] { return holds(preset); }, 3000))
            return false;
        // Late answers of the window manager may still come; once a round trip through it is
        // back, they all are, and the window must hold the preset again, or still: a late
        // restore of an older size is answered by the program within its next tick.
        WindowManagerRoundTrip roundTrip(w());
        if (!roundTrip.run()) {
            ADD_FAILURE() << "the window manager did not answer a title change";
            return false;
        }
        return QTest::qWaitFor([&] { return holds(preset); }, 3000);
    }
};

bool underWindowManager()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && qEnvironmentVariableIsSet("SENDRA_TEST_WM");
}

} // namespace

class PresetTransition : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PresetTransition, EndsInTheChosenPresetWithItsSizeAndVideoRectangle)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager (run through with-openbox.sh)";
    const auto [from, to] = GetParam();
    Window win;
    ASSERT_TRUE(win.choose(from)) << "from " << from << ": " << win.describe();
    EXPECT_TRUE(win.choose(to)) << from << " -> " << to << ": " << win.describe();
}

namespace {
std::vector<std::pair<int, int>> transitions()
{
    const int presets[] = {state::kPresetNormal, state::kPreset640x480, state::kPreset800x600,
                           state::kPresetFullScreen4x3, state::kPresetFullScreen, state::kPresetByResolution};
    std::vector<std::pair<int, int>> all;
    for (int a : presets)
        for (int b : presets)
            if (a != b)
                all.emplace_back(a, b);
    return all;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(AllPairs, PresetTransition, ::testing::ValuesIn(transitions()));

namespace {

// What the window manager offers for the window (_NET_WM_ALLOWED_ACTIONS), as xprop reads it.
QString allowedActions(const QWidget &w)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w.winId()),
                                          QStringLiteral("_NET_WM_ALLOWED_ACTIONS")});
    return xprop.waitForFinished(5000) ? QString::fromLatin1(xprop.readAllStandardOutput()) : QString();
}

// A double click on the middle of the window's title bar, as the user gives it: openbox toggles
// maximise for it (its default binding), through the X server, not through the program.
bool doubleClickTitleBar(const QWidget &w)
{
    const QRect frame = w.frameGeometry();
    const int titleMiddle = frame.y() + (w.geometry().y() - frame.y()) / 2;
    return QProcess::execute(QStringLiteral("xdotool"),
                             {QStringLiteral("mousemove"), QString::number(frame.x() + frame.width() / 2),
                              QString::number(titleMiddle), QStringLiteral("click"), QStringLiteral("--repeat"),
                              QStringLiteral("2"), QStringLiteral("--delay"), QStringLiteral("120"), QStringLiteral("1")}) == 0;
}

} // namespace

TEST(WindowManager, TheUsersMaximiseGivesFullScreenAndRestoreGivesNormal)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager (run through with-openbox.sh)";
    Window win;
    ASSERT_TRUE(win.choose(state::kPreset800x600));
    // A windowed preset keeps its size, and the window manager still offers maximise and resize.
    EXPECT_TRUE(QTest::qWaitFor([&] { return allowedActions(win.w()).contains("_NET_WM_ACTION_MAXIMIZE_HORZ"); }, 3000))
        << allowedActions(win.w()).toStdString();
    EXPECT_TRUE(allowedActions(win.w()).contains("_NET_WM_ACTION_RESIZE")) << allowedActions(win.w()).toStdString();
    ASSERT_TRUE(doubleClickTitleBar(win.w()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return win.holds(state::kPresetFullScreen); }, 5000)) << win.describe();
    // Restored by the window manager again: "Normal", not "800*600".
    ASSERT_TRUE(doubleClickTitleBar(win.w()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return win.holds(state::kPresetNormal); }, 5000)) << win.describe();
    // Every preset, chosen one after another, leaves maximise to the window manager.
    for (int preset : {state::kPreset640x480, state::kPresetFullScreen, state::kPresetNormal}) {
        ASSERT_TRUE(win.choose(preset)) << preset << ": " << win.describe();
        if (!win.w().isMaximized()) {
            EXPECT_TRUE(allowedActions(win.w()).contains("_NET_WM_ACTION_MAXIMIZE_VERT")) << preset;
        }
    }
    // The user's maximise, once the window manager's answers to the presets' own requests are in.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !win.layout->awaitingWindowManager(); }, 5000));
    ASSERT_TRUE(doubleClickTitleBar(win.w()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return win.holds(state::kPresetFullScreen); }, 5000)) << win.describe();
}

TEST(WindowManager, TheUsersResizeOfAPresetWindowStaysAndThePictureKeepsItsPlace)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager (run through with-openbox.sh)";
    Window win;
    ASSERT_TRUE(win.choose(state::kPreset800x600));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !win.layout->awaitingWindowManager(); }, 5000));
    // The user drags the frame's lower right corner 120 pixels right and 40 down. The drag is
    // the test's input, not the program's answer: a drag the window manager did not take as a
    // resize (it came before the pointer was over the frame's corner) is made again.
    const auto xdotool = [](const QStringList &args) { return QProcess::execute(QStringLiteral("xdotool"), args) == 0; };
    bool resized = false;
    for (int attempt = 0; attempt < 3 && !resized; ++attempt) {
        const QRect frame = win.w().frameGeometry();
        const QPoint corner(frame.right() - 1, frame.bottom() - 1);
        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(corner.x()),
                             QString::number(corner.y())}));
        ASSERT_TRUE(xdotool({QStringLiteral("mousedown"), QStringLiteral("1")}));
        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(corner.x() + 60),
                             QString::number(corner.y() + 20)}));
        ASSERT_TRUE(xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(corner.x() + 120),
                             QString::number(corner.y() + 40)}));
        ASSERT_TRUE(xdotool({QStringLiteral("mouseup"), QStringLiteral("1")}));
        resized = QTest::qWaitFor([&] { return win.w().width() >= 800 + 100; }, 3000);
    }
    EXPECT_TRUE(resized) << win.describe();
    // Nothing takes the size back once the program no longer answers the window manager for the
    // preset, and the preset and its picture stand.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !win.layout->awaitingWindowManager(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_GE(win.w().width(), 800 + 100) << win.describe();
    EXPECT_EQ(win.shell->state().flags().SizePreset, state::kPreset800x600);
    EXPECT_EQ(win.w().videoArea()->geometry(), QRect(0, 60, 800, 600));
    EXPECT_FALSE(win.w().isMaximized());
}

TEST(WindowManager, CtrlDFromFullScreenTakesTheWindowBackToTheNormalStateAtTheScreensCorner)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager (run through with-openbox.sh)";
    Window win;
    ASSERT_TRUE(win.choose(state::kPresetFullScreen));
    ASSERT_TRUE(win.w().isMaximized());
    QTest::keyClick(&win.w(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return win.shell->state().flags().SizePreset == state::kPresetDevCtrlToolbar; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !win.w().isMaximized(); }, 5000)) << win.describe();
    // The window manager's late answers leave it so: once a round trip through it is back, they
    // all are.
    WindowManagerRoundTrip roundTrip(win.w());
    EXPECT_TRUE(roundTrip.run());
    QCoreApplication::processEvents();
    EXPECT_FALSE(win.w().isMaximized()) << win.describe();
    EXPECT_EQ(win.shell->state().flags().SizePreset, state::kPresetDevCtrlToolbar);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(QTest::qWaitFor([&] { return win.w().frameGeometry().topLeft() == area.topLeft(); }, 3000))
        << win.w().frameGeometry().x() << "," << win.w().frameGeometry().y();
}

TEST(WindowManager, TheViewerSitsAtTheScreensCornerAndWrapsOrFillsTheWorkArea)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager (run through with-openbox.sh)";
    Window win;
    library::ui::ViewerController *viewer = &win.parts.addViewer();
    library::ui::TImageViewForm &form = viewer->form();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    win.still->document().load(platform::Bitmap(picture), QString());
    viewer->ShowStillImage();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form, 20000));
    auto describe = [&] {
        const QRect f = form.frameGeometry();
        return std::to_string(f.x()) + "," + std::to_string(f.y()) + " " + std::to_string(f.width()) + "x"
               + std::to_string(f.height()) + " box " + std::to_string(form.scrollBox()->width()) + "x"
               + std::to_string(form.scrollBox()->height());
    };
    // The frame, title bar included, at the corner; the box wraps the picture with its border.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.frameGeometry().topLeft() == area.topLeft(); }, 3000)) << describe();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.scrollBox()->size() == QSize(644, 484); }, 3000)) << describe();
    EXPECT_FALSE(form.scrollBox()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(form.scrollBox()->verticalScrollBar()->isVisible());

    // Larger than the screen: the whole work area, frame included, with both scroll bars.
    picture = QImage(3000, 2000, QImage::Format_RGB32);
    picture.fill(Qt::darkYellow);
    win.still->document().load(platform::Bitmap(picture), QString());
    viewer->ShowStillImage();
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.frameGeometry() == area; }, 3000)) << describe();
    EXPECT_TRUE(form.scrollBox()->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(form.scrollBox()->verticalScrollBar()->isVisible());
    form.close();
}
