#pragma once

#include "camera/focusaidanalyzer.h"
#include "feature/feature.h"
#include "feature/ui/featurecontext.h"

#include <QColor>
#include <QObject>
#include <QRect>
#include <QRectF>

#include <memory>

namespace camera {
class TVideoCameraDS;
}

namespace camera::ui {

class GuideOverlay;
class HistogramDialog;
class SharpnessMeterWidget;
class VideoWidget;

// The focus aids of the live picture: the sharpness meter beside the video (with its rectangle
// tool and reset), focus peaking in a colour of the user's choice, the live histogram window and
// the clipping warning's zebra stripes. Each is a switch in the Tools menu and on the focus tool
// bar next to the live-mode buttons. The work runs on the capture pipeline's streaming thread
// (FocusAidAnalyzer); what it finds arrives with each frame and is shown here, the marks only
// through the video widget's painting. UI thread.
class FocusAidController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // `camera` and `video` are the camera controller's; `videoArea` is the main window's video
    // area, beside which the meter stands (it becomes the meter's parent's child, the area's
    // parent). All outlive the controller.
    FocusAidController(feature::ui::FeatureContext context, TVideoCameraDS &camera, VideoWidget &video, QWidget &videoArea,
                       QObject *parent = nullptr);
    ~FocusAidController() override;

    // The switches; each keeps its menu item and its tool button in step.
    void setMeterOn(bool on);
    void setPeakingOn(bool on);
    void setHistogramOn(bool on);
    void setZebraOn(bool on);
    // The meter's rectangle tool: the next drag over the live picture sets the rectangle (a click
    // without a drag gives the whole picture back); the tool then comes up again.
    void setRegionToolOn(bool on);
    // The meter's rectangle from a rectangle of the video widget, as the user sees the picture
    // (flip mode applied); an empty rectangle means the whole picture.
    void setRegionFromWidget(const QRect &widgetRect);
    // The rectangle in the video widget as it is drawn now; empty for the whole picture.
    QRect regionInWidget() const;
    void resetBest();
    // The colour dialog for the peaking tint, opened at the current one (through the program's
    // dialogs, which tests answer).
    void choosePeakingColour();
    QRgb peakingColour() const { return peakingColour_; }

    const FocusAidSettings &settings() const { return settings_; }
    FocusAidAnalyzer &analyzer() { return *analyzer_; }
    SharpnessMeterWidget *meter() const { return meter_; }
    HistogramDialog *histogramDialog() const { return histogram_; }

    void readInputs(feature::ActionInputs &in) const override;
    void languageChanged() override;
    void videoAreaChanged() override { place(); }
    void closing() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void applySettings();
    void onFrame();
    void onFlagsChanged();
    void place();
    bool live() const;
    // The region's rectangle in the widget for a normalised region (flip mode applied).
    QRect widgetRectOf(const QRectF &region) const;

    feature::ui::FeatureContext ctx_;
    TVideoCameraDS &camera_;
    VideoWidget *video_ = nullptr;
    QWidget &videoArea_;
    std::shared_ptr<FocusAidAnalyzer> analyzer_;
    FocusAidSettings settings_;
    QRgb peakingColour_ = kDefaultPeakingColour;
    SharpnessMeterWidget *meter_ = nullptr;
    HistogramDialog *histogram_ = nullptr;
    GuideOverlay *guide_ = nullptr;
    bool regionTool_ = false;
    bool dragging_ = false;
    QPoint dragFrom_;
    std::uint64_t histogramShown_ = 0;
    bool histogramPlaced_ = false;
};

} // namespace camera::ui
