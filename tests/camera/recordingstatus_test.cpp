#include "camera/recordingstatus.h"

#include <gtest/gtest.h>

using camera::RecordingStatus;

TEST(RecordingStatus, RunningTimeAsHoursMinutesSeconds)
{
    struct Row {
        std::int64_t ms;
        const char *text;
    };
    for (const Row &r : {Row{0, "00:00:00"}, Row{999, "00:00:00"}, Row{1000, "00:00:01"}, Row{59'999, "00:00:59"},
                         Row{60'000, "00:01:00"}, Row{3'599'000, "00:59:59"}, Row{3'600'000, "01:00:00"},
                         Row{45'296'000, "12:34:56"}, Row{360'000'000, "100:00:00"}, Row{-5, "00:00:00"}})
        EXPECT_EQ(RecordingStatus::elapsedText(r.ms), QLatin1String(r.text)) << r.ms;
}

TEST(RecordingStatus, FileSizeInDecimalUnitsCutNotRounded)
{
    struct Row {
        std::int64_t bytes;
        const char *text;
    };
    for (const Row &r : {Row{0, "0 B"}, Row{999, "999 B"}, Row{1000, "1 kB"}, Row{45'999, "45 kB"}, Row{999'999, "999 kB"},
                         Row{1'000'000, "1.0 MB"}, Row{12'499'999, "12.4 MB"}, Row{921'600 * 30, "27.6 MB"},
                         Row{999'999'999, "999.9 MB"}, Row{1'000'000'000, "1.00 GB"}, Row{1'959'999'999, "1.95 GB"},
                         Row{4'294'967'296, "4.29 GB"}, Row{-1, "0 B"}})
        EXPECT_EQ(RecordingStatus::sizeText(r.bytes), QLatin1String(r.text)) << r.bytes;
}
