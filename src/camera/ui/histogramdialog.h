#pragma once

#include "camera/livehistogram.h"

#include <QDialog>

#include <memory>

class QLabel;
class QRadioButton;

namespace camera::ui {

class HistogramWidget;

// The live histogram's small window: the plot, the choice of luma or red, green and blue, and the
// share of clipped pixels. Closing it is reported, so the switch that opened it comes up. UI thread.
class HistogramDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit HistogramDialog(QWidget *parent = nullptr);

    void setHistogram(std::shared_ptr<const LiveHistogram> histogram);
    HistogramWidget *plot() const { return plot_; }
    HistogramChannels channels() const;
    void setChannels(HistogramChannels channels);
    // `clippedFormat` holds %1 (dark) and %2 (bright), the shares in percent.
    void setTexts(const QString &title, const QString &luma, const QString &rgb, const QString &clippedFormat);
    QString clippedText() const;

Q_SIGNALS:
    void channelsChanged(camera::HistogramChannels channels);
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showClipped();

    HistogramWidget *plot_ = nullptr;
    QRadioButton *luma_ = nullptr;
    QRadioButton *rgb_ = nullptr;
    QLabel *clipped_ = nullptr;
    QString clippedFormat_;
};

} // namespace camera::ui
