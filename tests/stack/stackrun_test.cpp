// The stacking run: what it says about bad input, its progress and its cancel; and the folder's
// pictures in name order.
#include "stack/depthcolours.h"
#include "stack/focusstacker.h"
#include "stack/stackfolder.h"
#include "platform/gst/specimen.h"
#include "platform/picturecodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <opencv2/core/utility.hpp>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using stack::StackStatus;

std::vector<platform::Bitmap> smallStack(int frames, QSize size = {320, 240})
{
    platform::SpecimenRenderer r(size.width(), size.height(), platform::SpecimenRelief::Tilted);
    std::vector<platform::Bitmap> out;
    for (int i = 0; i < frames; ++i)
        out.emplace_back(r.atFocus(35 + 30.0 * i / std::max(frames - 1, 1), {1.0 + 0.004 * i, 1.5 * i, -double(i)}));
    return out;
}

stack::StackInput inputOf(std::vector<platform::Bitmap> frames)
{
    auto shared = std::make_shared<std::vector<platform::Bitmap>>(std::move(frames));
    return {int(shared->size()), [shared](int i) { return stack::StackFrame{(*shared)[std::size_t(i)], {}}; }};
}

TEST(StackRun, ReportsTheFrameAtFaultAndWhy)
{
    EXPECT_EQ(stack::focusStack(inputOf(smallStack(1)), {}).status, StackStatus::TooFewFrames);
    std::vector<platform::Bitmap> mixed = smallStack(3);
    mixed[2] = platform::Bitmap(160, 120);
    const stack::StackResult size = stack::focusStack(inputOf(mixed), {});
    EXPECT_EQ(size.status, StackStatus::SizeMismatch);
    EXPECT_EQ(size.frame, 2);
    EXPECT_TRUE(size.picture.isNull());
    stack::StackInput unreadable = inputOf(smallStack(3));
    auto load = unreadable.load;
    unreadable.load = [load](int i) { return i == 0 ? stack::StackFrame{{}, QStringLiteral("a.jpg: damaged")} : load(i); };
    const stack::StackResult bad = stack::focusStack(unreadable, {});
    EXPECT_EQ(bad.status, StackStatus::UnreadableFrame);
    EXPECT_EQ(bad.frame, 0);
    EXPECT_EQ(bad.detail, QStringLiteral("a.jpg: damaged"));
    std::vector<platform::Bitmap> blank = smallStack(3);
    blank[0] = platform::Bitmap(320, 240, 0x808080);   // nothing to align
    EXPECT_EQ(stack::focusStack(inputOf(blank), {}).status, StackStatus::AlignmentFailed);
}

TEST(StackRun, FaultsOnBothSidesOfTheReferenceReportTheLaterFrameEveryTime)
{
    // The frames after the reference are aligned before those before it: the later fault is
    // reported, on every run.
    struct Case {
        std::vector<int> unreadable;
        int reported;
    };
    for (const Case &c : std::vector<Case>{{{0, 4}, 4}, {{1, 3}, 3}, {{0}, 0}, {{4}, 4}, {{0, 3}, 3}}) {
        for (int run = 0; run < 3; ++run) {
            stack::StackInput input = inputOf(smallStack(5));
            auto load = input.load;
            input.load = [load, bad = c.unreadable](int i) {
                return std::find(bad.begin(), bad.end(), i) != bad.end()
                           ? stack::StackFrame{{}, QStringLiteral("%1.jpg: damaged").arg(i)}
                           : load(i);
            };
            const stack::StackResult r = stack::focusStack(input, {});
            EXPECT_EQ(r.status, StackStatus::UnreadableFrame);
            EXPECT_EQ(r.frame, c.reported) << "unreadable " << testing::PrintToString(c.unreadable);
            EXPECT_EQ(r.detail, QStringLiteral("%1.jpg: damaged").arg(c.reported));
        }
    }
}

TEST(StackRun, SameResultOnEveryRunAndOnOneThreadAsOnSeveral)
{
    // The frames' fusion work runs on several threads and is summed in frame order; any sum in
    // the order the threads finish would show as a run that differs.
    const std::vector<platform::Bitmap> frames = smallStack(5);
    const int threads = cv::getNumThreads();
    cv::setNumThreads(1);
    const stack::StackResult one = stack::focusStack(inputOf(frames), {});
    cv::setNumThreads(std::max(threads, 2));
    ASSERT_TRUE(one.ok());
    for (int run = 0; run < 6; ++run) {
        const stack::StackResult several = stack::focusStack(inputOf(frames), {});
        ASSERT_TRUE(several.ok());
        for (std::size_t i = 0; i < frames.size(); ++i)
            EXPECT_EQ(one.warps[i].m, several.warps[i].m) << "frame " << i << ", run " << run;
        EXPECT_EQ(one.depth, several.depth) << "run " << run;
        EXPECT_EQ(one.sharpestFrame, several.sharpestFrame) << "run " << run;
        EXPECT_TRUE(one.picture == several.picture) << "run " << run;
    }
    cv::setNumThreads(threads);
}

TEST(StackRun, CountsEveryStepAndMakesTheDepthMapOnlyWhenAsked)
{
    stack::StackProgress progress;
    const stack::StackResult plain = stack::focusStack(inputOf(smallStack(4)), {}, &progress);
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(progress.total.load(), 13);
    EXPECT_EQ(progress.done.load(), 13);
    EXPECT_TRUE(plain.depthMap.isNull());
    EXPECT_EQ(plain.reference, 2);
    EXPECT_EQ(plain.picture.size(), QSize(320, 240));
    EXPECT_EQ(plain.depth.size(), 320u * 240u);
    const stack::StackResult withDepth = stack::focusStack(inputOf(smallStack(4)), {true});
    ASSERT_TRUE(withDepth.ok());
    // Among the micrometer's ticks (row 95 of 240, between x 35 and 285): the left end is
    // sharpest in the first frame, the right end in the last.
    EXPECT_EQ(withDepth.depth[95 * 320 + 45], 0);
    EXPECT_EQ(withDepth.depth[95 * 320 + 275], 3);
    EXPECT_EQ(withDepth.depthMap.pixel(45, 95), platform::fromQRgb(stack::depthColour(0, 4).rgb()));
}

TEST(StackRun, CancelStopsBeforeTheNextStepAndKeepsNoPicture)
{
    std::stop_source stop;
    stack::StackInput input = inputOf(smallStack(5));
    auto load = input.load;
    input.load = [load, &stop](int i) {
        if (i == 3)
            stop.request_stop();   // the user cancels while the fourth frame loads
        return load(i);
    };
    stack::StackProgress progress;
    const stack::StackResult r = stack::focusStack(input, {}, &progress, stop.get_token());
    EXPECT_EQ(r.status, StackStatus::Cancelled);
    EXPECT_TRUE(r.picture.isNull());
    EXPECT_LT(progress.done.load(), progress.total.load());
}

TEST(StackFolder, PicturesByContentInNameOrderWithoutEarlierResults)
{
    QTemporaryDir dir;
    const platform::Bitmap b(32, 24);
    for (const char *name : {"b_2.jpg", "a_10.jpg", "Stack_Jpg_1.jpg", "c.dat"})
        ASSERT_TRUE(platform::writeJpegFile(dir.filePath(name), b, 90).ok());
    ASSERT_TRUE(platform::writeBmpFile(dir.filePath("a_09.bmp"), b).ok());
    QFile text(dir.filePath("notes.jpg"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    QStringList names;
    for (const QString &p : stack::stackFolderPictures(dir.path()))
        names << QFileInfo(p).fileName();
    EXPECT_EQ(names, (QStringList{"a_09.bmp", "a_10.jpg", "b_2.jpg", "c.dat"}));
    EXPECT_TRUE(stack::stackFolderPictures(dir.filePath("missing")).isEmpty());
    const stack::StackInput input = stack::filesInput({dir.filePath("notes.jpg")});
    EXPECT_TRUE(input.load(0).error.startsWith(QStringLiteral("notes.jpg: ")));
}

} // namespace
