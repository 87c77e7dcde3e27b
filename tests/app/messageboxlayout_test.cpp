#include "app/messageboxlayout.h"

#include <gtest/gtest.h>

using app::layoutMessageBox;
using app::messageTextWidth;

// Worked layouts: the label starts 64 pixels in (icon and gap), the dialog adds 15 right of it.
struct LayoutRow {
    const char *what;
    int labelWidth, okWidth, cancelWidth;
    bool withCancel;
    int dialogWidth, okCentre, cancelCentre;
};

TEST(MessageBoxLayout, WorkedLayouts)
{
    const LayoutRow rows[] = {
        // 64 + 300 + 15 = 379 is wider than 75 + 75 + 40 = 190; thirds at 126 and 252.
        {"wide text", 300, 75, 75, true, 379, 126, 252},
        // 64 + 20 + 15 = 99 is narrower than the buttons: 190. A third (63) is short of
        // 37 + 37 + 20 = 94 by 31, so each button moves 15 out.
        {"short text", 20, 75, 75, true, 190, 48, 141},
        // Without Cancel OK is centred: 379 / 2.
        {"wide text, OK only", 300, 75, 75, false, 379, 189, 0},
        {"short text, OK only", 20, 75, 75, false, 190, 95, 0},
        // A long Cancel caption: 80 + 120 + 40 = 240; a third (80) is short of 40 + 60 + 20 = 120
        // by 40, so each moves 20.
        {"long Cancel caption", 100, 80, 120, true, 240, 60, 180},
        // Exactly enough room at a third: nothing moves.
        {"just enough", 221, 75, 75, true, 300, 100, 200},
    };
    for (const LayoutRow &r : rows) {
        const auto g = layoutMessageBox(64, r.labelWidth, r.okWidth, r.cancelWidth, r.withCancel);
        EXPECT_EQ(g.dialogWidth, r.dialogWidth) << r.what;
        EXPECT_EQ(g.okCentre, r.okCentre) << r.what;
        if (r.withCancel) {
            EXPECT_EQ(g.cancelCentre, r.cancelCentre) << r.what;
        }
    }
}

TEST(MessageBoxLayout, LongTextsWrapAtAReadingWidthAndWithinTheWindow)
{
    struct Row {
        const char *what;
        int naturalWidth, windowWidth, expected;
    };
    const Row rows[] = {
        {"fits: as it is", 300, 800, 300},
        {"long: wraps at the reading width", 1200, 800, 420},
        {"a narrow window: 400 - 64 - 15", 1200, 400, 321},
        {"no window known", 1200, 0, 420},
        {"a tiny window still leaves a readable column", 1200, 50, 120},
        {"a short text in a tiny window", 90, 50, 90},
    };
    for (const Row &r : rows)
        EXPECT_EQ(messageTextWidth(r.naturalWidth, 64, r.windowWidth), r.expected) << r.what;
}
