#include "app/ui/keyrouter.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using app::ui::KeyRouter;

namespace {

// Records the key presses that reach a widget. Object filters run after application filters,
// so a press the router consumed never shows up here.
class KeyProbe final : public QObject
{
public:
    explicit KeyProbe(QWidget *widget) : QObject(widget) { widget->installEventFilter(this); }
    int presses(int key) const { return int(std::count(keys_.begin(), keys_.end(), key)); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress)
            keys_.push_back(static_cast<QKeyEvent *>(event)->key());
        return false;
    }

private:
    std::vector<int> keys_;
};

// A key event as a server delivers it, with its own timestamp and auto-repeat flag.
void sendKey(QWidget *to, QEvent::Type type, int key, quint64 timestampMs, bool autoRepeat = false)
{
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : key == Qt::Key_V ? QStringLiteral("v") : QString();
    QKeyEvent event(type, key, Qt::NoModifier, text, autoRepeat);
    event.setTimestamp(timestampMs);
    QApplication::sendEvent(to, &event);
}

class KeyRouterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window_ = std::make_unique<QMainWindow>();
        auto *central = new QWidget;
        auto *layout = new QVBoxLayout(central);
        // Created in tab order.
        edit_ = new QLineEdit(central);
        slider_ = new QSlider(Qt::Horizontal, central);
        slider_->setRange(0, 10);
        slider_->setValue(5);
        combo_ = new QComboBox(central);
        combo_->addItems({QStringLiteral("one"), QStringLiteral("two")});
        button_ = new QPushButton(QStringLiteral("Snap"), central);
        for (QWidget *w : std::initializer_list<QWidget *>{edit_, slider_, combo_, button_})
            layout->addWidget(w);
        window_->setCentralWidget(central);
        router_ = std::make_unique<KeyRouter>(window_.get(), [this] { return live_; });
        window_->show();
        QApplication::setActiveWindow(window_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get())) << "the offscreen platform did not activate the window";
    }

    void TearDown() override
    {
        router_.reset();
        window_.reset();
    }

    void focus(QWidget *w)
    {
        w->setFocus(Qt::OtherFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), w);
    }

    bool live_ = true;
    std::unique_ptr<QMainWindow> window_;
    QLineEdit *edit_ = nullptr;
    QSlider *slider_ = nullptr;
    QComboBox *combo_ = nullptr;
    QPushButton *button_ = nullptr;
    std::unique_ptr<KeyRouter> router_;
};

} // namespace

TEST_F(KeyRouterTest, TabMovesFocusThroughTheWindow)
{
    focus(edit_);
    for (QWidget *next : std::initializer_list<QWidget *>{slider_, combo_, button_}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), combo_);
}

TEST_F(KeyRouterTest, ArrowsMoveAFocusedSlider)
{
    focus(slider_);
    QTest::keyClick(slider_, Qt::Key_Right);
    EXPECT_EQ(slider_->value(), 6);
    QTest::keyClick(slider_, Qt::Key_Left);
    QTest::keyClick(slider_, Qt::Key_Left);
    EXPECT_EQ(slider_->value(), 4);
}

TEST_F(KeyRouterTest, TypedTextWithSpacesAndVReachesTheLineEdit)
{
    QSignalSpy records(router_.get(), &KeyRouter::recordRequested);
    focus(edit_);
    QTest::keyClicks(edit_, QStringLiteral("a v  vv b"));
    EXPECT_EQ(edit_->text(), QStringLiteral("a v  vv b"));
    EXPECT_EQ(router_->snapshotPresses(), 0);
    EXPECT_EQ(records.count(), 0);
}

TEST_F(KeyRouterTest, SpaceOnTheButtonSnapsOncePerPressAndIsConsumed)
{
    QSignalSpy snaps(router_.get(), &KeyRouter::snapshotRequested);
    QSignalSpy clicks(button_, &QPushButton::clicked);
    auto *probe = new KeyProbe(button_);
    focus(button_);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(button_, Qt::Key_Space);
    EXPECT_EQ(router_->snapshotPresses(), 3);
    EXPECT_EQ(snaps.count(), 3);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(probe->presses(Qt::Key_Space), 0);
}

TEST_F(KeyRouterTest, FlaggedAutoRepeatPressesDoNothing)
{
    auto *probe = new KeyProbe(button_);
    focus(button_);
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 1000);
    for (quint64 t = 1500; t < 2000; t += 30) {
        sendKey(button_, QEvent::KeyRelease, Qt::Key_Space, t, true);
        sendKey(button_, QEvent::KeyPress, Qt::Key_Space, t, true);
    }
    sendKey(button_, QEvent::KeyRelease, Qt::Key_Space, 2010);
    EXPECT_EQ(router_->snapshotPresses(), 1);
    EXPECT_EQ(probe->presses(Qt::Key_Space), 0);
}

TEST_F(KeyRouterTest, HeldSpaceWithoutRepeatFlagAsPairsThirtyMsApartSnapsOnce)
{
    QSignalSpy clicks(button_, &QPushButton::clicked);
    auto *probe = new KeyProbe(button_);
    focus(button_);
    // Two seconds held: every event 30 ms after the one before, none flagged as a repeat.
    quint64 t = 1000;
    for (; t < 3000; t += 60) {
        sendKey(button_, QEvent::KeyPress, Qt::Key_Space, t);
        sendKey(button_, QEvent::KeyRelease, Qt::Key_Space, t + 30);
    }
    EXPECT_EQ(router_->snapshotPresses(), 1);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(probe->presses(Qt::Key_Space), 0);
}

TEST_F(KeyRouterTest, SeparatePressesTwoHundredMsApartSnapEachTime)
{
    focus(button_);
    for (quint64 t = 1000; t < 2000; t += 400) {
        sendKey(button_, QEvent::KeyPress, Qt::Key_Space, t);
        sendKey(button_, QEvent::KeyRelease, Qt::Key_Space, t + 200);
    }
    EXPECT_EQ(router_->snapshotPresses(), 3);
}

TEST_F(KeyRouterTest, SpaceWithoutACameraReachesTheButton)
{
    live_ = false;
    QSignalSpy snaps(router_.get(), &KeyRouter::snapshotRequested);
    QSignalSpy clicks(button_, &QPushButton::clicked);
    auto *probe = new KeyProbe(button_);
    focus(button_);
    QTest::keyClick(button_, Qt::Key_Space);
    EXPECT_EQ(snaps.count(), 0);
    EXPECT_EQ(router_->snapshotPresses(), 0);
    EXPECT_EQ(probe->presses(Qt::Key_Space), 1);
    EXPECT_EQ(clicks.count(), 1); // the button's own Space handling, untouched
}

TEST_F(KeyRouterTest, VRequestsRecordingOncePerPress)
{
    QSignalSpy records(router_.get(), &KeyRouter::recordRequested);
    auto *probe = new KeyProbe(button_);
    focus(button_);
    QTest::keyClick(button_, Qt::Key_V);
    sendKey(button_, QEvent::KeyPress, Qt::Key_V, 5000);
    sendKey(button_, QEvent::KeyRelease, Qt::Key_V, 5030);
    sendKey(button_, QEvent::KeyPress, Qt::Key_V, 5030); // an unflagged repeat
    sendKey(button_, QEvent::KeyRelease, Qt::Key_V, 5300);
    EXPECT_EQ(records.count(), 2);
    EXPECT_EQ(router_->snapshotPresses(), 0);
    EXPECT_EQ(probe->presses(Qt::Key_V), 0);
}

TEST_F(KeyRouterTest, SpaceAndVOnKeyTakingWidgetsPassThrough)
{
    QSignalSpy records(router_.get(), &KeyRouter::recordRequested);
    for (QWidget *w : std::initializer_list<QWidget *>{edit_, slider_, combo_}) {
        auto *probe = new KeyProbe(w);
        focus(w);
        sendKey(w, QEvent::KeyPress, Qt::Key_Space, 0);
        sendKey(w, QEvent::KeyRelease, Qt::Key_Space, 0);
        combo_->hidePopup(); // Space opens the combo box list; close it for the next widget
        sendKey(w, QEvent::KeyPress, Qt::Key_V, 0);
        sendKey(w, QEvent::KeyRelease, Qt::Key_V, 0);
        EXPECT_EQ(probe->presses(Qt::Key_Space), 1) << w->metaObject()->className();
        EXPECT_EQ(probe->presses(Qt::Key_V), 1) << w->metaObject()->className();
    }
    EXPECT_EQ(router_->snapshotPresses(), 0);
    EXPECT_EQ(records.count(), 0);
}

TEST_F(KeyRouterTest, SpaceSentToTheButtonWhileALineEditHasFocusDoesNotAct)
{
    focus(edit_);
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 1000);
    sendKey(button_, QEvent::KeyRelease, Qt::Key_Space, 1100);
    EXPECT_EQ(router_->snapshotPresses(), 0);
}

TEST_F(KeyRouterTest, ReleaseThatWentToAModalBoxLeavesTheRouterReady)
{
    focus(button_);
    int boxes = 0;
    const QMetaObject::Connection opener = QObject::connect(router_.get(), &KeyRouter::snapshotRequested, [&] {
        ++boxes;
        QMessageBox box(QMessageBox::Information, QStringLiteral("Saved"), QStringLiteral("Saved"), QMessageBox::Ok,
                        window_.get());
        // The key comes up while the box is open, so the release goes to the box, then it closes.
        QTimer::singleShot(0, &box, [&box] {
            QWidget *target = box.focusWidget() ? box.focusWidget() : &box;
            sendKey(target, QEvent::KeyRelease, Qt::Key_Space, 1100);
            box.reject();
        });
        box.exec();
    });
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 1000);
    ASSERT_EQ(boxes, 1);
    QObject::disconnect(opener);

    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 1400);
    sendKey(button_, QEvent::KeyRelease, Qt::Key_Space, 1500);
    EXPECT_EQ(router_->snapshotPresses(), 2);
}

TEST_F(KeyRouterTest, LosingActivationEndsAHoldWhoseReleaseWasNeverSeen)
{
    focus(button_);
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 1000);
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 3000); // still held: no release seen
    EXPECT_EQ(router_->snapshotPresses(), 1);

    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(window_.get(), &deactivate);
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 5000);
    EXPECT_EQ(router_->snapshotPresses(), 2);

    QApplicationStateChangeEvent inactive(Qt::ApplicationInactive);
    QApplication::sendEvent(qApp, &inactive);
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 7000);
    EXPECT_EQ(router_->snapshotPresses(), 3);
}

TEST_F(KeyRouterTest, KeysInAnotherTopLevelWindowDoNotAct)
{
    QWidget other;
    auto *otherButton = new QPushButton(QStringLiteral("Other"), &other);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QSignalSpy clicks(otherButton, &QPushButton::clicked);
    QSignalSpy records(router_.get(), &KeyRouter::recordRequested);
    QTest::keyClick(otherButton, Qt::Key_Space);
    QTest::keyClick(otherButton, Qt::Key_V);
    EXPECT_EQ(router_->snapshotPresses(), 0);
    EXPECT_EQ(records.count(), 0);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(KeyRouterTest, DestroyingTheRouterLeavesKeysAlone)
{
    router_.reset();
    auto *probe = new KeyProbe(button_);
    focus(button_);
    QTest::keyClick(button_, Qt::Key_Space);
    EXPECT_EQ(probe->presses(Qt::Key_Space), 1);
}

TEST(KeyRouterTakesKeys, TextArrowAndChoiceWidgetsKeepSpaceAndV)
{
    QWidget parent;
    auto *editable = new QComboBox(&parent);
    editable->setEditable(true);
    auto *list = new QListView(&parent);
    auto *inList = new QPushButton(list->viewport());
    auto *imeWidget = new QWidget(&parent);
    imeWidget->setAttribute(Qt::WA_InputMethodEnabled);
    auto *hinted = new QWidget(&parent);
    hinted->setInputMethodHints(Qt::ImhDigitsOnly);
    const std::vector<QWidget *> taking{new QLineEdit(&parent), new QTextEdit(&parent), new QPlainTextEdit(&parent),
                                        new QSpinBox(&parent),  new QComboBox(&parent), editable,
                                        new QSlider(&parent),   new QScrollBar(&parent), list,
                                        inList,                 new QTabBar(&parent),    imeWidget,
                                        hinted};
    for (QWidget *w : taking)
        EXPECT_TRUE(KeyRouter::takesKeys(w)) << w->metaObject()->className();
    for (QWidget *w : std::initializer_list<QWidget *>{new QPushButton(&parent), new QLabel(&parent), new QWidget(&parent), &parent})
        EXPECT_FALSE(KeyRouter::takesKeys(w)) << w->metaObject()->className();
}

TEST_F(KeyRouterTest, ReleaseDeliveredToAnotherWindowEndsTheHold)
{
    // Our window is active again before the press, so only the release itself can end the hold.
    QWidget other;
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    focus(button_);
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 1000);
    sendKey(&other, QEvent::KeyRelease, Qt::Key_Space, 1100);
    sendKey(button_, QEvent::KeyPress, Qt::Key_Space, 1400);
    EXPECT_EQ(router_->snapshotPresses(), 2);
}
