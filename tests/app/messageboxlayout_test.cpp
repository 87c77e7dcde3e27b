#include "app/messageboxlayout.h"

#include <gtest/gtest.h>

using app::layoutMessageBox;

TEST(MessageBoxLayout, WidthFollowsTheTextButNeverNarrowerThanTheButtons)
{
    EXPECT_EQ(layoutMessageBox(64, 300, 75, 75, true).dialogWidth, 379);
    EXPECT_EQ(layoutMessageBox(64, 20, 75, 75, true).dialogWidth, 190);
    EXPECT_EQ(layoutMessageBox(64, 20, 75, 75, false).dialogWidth, 190);
}

TEST(MessageBoxLayout, ButtonsAtThirdsOrPushedApartEvenly)
{
    // Wide: OK at a third, Cancel at two thirds.
    const auto wide = layoutMessageBox(64, 300, 75, 75, true);
    EXPECT_EQ(wide.okCentre, 126);
    EXPECT_EQ(wide.cancelCentre, 252);
    // Narrow: a third (63) is short of 37 + 37 + 20 = 94 by 31, so each moves 15.
    const auto narrow = layoutMessageBox(64, 20, 75, 75, true);
    EXPECT_EQ(narrow.okCentre, 63 - 15);
    EXPECT_EQ(narrow.cancelCentre, 126 + 15);
    // Without Cancel, OK is centred.
    EXPECT_EQ(layoutMessageBox(64, 300, 75, 75, false).okCentre, 189);
}

TEST(MessageBoxLayout, LongTextsWrapAtAReadingWidthAndWithinTheWindow)
{
    using app::messageTextWidth;
    EXPECT_EQ(messageTextWidth(300, 64, 800), 300);                            // fits: as it is
    EXPECT_EQ(messageTextWidth(1200, 64, 800), app::kMessageWrapWidth);        // long: wraps
    EXPECT_EQ(messageTextWidth(1200, 64, 400), 400 - 64 - 15);                 // a narrow window
    EXPECT_LE(64 + messageTextWidth(1200, 64, 400) + 15, 400);
    EXPECT_EQ(messageTextWidth(1200, 64, 0), app::kMessageWrapWidth);          // no window known
    EXPECT_GT(messageTextWidth(1200, 64, 50), 0);                              // never squeezed to nothing
}
