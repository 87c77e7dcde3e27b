#include "measure/ui/measuringsurface.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <clocale>

namespace measure {
namespace {

constexpr platform::ColorRef kWhite = 0xFFFFFF;

// Stands in for the video widget: forwards its mouse events to the surface, nothing else.
class ForwardingWidget final : public QWidget
{
public:
    explicit ForwardingWidget(MeasuringSurface &surface) : surface_(surface) {}

protected:
    void mousePressEvent(QMouseEvent *e) override { surface_.mousePress(*e); }
    void mouseMoveEvent(QMouseEvent *e) override { surface_.mouseMove(*e); }
    void mouseReleaseEvent(QMouseEvent *e) override { surface_.mouseRelease(*e); }
    void mouseDoubleClickEvent(QMouseEvent *e) override { surface_.mouseDoubleClick(*e); }

private:
    MeasuringSurface &surface_;
};

class Surface : public ::testing::Test
{
protected:
    MeasuringSurface surface;
    ForwardingWidget widget{surface};

    void SetUp() override
    {
        widget.resize(640, 480);
        surface.setGeometry(widget.size(), {640, 480});
        surface.session().EntryMeasurementMode();
    }

    // A move with buttons held and modifiers, as the toolkit delivers it during a drag.
    void dragTo(QPoint pos, Qt::MouseButtons held = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        QMouseEvent e(QEvent::MouseMove, QPointF(pos), widget.mapToGlobal(QPointF(pos)), Qt::NoButton, held, mods);
        QApplication::sendEvent(&widget, &e);
    }
    void click(QPoint pos, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(&widget, button, mods, pos);
    }
};

TEST_F(Surface, TwoClicksDrawALineAndReportTheLayer)
{
    QSignalSpy layer(&surface, &MeasuringSurface::layerChanged);
    QSignalSpy cursor(&surface, &MeasuringSurface::cursorChangeRequested);
    surface.selectTool(ShapeKind::Line);
    ASSERT_EQ(cursor.count(), 1);
    EXPECT_EQ(cursor.at(0).at(0).value<Qt::CursorShape>(), Qt::CrossCursor);
    click({10, 10});
    click({110, 10});
    EXPECT_FALSE(surface.session().inProgress());
    EXPECT_GE(layer.count(), 2);
    EXPECT_EQ(surface.layer().pixel(10, 10), 0xFF0000u);
    EXPECT_EQ(surface.layer().pixel(109, 10), 0xFF0000u);
    EXPECT_EQ(surface.layer().pixel(110, 10), kWhite);
}

TEST_F(Surface, DragWithTheButtonHeldShowsARubberBandButDoesNotFinish)
{
    surface.selectTool(ShapeKind::Line);
    QTest::mousePress(&widget, Qt::LeftButton, {}, {10, 10});
    QSignalSpy layer(&surface, &MeasuringSurface::layerChanged);
    dragTo({110, 10});
    EXPECT_EQ(layer.count(), 1);
    EXPECT_EQ(surface.layer().pixel(11, 10), 0xFF0000u);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, {110, 10});
    EXPECT_TRUE(surface.session().inProgress());
    click({200, 10});
    EXPECT_FALSE(surface.session().inProgress());
    EXPECT_EQ(surface.session().shape().b, (MeasurePoint{200, 10}));
}

TEST_F(Surface, ShiftHeldOnTheSecondClickMakesTheLineVertical)
{
    surface.selectTool(ShapeKind::Line);
    click({100, 100});
    click({130, 140}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(surface.session().shape().b, (MeasurePoint{100, 140}));
    click({200, 200});
    click({240, 230}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(surface.session().shape().b, (MeasurePoint{240, 200}));
}

TEST_F(Surface, DoubleClickWithoutToolRequestsFullScreenAndPlacesNothing)
{
    surface.selectTool(ShapeKind::None);
    QSignalSpy toggle(&surface, &MeasuringSurface::fullScreenToggleRequested);
    QTest::mouseDClick(&widget, Qt::LeftButton, {}, {50, 50});
    EXPECT_EQ(toggle.count(), 1);
    EXPECT_FALSE(surface.session().inProgress());
    EXPECT_EQ(surface.session().shape().a, (MeasurePoint{}));
    EXPECT_EQ(surface.session().labels().counter, 0);
}

TEST_F(Surface, NodeLineFinishesOnARightClickAwayFromTheLastPoint)
{
    surface.selectTool(ShapeKind::NodeLine);
    click({10, 10});
    click({60, 10});
    click({60, 10}, Qt::RightButton);
    EXPECT_TRUE(surface.session().inProgress());
    click({60, 70}, Qt::RightButton);
    EXPECT_FALSE(surface.session().inProgress());
    EXPECT_EQ(surface.session().shape().nodes[2], (MeasurePoint{60, 70}));
    EXPECT_EQ(surface.layer().pixel(57, 10), 0xFF0000u);   // node circle around (60, 10)
}

TEST_F(Surface, CtrlDragRequestsWindowMoves)
{
    surface.windowDrag().setEnabled(true);
    surface.windowDrag().setRange(-200, -200, 0, 0);
    surface.selectTool(ShapeKind::Line);
    QSignalSpy moves(&surface, &MeasuringSurface::windowMoveRequested);
    QTest::mousePress(&widget, Qt::LeftButton, Qt::ControlModifier, {100, 100});
    dragTo({80, 70}, Qt::LeftButton, Qt::ControlModifier);
    ASSERT_EQ(moves.count(), 1);
    EXPECT_EQ(moves.at(0).at(0).toPoint(), QPoint(-20, -30));
    QTest::mouseRelease(&widget, Qt::LeftButton, Qt::ControlModifier, {80, 70});
    EXPECT_FALSE(surface.session().inProgress());
}

TEST_F(Surface, WideWindowMapsClicksToPicturePixels)
{
    widget.resize(1280, 960);
    surface.setGeometry(widget.size(), {640, 480});
    surface.selectTool(ShapeKind::Rectangle);
    click({20, 20});
    click({221, 121});
    EXPECT_EQ(surface.session().shape().a, (MeasurePoint{10, 10}));
    EXPECT_EQ(surface.session().shape().b, (MeasurePoint{110, 60}));
    EXPECT_EQ(surface.layer().size(), QSize(640, 480));
    EXPECT_EQ(surface.layer().pixel(10, 10), 0xFF0000u);
    EXPECT_EQ(surface.layer().pixel(109, 59), 0xFF0000u);
    EXPECT_EQ(surface.layer().pixel(110, 59), kWhite);   // right edge left out
}

TEST_F(Surface, UndoAndRedoThroughTheToolBar)
{
    QSignalSpy history(&surface, &MeasuringSurface::historyChanged);
    surface.setOverlap(true);
    surface.selectTool(ShapeKind::Line);
    click({10, 10});
    click({110, 10});
    EXPECT_TRUE(surface.session().undoEnabled());
    surface.undo();
    EXPECT_EQ(surface.layer().pixel(50, 10), kWhite);
    EXPECT_TRUE(surface.session().redoEnabled());
    surface.redo();
    EXPECT_EQ(surface.layer().pixel(50, 10), 0xFF0000u);
    EXPECT_GE(history.count(), 4);
}

} // namespace
} // namespace measure

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
