#include "library/capturenumber.h"
#include "library/scaleprefix.h"

#include "counterstore.h"
#include "fakes.h"
#include "platform/diagnosticslog.h"

#include <gtest/gtest.h>

#include <QSet>

#include <limits>
#include <set>

using library::CaptureCounter;
using library::CounterKind;

TEST(CaptureNumber, PadsToFiveDigitsAndGrowsBeyond)
{
    const QDate day(2014, 11, 11);
    const std::pair<int, const char *> rows[] = {
        {1, "20141111_00001"}, {3, "20141111_00003"}, {99999, "20141111_99999"},
        {100000, "20141111_100000"}, {123456, "20141111_123456"}};
    for (const auto &[counter, text] : rows)
        EXPECT_EQ(library::captureNumberText(day, counter), QLatin1String(text)) << counter;
    EXPECT_EQ(library::captureNumberText(QDate(2024, 2, 29), 7), "20240229_00007");
}

TEST(CaptureNumber, PageChoosesTheCounter)
{
    EXPECT_EQ(library::counterForCapture(true, 0), CounterKind::Avi);
    EXPECT_EQ(library::counterForCapture(false, 0), CounterKind::Bmp);
    EXPECT_EQ(library::counterForCapture(false, 1), CounterKind::Jpg);
    EXPECT_EQ(library::counterForCapture(false, 2), CounterKind::Jpg);   // stills on the AVI page are JPEG
}

struct CounterFixture : ::testing::Test {
    fakes::FakeClock clock;
    state::DefaultData data;
    int writes = 0;
    platform::DiagnosticsLog log;
    fakes::SettingsCounterStore store{data, writes};
    CaptureCounter counter{store, clock, &log};
    CounterFixture()
    {
        counter.dateText = [](QDate d) { return d.toString(QStringLiteral("yyyy/MM/dd")); };
    }
};

TEST_F(CounterFixture, FirstNumberOfTheDayRestartsAllCountersAndIsWritten)
{
    data.TodayDate = QStringLiteral("2014/11/10");
    data.BmpNumber = 41;
    data.JpgNumber = 7;
    data.AviNumber = 3;
    EXPECT_EQ(counter.GetPhotoNumber(CounterKind::Bmp), "20141111_00001");
    EXPECT_EQ(data.TodayDate, "2014/11/11");
    EXPECT_EQ(data.BmpNumber, 1);
    EXPECT_EQ(data.JpgNumber, 0);
    EXPECT_EQ(data.AviNumber, 0);
    EXPECT_EQ(writes, 1);
}

TEST_F(CounterFixture, SameDayContinuesAndMidnightRestarts)
{
    data.TodayDate = QStringLiteral("2014/11/11");
    data.JpgNumber = 2;
    EXPECT_EQ(counter.GetPhotoNumber(CounterKind::Jpg), "20141111_00003");
    EXPECT_EQ(counter.GetPhotoNumber(CounterKind::Avi), "20141111_00001");
    clock.time = QDateTime(QDate(2014, 11, 12), QTime(0, 0, 1));
    EXPECT_EQ(counter.GetPhotoNumber(CounterKind::Jpg), "20141112_00001");
    EXPECT_EQ(data.AviNumber, 0);
    EXPECT_EQ(writes, 3);
}

TEST_F(CounterFixture, TakenNumbersAreSkippedAndStayConsumed)
{
    data.TodayDate = QStringLiteral("2014/11/11");
    const std::set<QString> taken{"20141111_00001", "20141111_00002", "20141111_00004"};
    auto isTaken = [&](const QString &n) { return taken.count(n) > 0; };
    EXPECT_EQ(counter.GetPhotoNumber(CounterKind::Bmp, isTaken), "20141111_00003");
    EXPECT_EQ(counter.GetPhotoNumber(CounterKind::Bmp, isTaken), "20141111_00005");
    EXPECT_EQ(data.BmpNumber, 5);
}

TEST_F(CounterFixture, NoFreeNumberGivesAnEmptyTextAndALogLine)
{
    data.TodayDate = QStringLiteral("2014/11/11");
    data.AviNumber = std::numeric_limits<qint32>::max() - 2;
    EXPECT_TRUE(counter.GetPhotoNumber(CounterKind::Avi, [](const QString &) { return true; }).isEmpty());
    EXPECT_EQ(data.AviNumber, std::numeric_limits<qint32>::max());
    EXPECT_TRUE(counter.GetPhotoNumber(CounterKind::Avi).isEmpty());   // no wrap to negative numbers
    EXPECT_TRUE(log.contains("Exception Error at GetPhotoNumber"));
}

TEST(ScalePrefix, UnitWordsAndNoBurnIn)
{
    struct Row {
        bool burnIn;
        int unit, h, v;
        const char *expect;
    } rows[] = {{true, 0, 100, 75, "h100v75mm_"}, {true, 1, 394, 295, "h394v295in_"}, {true, 2, 1000, 750, "h1000v750um_"},
                {true, 3, 39, 29, "h39v29mil_"},  {true, 7, 5, 4, "h5v4mm_"},         {false, 2, 100, 75, ""}};
    for (const Row &r : rows)
        EXPECT_EQ(library::scalePrefix(r.burnIn, r.unit, r.h, r.v), QLatin1String(r.expect)) << r.unit;
}

TEST(CaptureNumber, FirstFreeNumberedNameTakesTheLowestGapAndNoCounter)
{
    const QDate day(2014, 11, 11);
    const QSet<QString> taken{"Tif_20141111_00001", "Tif_20141111_00002", "Tif_20141111_00004"};
    const auto isTaken = [&taken](const QString &name) { return taken.contains(name); };
    EXPECT_EQ(library::firstFreeNumberedName("Tif_", day, isTaken), "Tif_20141111_00003");
    EXPECT_EQ(library::firstFreeNumberedName("Tif_", day.addDays(1), isTaken), "Tif_20141112_00001");
    EXPECT_EQ(library::firstFreeNumberedName("Tif_", day, {}), "Tif_20141111_00001");
}
