// The line profile's plot and window.
#include "measure/ui/lineprofiledialog.h"
#include "measure/ui/profileplotwidget.h"

#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using measure::LineProfile;
using measure::ProfileSample;
using measure::ui::LineProfileDialog;
using measure::ui::ProfilePlotWidget;

namespace {

LineProfile twoSamples(double length, const QString &unit)
{
    LineProfile p;
    p.length = length;
    p.unit = unit;
    p.calibrated = unit != QStringLiteral("px");
    p.samples = {ProfileSample{0, 0, 0, 0, 0}, ProfileSample{length, 255, 255, 255, 255}};
    return p;
}

} // namespace

TEST(ProfilePlot, GraduatesInStepsOfOneTwoOrFive)
{
    struct Row {
        double range;
        int ticks;
        double step;
    };
    for (const Row &r : {Row{1.0, 5, 0.2}, Row{1.28, 6, 0.5}, Row{0.05, 5, 0.01}, Row{520, 6, 100}, Row{3, 6, 0.5},
                         Row{0, 6, 1}, Row{7, 7, 1}})
        EXPECT_NEAR(ProfilePlotWidget::tickStep(r.range, r.ticks), r.step, r.step * 1e-9) << r.range;
}

TEST(ProfilePlot, PlacesTheCurveInsideTheAxes)
{
    ProfilePlotWidget plot;
    plot.resize(400, 240);
    plot.setProfile(twoSamples(0.5, QStringLiteral("mm")));
    const QRectF area = plot.plotArea();   // as a painter fills it: from the left edge to the right edge
    EXPECT_EQ(plot.pointOf(0, 0), area.bottomLeft());
    EXPECT_EQ(plot.pointOf(0.5, 255), area.topRight());
    EXPECT_EQ(plot.pointOf(0.25, 127.5), area.center());
    // It paints without a profile and with one.
    QImage img(plot.size(), QImage::Format_RGB32);
    plot.render(&img);
    plot.setProfile(LineProfile());
    plot.render(&img);
}

TEST(LineProfileWindow, ShowsTheLengthAndOffersExportOnlyWithSamples)
{
    LineProfileDialog d;
    d.setTexts(QStringLiteral("Line Profile"), QStringLiteral("Distance"), QStringLiteral("Intensity"),
               QStringLiteral("Length %1 %2, %3 samples"), QStringLiteral("Export CSV..."), QStringLiteral("Close"));
    d.setProfile(LineProfile());
    EXPECT_FALSE(d.exportButton()->isEnabled());
    EXPECT_TRUE(d.lengthText().isEmpty());
    d.setProfile(twoSamples(0.5, QStringLiteral("mm")));
    EXPECT_TRUE(d.exportButton()->isEnabled());
    EXPECT_EQ(d.lengthText(), QStringLiteral("Length 0.5000 mm, 2 samples"));
    d.setProfile(twoSamples(12, QStringLiteral("px")));
    EXPECT_EQ(d.lengthText(), QStringLiteral("Length 12.0 px, 2 samples"));
    QSignalSpy exported(&d, &LineProfileDialog::exportRequested);
    d.exportButton()->click();
    EXPECT_EQ(exported.count(), 1);
}
