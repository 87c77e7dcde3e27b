#include "measure/framelockcontrol.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

namespace measure {
namespace {

struct FakeSource final : FrameSource {
    QStringList calls;
    bool fileLoads = true;
    bool pauseOnFrame() override { calls << "freeze"; return true; }
    bool pauseWithFile(const QString &path) override { calls << "load " + path; return fileLoads; }
    bool play() override { calls << "play"; return true; }
};

TEST(FrameLockControl, LockAndLoadTakeTurnsAndClearTheDrawing)
{
    FakeSource source;
    int clears = 0;
    std::optional<QString> answer = QStringLiteral("/p/a.bmp");
    QList<std::pair<int, QString>> asked;
    FrameLockControl control(
        source,
        [&](int filter, const QString &folder) {
            asked.append({filter, folder});
            return answer;
        },
        [&] { ++clears; });

    control.loadImageClicked(true, true, "/bmp", "/jpg");
    EXPECT_EQ(asked.last(), (std::pair<int, QString>{1, "/bmp"}));
    EXPECT_TRUE(control.loadDown());
    control.lockFrameClicked(true);   // releases the load button first
    EXPECT_FALSE(control.loadDown());
    EXPECT_TRUE(control.lockDown());
    control.lockFrameClicked(false);
    EXPECT_EQ(source.calls, (QStringList{"load /p/a.bmp", "freeze", "play"}));
    EXPECT_EQ(clears, 3);

    answer.reset();   // cancelled on the JPG tab: the button comes back up, nothing changes
    control.loadImageClicked(true, false, "/bmp", "/jpg");
    EXPECT_EQ(asked.last(), (std::pair<int, QString>{2, "/jpg"}));
    EXPECT_FALSE(control.loadDown());
    EXPECT_EQ(source.calls.size(), 3);
    EXPECT_EQ(clears, 3);
}

TEST(FrameLockControl, APictureThatCannotBeLoadedLeavesTheLoadButtonUp)
{
    FakeSource source;
    source.fileLoads = false;
    FrameLockControl control(
        source, [](int, const QString &) { return std::optional<QString>(QStringLiteral("/p/broken.bmp")); }, [] {});
    control.loadImageClicked(true, true, "/bmp", "/jpg");
    EXPECT_EQ(source.calls, QStringList{"load /p/broken.bmp"});
    EXPECT_FALSE(control.loadDown());
    EXPECT_FALSE(control.lockDown());
}

} // namespace
} // namespace measure
