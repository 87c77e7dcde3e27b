#include "videoformatdialog.h"

#include "widgets/dialogframe.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

namespace camera::ui {

VideoFormatDialog::VideoFormatDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("VideoFormatDialog"));
    widgets::frameDialog(*this);
    auto *form = new QFormLayout(this);
    format_ = new QComboBox(this);
    size_ = new QComboBox(this);
    rate_ = new QComboBox(this);
    formatLabel_ = new QLabel(this);
    sizeLabel_ = new QLabel(this);
    rateLabel_ = new QLabel(this);
    formatLabel_->setBuddy(format_);
    sizeLabel_->setBuddy(size_);
    rateLabel_->setBuddy(rate_);
    form->addRow(formatLabel_, format_);
    form->addRow(sizeLabel_, size_);
    form->addRow(rateLabel_, rate_);
    // Role buttons: standard ones would take Qt's text back at a language change.
    auto *buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(format_, &QComboBox::currentIndexChanged, this, &VideoFormatDialog::fillSizes);
    connect(size_, &QComboBox::currentIndexChanged, this, &VideoFormatDialog::fillRates);
}

void VideoFormatDialog::setTexts(const Texts &texts)
{
    setWindowTitle(texts.title);
    formatLabel_->setText(texts.format);
    sizeLabel_->setText(texts.size);
    rateLabel_->setText(texts.rate);
    ok_->setText(texts.ok);
    cancel_->setText(texts.cancel);
}

void VideoFormatDialog::setFormats(const std::vector<platform::PixelFormatInfo> &formats, const platform::CaptureFormat &current)
{
    formats_ = formats;
    format_->clear();
    for (const auto &f : formats_)
        format_->addItem(QStringLiteral("%1 (%2)").arg(f.description, platform::fourccText(f.code)));
    select(current);
}

void VideoFormatDialog::fillSizes()
{
    size_->clear();
    const int i = format_->currentIndex();
    if (i < 0 || i >= int(formats_.size()))
        return;
    for (const auto &s : formats_[std::size_t(i)].sizes)
        size_->addItem(QStringLiteral("%1 x %2").arg(s.width).arg(s.height));
}

void VideoFormatDialog::fillRates()
{
    rate_->clear();
    const int f = format_->currentIndex(), s = size_->currentIndex();
    if (f < 0 || s < 0 || f >= int(formats_.size()) || s >= int(formats_[std::size_t(f)].sizes.size()))
        return;
    for (const auto &r : formats_[std::size_t(f)].sizes[std::size_t(s)].rates)
        rate_->addItem(QStringLiteral("%1 fps").arg(r.fps(), 0, 'g', 4));
}

platform::CaptureFormat VideoFormatDialog::selectedFormat() const
{
    const int f = format_->currentIndex(), s = size_->currentIndex(), r = rate_->currentIndex();
    if (f < 0 || s < 0 || f >= int(formats_.size()))
        return {};
    const auto &fmt = formats_[std::size_t(f)];
    if (s >= int(fmt.sizes.size()))
        return {};
    const auto &size = fmt.sizes[std::size_t(s)];
    platform::FrameRate rate{0, 1};
    if (r >= 0 && r < int(size.rates.size()))
        rate = size.rates[std::size_t(r)];
    return {fmt.code, size.width, size.height, rate};
}

bool VideoFormatDialog::select(const platform::CaptureFormat &format)
{
    for (std::size_t f = 0; f < formats_.size(); ++f) {
        if (formats_[f].code != format.code)
            continue;
        for (std::size_t s = 0; s < formats_[f].sizes.size(); ++s) {
            const auto &size = formats_[f].sizes[s];
            if (size.width != format.width || size.height != format.height)
                continue;
            format_->setCurrentIndex(int(f));
            size_->setCurrentIndex(int(s));
            for (std::size_t r = 0; r < size.rates.size(); ++r)
                if (size.rates[r] == format.rate)
                    rate_->setCurrentIndex(int(r));
            return true;
        }
    }
    return false;
}

} // namespace camera::ui
