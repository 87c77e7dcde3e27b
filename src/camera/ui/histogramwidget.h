#pragma once

#include "camera/livehistogram.h"

#include <QWidget>

#include <memory>

namespace camera::ui {

// Paints a live histogram: luma as one grey area, or red, green and blue as three areas. The
// height is scaled to the highest bin between 1 and 254, so a heap of clipped pixels at either
// end cannot flatten the rest; an end bin higher than that is drawn to the top, in the warning
// colour. UI thread.
class HistogramWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit HistogramWidget(QWidget *parent = nullptr);

    void setHistogram(std::shared_ptr<const LiveHistogram> histogram);
    const LiveHistogram *histogram() const { return histogram_.get(); }
    // The count that reaches the top of the plot: the highest inner bin of the channels shown.
    static std::uint32_t scaleTop(const LiveHistogram &histogram);

    QSize sizeHint() const override { return QSize(256 + 2, 120); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::shared_ptr<const LiveHistogram> histogram_;
};

} // namespace camera::ui
