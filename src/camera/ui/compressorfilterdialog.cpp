#include "compressorfilterdialog.h"

#include "widgets/dialogframe.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace camera::ui {

TCompressorFilterDlg::TCompressorFilterDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TCompressorFilterDlg"));
    widgets::frameDialog(*this);
    auto *layout = new QVBoxLayout(this);
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("CompressOptionInfo"));
    combo_ = new QComboBox(this);
    combo_->setObjectName(QStringLiteral("CompressorComboBox"));
    combo_->setMinimumWidth(280);
    auto *buttons = new QDialogButtonBox(this);
    // Buttons with roles, not standard buttons: a standard button takes Qt's own text back at
    // every language change, over the text of the interface language.
    ok_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("OKBtn"));
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    cancel_->setObjectName(QStringLiteral("CancelBtn"));
    layout->addWidget(info_);
    layout->addWidget(combo_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(combo_, &QComboBox::currentIndexChanged, this, &TCompressorFilterDlg::onSelected);
}

void TCompressorFilterDlg::setTexts(const Texts &texts)
{
    setWindowTitle(texts.title);
    info_->setText(texts.info);
    ok_->setText(texts.ok);
    cancel_->setText(texts.cancel);
    // The first entry is ours, not a compressor's: it follows the language, and the remembered
    // name follows it so that a remembered "none" is found again.
    if (!choices_.empty() && lastName_ == choices_.front().name)
        lastName_ = texts.noCompressor;
    if (!choices_.empty()) {
        choices_.front().name = texts.noCompressor;
        combo_->setItemText(0, texts.noCompressor);
    }
    texts_ = texts;
}

void TCompressorFilterDlg::prepare(const std::vector<platform::CompressorInfo> &enumeration)
{
    filling_ = true;
    changed_ = false;
    choices_ = compressorChoices(enumeration, texts_.noCompressor);
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
