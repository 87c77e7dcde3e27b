// The program's own message box under a real X server and window manager (with-openbox.sh): a
// question asked while its window is still being mapped must come up on the screen, above and
// centred on that window, and close with Escape typed on the keyboard. Offscreen, every window is
// "exposed" at once and the fault cannot show.
#include "app/ui/messageboxdialog.h"

#include "realprogram.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace {

bool underWindowManager()
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && qEnvironmentVariableIsSet("SENDRA_TEST_WM");
}

// A key typed on the X server's keyboard (XTEST): it goes where the window manager put the focus,
// as the user's key would.
void typeKey(const char *key)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QLatin1String(key)}), 0);
}

app::ui::MessageBoxDialog *messageBox(RealProgram &program)
{
    return program.app->window().findChild<app::ui::MessageBoxDialog *>();
}

// Steps run from a repeating timer, so that they run inside whichever modal loop is innermost
// (the ruler settings' or the box's); each step returns true when done, and the next one starts.
// A step that waits on the window manager is given kStepLimitMs: past it the test fails naming the
// step and closes every modal window, since the waits of the test itself never run while a modal
// loop is open and a stuck step would otherwise hang until the test's time limit.
class Script final : public QObject
{
public:
    using Step = std::function<bool()>;
    static constexpr int kStepLimitMs = 60000;
    explicit Script(std::vector<Step> steps) : steps_(std::move(steps))
    {
        stepTime_.start();
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (running_ || next_ >= steps_.size())
                return;
            running_ = true;   // a step that opens a loop must not be entered again from it
            if (steps_[next_]()) {
                ++next_;
                stepTime_.start();
            } else if (stepTime_.elapsed() > kStepLimitMs) {
                ADD_FAILURE() << "step " << next_ + 1 << " of " << steps_.size() << " did not finish in "
                              << kStepLimitMs << " ms; active window: "
                              << (QApplication::activeWindow() ? QApplication::activeWindow()->objectName().toStdString()
                                                               : std::string("none"));
                next_ = steps_.size();
                stuck_ = true;
                closeModalWindows();
            }
            running_ = false;
        });
        timer_.start(10);
    }
    bool finished() const { return next_ >= steps_.size(); }
    // A step ran out of time: the window manager is not answering, and the rounds after it would
    // only wait out their limits too.
    bool stuck() const { return stuck_; }

private:
    static void closeModalWindows()
    {
        for (int open = 0; open < 8; ++open) {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                break;
            dialog->reject();
        }
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool running_ = false;
    bool stuck_ = false;
    QElapsedTimer stepTime_;
    QTimer timer_;
};

// Where Qt and the X server each think a window is, for a failure's message.
std::string placeOf(QWidget &w)
{
    auto rect = [](const QRect &r) {
        return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
               std::to_string(r.height());
    };
    std::string text = "geometry " + rect(w.geometry()) + " frame " + rect(w.frameGeometry());
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && w.windowHandle()) {
        xcb_connection_t *c = x11->connection();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_translate_coordinates_reply_t *at =
            xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, xcb_window_t(w.winId()), root, 0, 0), nullptr);
        if (at)
            text += " on the server " + std::to_string(at->dst_x) + "," + std::to_string(at->dst_y);
        free(at);
    }
    return text;
}

// How long the window manager may take to map, frame or move a window. Openbox on a loaded machine
// (the other tests of the suite running beside) was seen taking over three seconds to finish
// framing a window; the waits end as soon as the window is there.
constexpr int kWindowManagerMs = 15000;

int distance(QPoint a, QPoint b) { return (a - b).manhattanLength(); }

// Centred within the height of a title bar: where the window manager finally puts a window it has
// just framed may differ from the asked place by that much (openbox, Qt 6.4). The client areas are
// compared: Qt's idea of a frame is briefly wrong while the window manager reparents a window.
bool centredOn(QWidget &box, QWidget &window)
{
    const int titleBar = frameOnTheServer(window).top();
    return distance(box.geometry().center(), window.geometry().center()) <= titleBar + 4;
}

} // namespace

// Under Xvfb no monitor describes itself, so every opening of the ruler settings may ask for the
// monitor width while the settings window is being mapped. Twenty openings in a row: every box
// asked is on the screen (not merely "visible" to Qt), centred on the settings, and Escape closes
// it; no modal window is left hidden after a round.
TEST(MessageBoxUnderWindowManager, TheRulerSettingsOpenTwentyTimesWithEveryQuestionOnTheScreen)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager (run through with-openbox.sh)";
    RealProgram program;
    app::ui::MessageBoxDialog *box = messageBox(program);
    QDialog *settings = program.app->window().findChild<QDialog *>(QStringLiteral("TSetRulerDlg"));
    ASSERT_TRUE(box);
    ASSERT_TRUE(settings);
    QAbstractButton *setScale = program.app->shell().controls().button(state::ControlId::DrawRulerTB_SetScale);

    int asked = 0;
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE("opening " + std::to_string(round));
        bool settled = false, questionSeen = false;
        int escapesAgain = 0;
        QElapsedTimer waited;
        Script script({
            // The settings are on the screen; a zero timer posted now runs after the one that
            // asks the question (posted while the window was shown), so the question, if any, is
            // being asked when it fires.
            [&] {
                if (!settings->isVisible() || !settings->windowHandle() || !settings->windowHandle()->isExposed())
                    return false;
                QTimer::singleShot(0, settings, [&] { settled = true; });
                return true;
            },
            [&] {
                if (!settled)
                    return false;
                questionSeen = box->isVisible();
                waited.start();
                return true;
            },
            // A box asked is mapped by the window manager; a box that stays unmapped for seconds
            // is the invisible modal window that ate every click.
            [&] {
                if (!questionSeen)
                    return true;
                if (box->isVisible() && viewableOnTheServer(*box))
                    return true;
                if (waited.elapsed() < kWindowManagerMs)
                    return false;
                ADD_FAILURE() << "the question box is modal but not viewable on the X server";
                box->reject();
                questionSeen = false;
                return true;
            },
            // Centred on the settings window (frames, title bars included) once the window
            // manager has placed both.
            [&] {
                if (!questionSeen)
                    return true;
                const bool centred = centredOn(*box, *settings);
                if (!centred && waited.elapsed() < kWindowManagerMs)
                    return false;
                EXPECT_TRUE(centred) << "box " << box->geometry().x() << "," << box->geometry().y() << " "
                                     << box->width() << "x" << box->height() << " settings " << settings->geometry().x()
                                     << "," << settings->geometry().y() << " " << settings->width() << "x"
                                     << settings->height();
                return true;
            },
            [&] {
                if (!questionSeen)
                    return true;
                ++asked;
                // Transient for the settings, so the window manager keeps it above them.
                EXPECT_EQ(box->windowHandle()->transientParent(), settings->windowHandle());
                EXPECT_TRUE(QApplication::activeModalWidget() == box);
                waited.start();
                typeKey("Escape");
                return true;
            },
            [&] {
                if (!questionSeen || !box->isVisible())
                    return true;
                if (waited.elapsed() < kWindowManagerMs)
                    return false;
                ADD_FAILURE() << "Escape did not close the question box";
                box->reject();
                return true;
            },
            // The settings have the keyboard again: Escape closes them too.
            [&] {
                if (!settings->isActiveWindow())
                    return false;
                waited.start();
                typeKey("Escape");
                return true;
            },
            // A loaded window manager may still be handing the keyboard back from the box when
            // Qt already calls the settings active, and the key goes nowhere: as a user would,
            // the test presses Escape again, every three seconds.
            [&] {
                if (!settings->isVisible())
                    return true;
                if (waited.elapsed() < kWindowManagerMs) {
                    if (waited.elapsed() > 3000 * (1 + escapesAgain) && settings->isActiveWindow()) {
                        ++escapesAgain;
                        typeKey("Escape");
                    }
                    return false;
                }
                ADD_FAILURE() << "Escape did not close the ruler settings";
                settings->reject();
                return true;
            },
        });
        QTimer::singleShot(0, setScale, &QAbstractButton::click);
        // Returns once the ruler settings' modal loop has ended.
        ASSERT_TRUE(QTest::qWaitFor([&] { return script.finished() && !settings->isVisible(); }, 5 * Script::kStepLimitMs));
        ASSERT_FALSE(script.stuck());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->isModal())
                ADD_FAILURE() << "a modal window is still open: " << w->objectName().toStdString();
    }
    // The first opening asks at least: no monitor describes itself here and no width was typed.
    EXPECT_GE(asked, 1);
}

// The box shown for the main window alone is centred on it too, and a second showing opens where
// the first did although the user dragged the first one aside.
TEST(MessageBoxUnderWindowManager, AMessageOpensCentredOnTheMainWindowEveryTime)
{
    if (!underWindowManager())
        GTEST_SKIP() << "needs an X server with a window manager (run through with-openbox.sh)";
    RealProgram program;
    app::ui::MessageBoxDialog *box = messageBox(program);
    ASSERT_TRUE(box);
    app::ui::MainWindow &window = program.app->window();
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE("showing " + std::to_string(showing));
        bool checked = false;
        QElapsedTimer waited;
        waited.start();
        Script script({
            [&] {
                // On the screen, and where the window manager's last move of it leaves it: a box
                // opened again may be mapped where the user dragged it before it is centred.
                const bool shown = box->isVisible() && viewableOnTheServer(*box) && box->windowHandle()->isExposed();
                if (shown && (centredOn(*box, window) || waited.elapsed() >= kWindowManagerMs))
                    return true;
                if (waited.elapsed() < 2 * kWindowManagerMs)
                    return false;
                ADD_FAILURE() << "the message box is modal but not viewable on the X server";
                box->reject();
                return true;
            },
            [&] {
                EXPECT_EQ(box->windowHandle()->transientParent(), window.windowHandle());
                EXPECT_TRUE(centredOn(*box, window)) << "box " << placeOf(*box) << "; window " << placeOf(window);
                // The user drags it aside before closing it.
                box->move(box->pos() + QPoint(300, 200));
                return true;
            },
            [&] {
                if (!box->isVisible())
                    return true;
                typeKey("Escape");
                checked = true;
                return true;
            },
        });
        program.app->shell().ShowMessageBox(QStringLiteral("KeyInHorizontalValue_MsgBox"),
                                            QStringLiteral("AttentionTitle_MsgBox"), false, app::ui::kIconAttention);
        ASSERT_FALSE(script.stuck());
        EXPECT_TRUE(checked);
        EXPECT_FALSE(box->isVisible());
    }
}
