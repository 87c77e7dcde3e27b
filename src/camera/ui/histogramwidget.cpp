#include "camera/ui/histogramwidget.h"

#include <QPainter>

#include <algorithm>

namespace camera::ui {

namespace {

using Bins = std::array<std::uint32_t, 256>;

std::uint32_t innerMax(const Bins &bins) { return *std::max_element(bins.begin() + 1, bins.end() - 1); }

} // namespace

HistogramWidget::HistogramWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HistogramPlot"));
    setMinimumSize(258, 100);
}

void HistogramWidget::setHistogram(std::shared_ptr<const LiveHistogram> histogram)
{
    histogram_ = std::move(histogram);
    update();
}

std::uint32_t HistogramWidget::scaleTop(const LiveHistogram &h)
{
    if (h.channels == HistogramChannels::Rgb)
        return std::max({innerMax(h.red), innerMax(h.green), innerMax(h.blue), 1u});
    return std::max(innerMax(h.luma), 1u);
}

void HistogramWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x26, 0x32, 0x38));
    const QRectF plot = QRectF(rect()).adjusted(1, 1, -1, -1);
    // Quarter lines of the value range.
    p.setPen(QColor(0x45, 0x5A, 0x64));
    for (int q = 1; q < 4; ++q) {
        const double x = plot.left() + plot.width() * q / 4.0;
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    if (!histogram_ || histogram_->pixels == 0)
        return;
    const LiveHistogram &h = *histogram_;
    const double top = scaleTop(h);
    const double binWidth = plot.width() / 256.0;
    const auto area = [&](const Bins &bins, QColor colour) {
        // One filled column a bin: rectangles are the painter's cheapest fill, and the plot is
        // painted a few times a second while the camera runs.
        for (int v = 0; v < 256; ++v) {
            const double share = std::min(1.0, bins[std::size_t(v)] / top);
            if (share > 0)
                p.fillRect(QRectF(plot.left() + v * binWidth, plot.bottom() - share * plot.height(), binWidth,
                                  share * plot.height()),
                           colour);
        }
        // An end bin beyond the scale: the clipped pixels stand out.
        for (int v : {0, 255})
            if (bins[std::size_t(v)] > top)
                p.fillRect(QRectF(plot.left() + v * binWidth, plot.top(), std::max(binWidth, 2.0), plot.height()),
                           QColor(0xE5, 0x39, 0x35));
    };
    p.setRenderHint(QPainter::Antialiasing, false);
    if (h.channels == HistogramChannels::Rgb) {
        p.setCompositionMode(QPainter::CompositionMode_Plus);
        area(h.red, QColor(200, 40, 40));
        area(h.green, QColor(40, 170, 40));
        area(h.blue, QColor(50, 80, 220));
    } else {
        area(h.luma, QColor(0xCF, 0xD8, 0xDC));
    }
}

} // namespace camera::ui
