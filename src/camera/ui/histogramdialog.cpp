#include "camera/ui/histogramdialog.h"

#include "camera/ui/histogramwidget.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace camera::ui {

HistogramDialog::HistogramDialog(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("LiveHistogramDialog"));
    setModal(false);
    plot_ = new HistogramWidget(this);
    luma_ = new QRadioButton(this);
    luma_->setObjectName(QStringLiteral("HistogramLuma"));
    rgb_ = new QRadioButton(this);
    rgb_->setObjectName(QStringLiteral("HistogramRgb"));
    luma_->setChecked(true);
    auto *group = new QButtonGroup(this);
    group->addButton(luma_);
    group->addButton(rgb_);
    clipped_ = new QLabel(this);
    clipped_->setObjectName(QStringLiteral("HistogramClipped"));
    auto *choice = new QHBoxLayout;
    choice->addWidget(luma_);
    choice->addWidget(rgb_);
    choice->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(plot_, 1);
    layout->addLayout(choice);
    layout->addWidget(clipped_);
    connect(rgb_, &QRadioButton::toggled, this, [this] { Q_EMIT channelsChanged(channels()); });
    resize(300, 200);
}

HistogramChannels HistogramDialog::channels() const
{
    return rgb_->isChecked() ? HistogramChannels::Rgb : HistogramChannels::Luma;
}

void HistogramDialog::setChannels(HistogramChannels channels)
{
    (channels == HistogramChannels::Rgb ? rgb_ : luma_)->setChecked(true);
}

void HistogramDialog::setHistogram(std::shared_ptr<const LiveHistogram> histogram)
{
    plot_->setHistogram(std::move(histogram));
    showClipped();
}

void HistogramDialog::setTexts(const QString &title, const QString &luma, const QString &rgb, const QString &clippedFormat)
{
    setWindowTitle(title);
    luma_->setText(luma);
    rgb_->setText(rgb);
    clippedFormat_ = clippedFormat;
    showClipped();
}

QString HistogramDialog::clippedText() const { return clipped_->text(); }

void HistogramDialog::showClipped()
{
    const LiveHistogram *h = plot_->histogram();
    if (!h || h->pixels == 0) {
        clipped_->clear();
        return;
    }
    const auto percent = [h](std::uint64_t n) { return QString::number(100.0 * double(n) / double(h->pixels), 'f', 1); };
    clipped_->setText(clippedFormat_.arg(percent(h->clippedLow), percent(h->clippedHigh)));
}

void HistogramDialog::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    Q_EMIT closed();
}

} // namespace camera::ui
