#include "app/heldkeyfilter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using app::HeldKeyFilter;

namespace {

constexpr int kSpace = 0x20;
constexpr int kV = 0x56;

struct Step {
    bool press;
    int key;
    bool autoRepeat;
    std::uint64_t timestampMs;
};

struct Case {
    std::string name;
    std::vector<Step> steps;
    int expectFirstPresses;
};

int firstPresses(const std::vector<Step> &steps)
{
    HeldKeyFilter filter;
    int first = 0;
    for (const Step &s : steps) {
        if (!s.press)
            filter.release(s.key, s.autoRepeat, s.timestampMs);
        else if (filter.press(s.key, s.autoRepeat, s.timestampMs) == HeldKeyFilter::Press::First)
            ++first;
    }
    return first;
}

// A two-second hold as a server without the auto-repeat flag delivers it: a press, then
// release/press pairs `gapMs` apart inside each pair, one pair every 30 ms, then the real release.
std::vector<Step> heldWithoutFlag(std::uint64_t startMs, std::uint64_t gapMs)
{
    std::vector<Step> steps{{true, kSpace, false, startMs}};
    std::uint64_t t = startMs + 500;
    for (; t < startMs + 2000; t += 30) {
        steps.push_back({false, kSpace, false, t});
        steps.push_back({true, kSpace, false, t + gapMs});
    }
    steps.push_back({false, kSpace, false, t});
    return steps;
}

} // namespace

class HeldKeyTable : public ::testing::TestWithParam<Case> {};

TEST_P(HeldKeyTable, CountsOnePerPhysicalPress)
{
    EXPECT_EQ(firstPresses(GetParam().steps), GetParam().expectFirstPresses);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, HeldKeyTable,
    ::testing::Values(
        Case{"SinglePress", {{true, kSpace, false, 1000}, {false, kSpace, false, 1080}}, 1},
        Case{"FlaggedRepeatsAreOnePress",
             {{true, kSpace, false, 1000}, {false, kSpace, true, 1500}, {true, kSpace, true, 1500},
              {false, kSpace, true, 1530}, {true, kSpace, true, 1530}, {false, kSpace, false, 1600}},
             1},
        Case{"UnflaggedPairsWithTheSameTimestampAreOnePress", heldWithoutFlag(1000, 0), 1},
        Case{"UnflaggedPairsJustInsideTheGapAreOnePress", heldWithoutFlag(1000, HeldKeyFilter::kRepeatGapMs), 1},
        Case{"TapsJustOutsideTheGapAreTwoPresses",
             {{true, kSpace, false, 1000}, {false, kSpace, false, 1060},
              {true, kSpace, false, 1060 + HeldKeyFilter::kRepeatGapMs + 1}, {false, kSpace, false, 1200}},
             2},
        Case{"TapsTwoHundredMsApartAreOnePressEach",
             {{true, kSpace, false, 1000}, {false, kSpace, false, 1100}, {true, kSpace, false, 1200},
              {false, kSpace, false, 1300}, {true, kSpace, false, 1400}, {false, kSpace, false, 1500}},
             3},
        Case{"PressWhileHeldIsARepeat", {{true, kSpace, false, 1000}, {true, kSpace, false, 3000}}, 1},
        Case{"UnknownTimestampsNeverMergePresses",
             {{true, kSpace, false, 0}, {false, kSpace, false, 0}, {true, kSpace, false, 0}, {false, kSpace, false, 0}},
             2},
        Case{"ReleaseTimestampUnknownDoesNotMerge",
             {{true, kSpace, false, 1000}, {false, kSpace, false, 0}, {true, kSpace, false, 20}}, 2},
        Case{"ClockWrappedBetweenReleaseAndPressIsANewPress",
             {{true, kSpace, false, 4294967000ULL}, {false, kSpace, false, 4294967290ULL}, {true, kSpace, false, 5}},
             2},
        Case{"OtherKeysDoNotEndAHold",
             {{true, kSpace, false, 1000}, {true, kV, false, 1010}, {false, kV, false, 1020}, {true, kSpace, true, 1500}},
             2},
        Case{"ReleaseOfAKeyNeverPressedIsHarmless", {{false, kV, false, 900}, {true, kV, false, 910}}, 1},
        Case{"AFlaggedRepeatWithoutAnyPressDoesNotAct", {{true, kSpace, true, 1000}}, 0},
        Case{"ARepeatedReleaseOnTheParentChainKeepsTheFirstTime",
             {{true, kSpace, false, 1000}, {false, kSpace, false, 1100}, {false, kSpace, false, 1100},
              {true, kSpace, false, 1110}},
             1}),
    [](const ::testing::TestParamInfo<Case> &info) { return info.param.name; });

TEST(HeldKeyFilter, ReleaseAllEndsAHoldWhoseReleaseWasNeverSeen)
{
    HeldKeyFilter filter;
    ASSERT_EQ(filter.press(kSpace, false, 1000), HeldKeyFilter::Press::First);
    EXPECT_TRUE(filter.isHeld(kSpace));
    filter.releaseAll();
    EXPECT_FALSE(filter.isHeld(kSpace));
    EXPECT_EQ(filter.press(kSpace, false, 5000), HeldKeyFilter::Press::First);
}

TEST(HeldKeyFilter, ReleaseAllForgetsARecentReleaseSoTheNextPressActs)
{
    HeldKeyFilter filter;
    filter.press(kSpace, false, 1000);
    filter.release(kSpace, false, 1100);
    filter.releaseAll();
    EXPECT_EQ(filter.press(kSpace, false, 1110), HeldKeyFilter::Press::First);
}

TEST(HeldKeyFilter, FlaggedRepeatReleaseKeepsTheKeyHeld)
{
    HeldKeyFilter filter;
    filter.press(kSpace, false, 1000);
    filter.release(kSpace, true, 1500);
    EXPECT_TRUE(filter.isHeld(kSpace));
    filter.release(kSpace, false, 1600);
    EXPECT_FALSE(filter.isHeld(kSpace));
}
