#include "tools/timedschedule.h"
#include "tools/toolnaming.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tools::ScheduleRecord;
using tools::TickAction;
using tools::TimedSchedule;

ScheduleRecord plan(int type, int start, int startUnit, int interval, int intervalUnit, int files, int record = 10,
                    int recordUnit = tools::kUnitSeconds)
{
    ScheduleRecord r;
    r.fileType = type;
    r.startTime = start;
    r.startUnit = startUnit;
    r.interval = interval;
    r.intervalUnit = intervalUnit;
    r.filesNumber = files;
    r.recordTime = record;
    r.recordUnit = recordUnit;
    r.totalSeconds = tools::totalSecondsOf(r);
    r.totalFigure = tools::totalFigure(r);
    return r;
}

struct ScheduleRun {
    std::vector<int> actionTicks;
    int endTick = 0;   // the tick at which the schedule went inactive
};

// Drives the schedule with one advance() per tick, as the one-second timer does.
ScheduleRun runSchedule(const ScheduleRecord &settings, int maxTicks = 200)
{
    TimedSchedule s;
    s.settings() = settings;
    s.arm();
    ScheduleRun run;
    for (int tick = 1; tick <= maxTicks; ++tick) {
        if (s.advance() != TickAction::None)
            run.actionTicks.push_back(tick);
        if (!s.running().active) {
            run.endTick = tick;
            break;
        }
    }
    return run;
}

TEST(TimedSchedule, ThreeStillsFiveSecondsApartActAtTicksOneSixElevenAndEndAtTwelve)
{
    const ScheduleRun run = runSchedule(plan(tools::kCaptureBmp, 0, tools::kUnitSeconds, 5, tools::kUnitSeconds, 3));
    EXPECT_EQ(run.actionTicks, (std::vector<int>{1, 6, 11}));
    EXPECT_EQ(run.endTick, 12);
}

TEST(TimedSchedule, TwoClipsRecordFromOneToElevenAndSixteenToTwentySix)
{
    TimedSchedule s;
    s.settings() = plan(tools::kCaptureAvi, 0, tools::kUnitSeconds, 5, tools::kUnitSeconds, 2, 10);
    s.arm();
    std::vector<std::pair<int, TickAction>> actions;
    for (int tick = 1; tick <= 40 && s.running().active; ++tick)
        if (const TickAction a = s.advance(); a != TickAction::None)
            actions.push_back({tick, a});
    // Each action toggles the recording: start, end, start, end.
    ASSERT_EQ(actions.size(), 4u);
    EXPECT_EQ(actions[0].first, 1);
    EXPECT_EQ(actions[1].first, 11);
    EXPECT_EQ(actions[2].first, 16);
    EXPECT_EQ(actions[3].first, 26);
    for (const auto &a : actions)
        EXPECT_EQ(a.second, TickAction::Avi);
    EXPECT_FALSE(s.running().active);
}

TEST(TimedSchedule, StartDelayOfOneSecondActsAtTheFirstTickLikeNoDelay)
{
    const ScheduleRun one = runSchedule(plan(tools::kCaptureJpg, 1, tools::kUnitSeconds, 2, tools::kUnitSeconds, 2));
    const ScheduleRun none = runSchedule(plan(tools::kCaptureJpg, 0, tools::kUnitSeconds, 2, tools::kUnitSeconds, 2));
    EXPECT_EQ(one.actionTicks, (std::vector<int>{1, 3}));
    EXPECT_EQ(none.actionTicks, one.actionTicks);
}

TEST(TimedSchedule, MinuteUnitsCountSixtyTicksPerStep)
{
    // Start 1 min, then two stills 1 min apart: the first at tick 60, the second at 120.
    const ScheduleRun run = runSchedule(plan(tools::kCaptureJpg, 1, tools::kUnitMinutes, 1, tools::kUnitMinutes, 2), 400);
    EXPECT_EQ(run.actionTicks, (std::vector<int>{60, 120}));
}

TEST(TimedSchedule, TotalSecondsCountDownWithTheTicks)
{
    TimedSchedule s;
    s.settings() = plan(tools::kCaptureBmp, 0, tools::kUnitSeconds, 5, tools::kUnitSeconds, 3);
    ASSERT_EQ(s.settings().totalSeconds, 10);
    s.arm();
    for (int i = 0; i < 6; ++i)
        s.advance();
    EXPECT_EQ(s.running().totalSeconds, 5);
    EXPECT_EQ(s.running().filesNumber, 1);
}

TEST(TimedSchedule, StoppingRestoresTheSettingsAndARestartBeginsAgain)
{
    TimedSchedule s;
    s.settings() = plan(tools::kCaptureBmp, 2, tools::kUnitSeconds, 5, tools::kUnitSeconds, 3);
    s.setActive(true);
    s.advance();
    s.advance();
    EXPECT_EQ(s.running().filesNumber, 2);
    s.setActive(false);
    EXPECT_EQ(s.phase(), 0);
    EXPECT_EQ(s.running().filesNumber, 3);
    s.setActive(true);
    EXPECT_EQ(s.advance(), TickAction::None);   // the start delay again
    EXPECT_EQ(s.advance(), TickAction::Bmp);
}

TEST(TimedSchedule, TotalFigureConvertsTheStartDelayFromItsOwnUnit)
{
    // One minute before three stills 5 s apart is 70 seconds, not 11.
    const ScheduleRecord stills = plan(tools::kCaptureBmp, 1, tools::kUnitMinutes, 5, tools::kUnitSeconds, 3);
    EXPECT_EQ(stills.totalSeconds, 70);
    EXPECT_EQ(tools::totalFigureText(stills, QStringLiteral("sec.")), QStringLiteral("70 [sec.]"));
    const ScheduleRecord nine = plan(tools::kCaptureJpg, 1, tools::kUnitSeconds, 4, tools::kUnitSeconds, 3);
    EXPECT_EQ(tools::totalFigureText(nine, QStringLiteral("sec.")), QStringLiteral("9 [sec.]"));
    // Clips: 2 x 10 s + 5 s between them = 25(sec.).
    const ScheduleRecord clips = plan(tools::kCaptureAvi, 0, tools::kUnitSeconds, 5, tools::kUnitSeconds, 2, 10);
    EXPECT_EQ(tools::totalFigureText(clips, QStringLiteral("sec.")), QStringLiteral("25(sec.)"));
    EXPECT_EQ(clips.totalSeconds, 25);
    // Clips of 1 min, 30 s apart, shown in minutes: 2 + 0.5.
    const ScheduleRecord minutes = plan(tools::kCaptureAvi, 0, tools::kUnitSeconds, 30, tools::kUnitSeconds, 2, 1,
                                        tools::kUnitMinutes);
    EXPECT_EQ(tools::totalFigureText(minutes, QStringLiteral("min.")), QStringLiteral("2.5(min.)"));
    EXPECT_EQ(minutes.totalSeconds, 150);
}

TEST(TimedSchedule, FieldsRejectLettersAndNoughts)
{
    using tools::ScheduleField;
    const tools::FieldCheck zeroFiles = tools::checkScheduleField(ScheduleField::FilesNumber, QStringLiteral("0"));
    EXPECT_EQ(zeroFiles.text, QStringLiteral("1"));
    EXPECT_FALSE(zeroFiles.notANumber);
    const tools::FieldCheck letters = tools::checkScheduleField(ScheduleField::Interval, QStringLiteral("ab"));
    EXPECT_TRUE(letters.notANumber);
    EXPECT_EQ(letters.text, QStringLiteral("1"));
    EXPECT_EQ(letters.value, 1);
    const tools::FieldCheck badStart = tools::checkScheduleField(ScheduleField::StartTime, QStringLiteral("-3"));
    EXPECT_TRUE(badStart.notANumber);
    EXPECT_EQ(badStart.text, QStringLiteral("0"));
    EXPECT_EQ(tools::checkScheduleField(ScheduleField::StartTime, QStringLiteral("0")).text, QStringLiteral("0"));
    EXPECT_EQ(tools::checkScheduleField(ScheduleField::RecordTime, QStringLiteral("0")).text, QStringLiteral("10"));
    EXPECT_EQ(tools::checkScheduleField(ScheduleField::RecordTime, QString()).text, QStringLiteral("10"));
    EXPECT_EQ(tools::checkScheduleField(ScheduleField::Interval, QStringLiteral("0042")).value, 42);
}

TEST(ToolNaming, AutoNamesCarryTheLocalTime)
{
    const QDateTime at(QDate(2024, 1, 5), QTime(9, 30, 7));
    EXPECT_EQ(tools::autoName(QStringLiteral("TCjpg"), at), QStringLiteral("TCjpg_20240105-093007"));
    EXPECT_EQ(tools::autoName(QStringLiteral("I2Vvid"), QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59))),
              QStringLiteral("I2Vvid_20241231-235959"));
}

TEST(ToolNaming, NumberWidthFollowsTheFileCount)
{
    EXPECT_EQ(tools::numberWidth(10), 1);
    EXPECT_EQ(tools::numberWidth(11), 2);
    EXPECT_EQ(tools::numberWidth(100), 2);
    EXPECT_EQ(tools::numberWidth(101), 3);
    EXPECT_EQ(tools::numberWidth(100000), 5);
    EXPECT_EQ(tools::numberWidth(1000000), 6);
    EXPECT_EQ(tools::numberWidth(1000001), 7);
    EXPECT_EQ(tools::sequenceFileName(QStringLiteral("clip"), 7, 2, true), QStringLiteral("clip_07.jpg"));
    EXPECT_EQ(tools::sequenceFileName(QStringLiteral("clip"), 99, 3, false), QStringLiteral("clip_099.bmp"));
    EXPECT_EQ(tools::percentUp(1, 3), 34);
    EXPECT_EQ(tools::percentUp(1, 0), 100);
}

} // namespace
