#include "compressorfilterdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace camera::ui {

TCompressorFilterDlg::TCompressorFilterDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TCompressorFilterDlg"));
    auto *layout = new QVBoxLayout(this);
    info_ = new QLabel(this);
    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("CompressorComboBox"));
    combo_->setMinimumWidth(280);
    auto *buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    ok_->setObjectName(QStringLiteral("OKBtn"));
    cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
    cancel_->setObjectName(QStringLiteral("CancelBtn"));
    layout->addWidget(info_);
    layout->addWidget(combo_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(combo_, &QComboBox::currentIndexChanged, this, &TCompressorFilterDlg::onSelected);
    setTexts({});
}

void TCompressorFilterDlg::setTexts(const Texts &texts)
{
    setWindowTitle(texts.title);
    info_->setText(texts.info);
    ok_->setText(texts.ok);
    cancel_->setText(texts.cancel);
}

void TCompressorFilterDlg::prepare(const std::vector<platform::CompressorInfo> &enumeration)
{
    filling_ = true;
    changed_ = false;
    choices_ = compressorChoices(enumeration, QString::fromLatin1(kNoCompressor));
    combo_->clear();
    for (const CompressorChoice &c : choices_)
        combo_->addItem(c.name);
    combo_->setCurrentIndex(0);
    filling_ = false;
    if (!lastName_.isEmpty()) {
        const int position = combo_->findText(lastName_, Qt::MatchExactly);
        if (position >= 0)
            combo_->setCurrentIndex(position);   // records the index again, as a user's choice would
    }
}

void TCompressorFilterDlg::onSelected(int position)
{
    if (filling_ || position < 0 || std::size_t(position) >= choices_.size())
        return;
    index_ = choices_[std::size_t(position)].index;
    lastName_ = choices_[std::size_t(position)].name;
    changed_ = true;
}

} // namespace camera::ui
