// Edge snapping through the real window on the virtual camera's stage micrometer: the drawing
// bar's toggle, Alt, the saved setting, and the repeatability of snapped lines between division
// edges.
#include "camera/ui/cameracontroller.h"
#include "feature/ui/controls.h"
#include "app/ui/sendraapplication.h"
#include "app/ui/shell.h"
#include "measure/ui/measurecontroller.h"
#include "measure/ui/resultscontroller.h"

#include "wholeprogram.h"

#include "camera/ui/videowidget.h"
#include "measure/measuringsession.h"
#include "measure/resultstable.h"
#include "measure/ui/measuringsurface.h"
#include "platform/iniprofilestore.h"
#include "scales/calibration.h"

#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace app::ui;
using C = state::ControlId;

namespace {

// The micrometer as the virtual camera draws it at 640 x 480: 5 px a division, so 1 mm is 500 px,
// tick 0 at x = 70 and tick 100 at x = 570, each 2 px wide. Between 27.5 and 40 px above the base
// line (y = 201.6) only the long tick of every tenth division stands.
constexpr double kTick0LeftEdge = 68.5;     // between pixels 68 and 69
constexpr double kTick100LeftEdge = 568.5;
constexpr int kLongTicksOnlyY = 167;

struct Program : wholeprogram::Program {
    measure::MeasuringSession &session() { return app->measure().surface().session(); }
    void clickTool(C id)
    {
        shell().UpdateActions();
        QToolButton *b = shell().controls().toolButton(id);
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << int(id);
        b->click();
    }
    void clickVideo(QPoint p, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(app->camera().videoWidget(), Qt::LeftButton, modifiers, p);
    }
    // The picture at its own size in draw mode, calibrated 1.00 mm over 500 px, the line tool.
    void setUp()
    {
        ASSERT_TRUE(connect());
        shell().controls().action(C::NBy_Resolution)->trigger();
        shell().UpdateActions();
        QCoreApplication::processEvents();
        shell().controls().button(C::ChangeModeTB_Draw)->click();
        shell().UpdateActions();
        ASSERT_EQ(session().pictureSize(), QSize(640, 480));
        ASSERT_EQ(session().windowSize(), session().pictureSize());
        scales::RulerScaleControl scale = session().scale();
        scales::Calibration calibration;
        calibration.setRealLengthSpin(scales::ScaleUnit::Millimetre, 100);   // 1.00 mm
        calibration.compute(500.0, scale);
        app->measure().surface().setScale(scale);
        shell().controls().action(C::ST_Line)->trigger();
    }
};

} // namespace

TEST(SnappingProgram, ToggleSnapsClicksAltInvertsItAndTheSettingIsSaved)
{
    Program p;
    p.setUp();
    QToolButton *snap = p.shell().controls().toolButton(C::DrawRulerTB_SnapEdge);
    EXPECT_FALSE(snap->isChecked());   // off at first start: measuring is as it always was
    EXPECT_FALSE(p.session().snapping());
    const QPoint nearTick(70, kLongTicksOnlyY);
    p.clickVideo(nearTick);
    p.clickVideo({300, kLongTicksOnlyY});
    EXPECT_EQ(p.session().shape().a, (measure::MeasurePoint{70, kLongTicksOnlyY}));

    p.clickTool(C::DrawRulerTB_SnapEdge);
    EXPECT_TRUE(p.session().snapping());
    EXPECT_TRUE(p.shell().state().settings().SnapToEdge);
    p.clickVideo(nearTick);
    p.clickVideo({300, kLongTicksOnlyY});
    EXPECT_TRUE(p.session().shape().snapped.contains(p.session().shape().a));
    EXPECT_NE(p.session().shape().a.x, 70.0f);
    // Alt held, or Super where the window manager takes Alt-clicks: this one click is not snapped.
    for (const Qt::KeyboardModifiers invert : {Qt::AltModifier, Qt::MetaModifier}) {
        p.clickVideo(nearTick, invert);
        p.clickVideo({300, kLongTicksOnlyY});
        EXPECT_EQ(p.session().shape().a, (measure::MeasurePoint{70, kLongTicksOnlyY})) << int(invert);
        p.clickVideo(nearTick);
        p.clickVideo({300, kLongTicksOnlyY});
        EXPECT_NE(p.session().shape().a.x, 70.0f);
    }

    p.shell().SysInfoUserSet();
    platform::IniProfileStore reread(p.profile.path() + "/Talvent Technology/Sendra-CAM/UserSysInfo.ini");
    EXPECT_EQ(reread.read("Setting", "DefData.SnapToEdge"), "1");
}

TEST(SnappingProgram, SnappedLinesBetweenDivisionEdgesRepeatWithinAThousandthOfAMillimetre)
{
    Program p;
    p.setUp();
    p.clickTool(C::DrawRulerTB_SnapEdge);
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> off(-3, 3);
    const auto place = [&](double edgeX) {
        return QPoint(int(std::lround(edgeX)) + off(random), kLongTicksOnlyY + off(random));
    };
    double low = 1e9, high = -1e9, plainLow = 1e9, plainHigh = -1e9;
    for (int i = 0; i < 20; ++i) {
        const QPoint a = place(kTick0LeftEdge), b = place(kTick100LeftEdge);
        for (const bool snapped : {true, false}) {
            const Qt::KeyboardModifiers mods = snapped ? Qt::NoModifier : Qt::AltModifier;
            p.clickVideo(a, mods);
            p.clickVideo(b, mods);
            ASSERT_FALSE(p.session().inProgress());
            const std::vector<measure::ResultRow> rows = measure::resultRows(p.session());
            ASSERT_EQ(rows.size(), 1u);
            const double mm = rows[0].value.value;
            (snapped ? low : plainLow) = std::min(snapped ? low : plainLow, mm);
            (snapped ? high : plainHigh) = std::max(snapped ? high : plainHigh, mm);
        }
    }
    std::printf("[ micrometer, 1.00 mm over 500 px, 20 lines from clicks +-3 px ] snapped: %.5f ... %.5f mm "
                "(spread %.5f mm); unsnapped: %.5f ... %.5f mm (spread %.5f mm)\n",
                low, high, high - low, plainLow, plainHigh, plainHigh - plainLow);
    EXPECT_LE(high - low, 0.001);
    EXPECT_GT(plainHigh - plainLow, 0.004);   // the same clicks unsnapped scatter by pixels
    // Both ends find an edge of their division line: within a line's width of the millimetre.
    EXPECT_NEAR(low, 1.0, 0.005);
}

// The snapping toggle is the draw bar's last button: in the single-window presets the change-mode
// bar sits beside the mode bars, and must cover none of the draw bar's buttons, however wide it is.
// The maximised presets are laid out for the stated screen while the offscreen window keeps the
// platform's size, so there only the change-mode bar's place is checked, not what is on top.
TEST(SnappingProgram, EveryDrawBarButtonIsReachableInEveryWindowPreset)
{
    Program p;
    p.app->layout().screenSizeOverride = QSize(1920, 1300);
    p.app->layout().updatePresetAvailability();
    p.setUp();
    QWidget &window = p.app->window();
    QToolBar *bar = p.shell().controls().toolBar(C::DrawRuler_ToolBar);
    QToolBar *change = p.shell().controls().toolBar(C::ChangeMode_ToolBar);
    for (const C preset : {C::NNormal_Screen, C::N640_480_Screen, C::N800_600_Screen, C::N1024_768_Screen, C::N1280_800_Screen,
                           C::N1280_960_Screen, C::N1600_1200_Screen, C::NFull_Screen_4_3, C::NFull_Screen, C::NBy_Resolution}) {
        SCOPED_TRACE(p.shell().controls().action(preset)->text().toStdString());
        QAction *item = p.shell().controls().action(preset);
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
        p.shell().UpdateActions();
        QCoreApplication::processEvents();
        ASSERT_TRUE(bar->isVisible());
        ASSERT_TRUE(change->isVisible());
        const bool maximised = preset == C::NFull_Screen_4_3 || preset == C::NFull_Screen;
        const QRect changeRect(change->mapTo(&window, QPoint(0, 0)), change->size());
        int checked = 0;
        for (QToolButton *button : bar->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly)) {
            if (!button->isVisible())
                continue;
            const std::string name = button->objectName().toStdString();
            const QRect rect(button->mapTo(&window, QPoint(0, 0)), button->size());
            EXPECT_FALSE(changeRect.contains(rect.center())) << name;
            ++checked;
            if (maximised)
                continue;
            ASSERT_TRUE(window.rect().contains(rect.center())) << name;
            QWidget *top = window.childAt(rect.center());
            EXPECT_TRUE(top == button || button->isAncestorOf(top))
                << name << " is covered by " << (top ? top->objectName().toStdString() : std::string("nothing"));
        }
        EXPECT_GE(checked, 14);
    }
    // Still the toggle it was: a click in the last preset switches snapping on.
    p.clickTool(C::DrawRulerTB_SnapEdge);
    EXPECT_TRUE(p.session().snapping());
}
