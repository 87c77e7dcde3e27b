// Labels that would cover an earlier label or run off the picture move to the nearest free place.
#include "measure/labelplacer.h"

#include <gtest/gtest.h>

#include <random>

namespace measure {
namespace {

struct PlaceRow {
    const char *what;
    std::vector<QRect> taken;
    QRect wanted;
    QRect expected;
};

class PlaceLabel : public ::testing::TestWithParam<PlaceRow> {};

TEST_P(PlaceLabel, TakesTheWantedPlaceOrTheNearestFreeOne)
{
    const PlaceRow &row = GetParam();
    LabelPlacer placer(QSize(640, 480));
    placer.setTaken(row.taken);
    EXPECT_EQ(placer.place(row.wanted), row.expected) << row.what;
    EXPECT_EQ(placer.taken().back(), row.expected) << row.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlaceLabel,
    ::testing::Values(
        PlaceRow{"free and inside: stays", {QRect(0, 0, 50, 13)}, QRect(100, 100, 105, 13), QRect(100, 100, 105, 13)},
        PlaceRow{"touching is not covering", {QRect(100, 87, 105, 13)}, QRect(100, 100, 105, 13),
                 QRect(100, 100, 105, 13)},
        // Two circles on one particle: 3 px lower and 2 px right of the first label.
        PlaceRow{"below the label it would cover", {QRect(344, 204, 105, 13)}, QRect(346, 207, 105, 13),
                 QRect(346, 217, 105, 13)},
        PlaceRow{"above when that is nearer", {QRect(344, 204, 105, 13)}, QRect(346, 200, 105, 13),
                 QRect(346, 191, 105, 13)},
        PlaceRow{"beside when above and below are taken",
                 {QRect(100, 100, 50, 13), QRect(0, 60, 640, 40), QRect(0, 113, 640, 60)}, QRect(104, 102, 40, 13),
                 QRect(60, 100, 40, 13)},
        PlaceRow{"off the right edge: pushed in", {}, QRect(599, 104, 98, 13), QRect(542, 104, 98, 13)},
        PlaceRow{"off the bottom-left corner: pushed in", {}, QRect(-10, 470, 50, 13), QRect(0, 467, 50, 13)},
        PlaceRow{"pushed in onto a label: the nearest free place inside", {QRect(530, 100, 110, 13)},
                 QRect(599, 104, 98, 13), QRect(542, 113, 98, 13)}));

TEST(LabelPlacer, ALabelLargerThanThePictureStaysAtItsCorner)
{
    LabelPlacer placer(QSize(60, 10));
    EXPECT_EQ(placer.place(QRect(20, 5, 105, 13)), QRect(0, 0, 105, 13));
}

TEST(LabelPlacer, AFullPictureKeepsTheWantedPlaceInside)
{
    LabelPlacer placer(QSize(100, 26));
    placer.place(QRect(0, 0, 100, 13));
    placer.place(QRect(0, 13, 100, 13));
    EXPECT_EQ(placer.taken().size(), 2u);
    EXPECT_EQ(placer.place(QRect(10, 20, 50, 13)), QRect(10, 13, 50, 13));
}

TEST(LabelPlacer, SixtyLabelsWantedAtRandomPlacesEachGetAFreePlaceInside)
{
    // A busy picture: every label asks for a place somewhere, most of them over earlier ones;
    // a quarter of the picture is labels at the end, so each finds a free place.
    LabelPlacer placer(QSize(640, 480));
    std::mt19937 rng(7);
    for (int n = 0; n < 60; ++n) {
        const QRect wanted(int(rng() % 700) - 30, int(rng() % 520) - 20, 60 + int(rng() % 60), 13);
        const QRect cell = placer.place(wanted);
        EXPECT_EQ(cell.size(), wanted.size());
        EXPECT_TRUE(QRect(0, 0, 640, 480).contains(cell)) << n;
        for (std::size_t k = 0; k + 1 < placer.taken().size(); ++k)
            ASSERT_FALSE(placer.taken()[k].intersects(cell)) << "label " << n << " over label " << k;
    }
}

TEST(LabelPlacer, ResetForgetsEveryLabel)
{
    LabelPlacer placer(QSize(640, 480));
    placer.place(QRect(10, 10, 50, 13));
    placer.reset(QSize(320, 240));
    EXPECT_TRUE(placer.taken().empty());
    EXPECT_EQ(placer.place(QRect(10, 10, 50, 13)), QRect(10, 10, 50, 13));
}

TEST(LeaderLine, RunsFromTheAnchorToTheNearestPointOfTheCell)
{
    struct Row { QPoint anchor; QRect cell; std::optional<std::pair<QPoint, QPoint>> expected; };
    const Row rows[] = {
        {{342, 203}, QRect(346, 217, 105, 13), std::pair{QPoint(342, 203), QPoint(346, 217)}},
        {{595, 100}, QRect(542, 104, 98, 13), std::pair{QPoint(595, 100), QPoint(595, 104)}},
        {{700, 110}, QRect(542, 104, 98, 13), std::pair{QPoint(700, 110), QPoint(639, 110)}},
        {{550, 110}, QRect(542, 104, 98, 13), std::nullopt},
    };
    for (const Row &r : rows)
        EXPECT_EQ(leaderLine(r.anchor, r.cell), r.expected) << r.anchor.x() << "," << r.anchor.y();
}

} // namespace
} // namespace measure
