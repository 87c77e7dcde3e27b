#include "measure/ui/windowdrag.h"

#include <gtest/gtest.h>

namespace measure {
namespace {

PointerInput at(int x, int y, bool ctrl = true, PointerButton button = PointerButton::Left)
{
    return {button, QPoint(x, y), false, ctrl};
}

TEST(WindowDrag, MovesTheWindowInsideItsRange)
{
    WindowDrag drag;
    drag.setEnabled(true);
    drag.setRange(-100, -50, 0, 0);
    drag.setPosition({-20, -10});
    ASSERT_TRUE(drag.press(at(100, 100)));
    EXPECT_TRUE(drag.active());
    // The pointer went 10 left and 5 up: the window follows by as much.
    EXPECT_EQ(drag.move(at(90, 95)), QPoint(-30, -15));
    // Far right and down: held at the range's maximum.
    EXPECT_EQ(drag.move(at(400, 400)), QPoint(0, 0));
    // Ctrl let go mid-drag: the move is not a drag step.
    EXPECT_EQ(drag.move(at(10, 10, false)), std::nullopt);
    EXPECT_TRUE(drag.release());
    EXPECT_FALSE(drag.active());
    EXPECT_FALSE(drag.release()) << "a second release ends nothing";
}

TEST(WindowDrag, AnAxisWithoutRoomStaysWhereItIs)
{
    WindowDrag drag;
    drag.setEnabled(true);
    drag.setRange(-200, 0, 0, 0);   // wider than its area, exactly as high
    drag.setPosition({-50, 0});
    ASSERT_TRUE(drag.press(at(100, 100)));
    EXPECT_EQ(drag.move(at(60, 180)), QPoint(-90, 0));
}

TEST(WindowDrag, OnlyACtrlLeftPressWhileEnabledStartsADrag)
{
    struct Row {
        bool enabled;
        PointerInput in;
        bool starts;
    };
    for (const Row &r : {Row{true, at(5, 5), true}, Row{false, at(5, 5), false}, Row{true, at(5, 5, false), false},
                         Row{true, at(5, 5, true, PointerButton::Right), false}}) {
        WindowDrag drag;
        drag.setEnabled(r.enabled);
        EXPECT_EQ(drag.press(r.in), r.starts);
        EXPECT_EQ(drag.active(), r.starts);
    }
}

} // namespace
} // namespace measure
