#include "measure/ui/lineprofiledialog.h"

#include "measure/ui/profileplotwidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace measure::ui {

LineProfileDialog::LineProfileDialog(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("LineProfileDialog"));
    setModal(false);
    plot_ = new ProfilePlotWidget(this);
    length_ = new QLabel(this);
    length_->setObjectName(QStringLiteral("ProfileLength"));
    export_ = new QPushButton(this);
    export_->setObjectName(QStringLiteral("ProfileExport"));
    close_ = new QPushButton(this);
    close_->setObjectName(QStringLiteral("ProfileClose"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(length_, 1);
    buttons->addWidget(export_);
    buttons->addWidget(close_);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(plot_, 1);
    layout->addLayout(buttons);
    connect(export_, &QPushButton::clicked, this, &LineProfileDialog::exportRequested);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    resize(560, 320);
}

void LineProfileDialog::setProfile(LineProfile profile)
{
    plot_->setProfile(std::move(profile));
    export_->setEnabled(!plot_->profile().samples.empty());
    showLength();
}

const LineProfile &LineProfileDialog::profile() const { return plot_->profile(); }

void LineProfileDialog::setTexts(const QString &title, const QString &distance, const QString &intensity,
                                 const QString &lengthFormat, const QString &exportText, const QString &closeText)
{
    setWindowTitle(title);
    plot_->setAxisTitles(distance, intensity);
    lengthFormat_ = lengthFormat;
    export_->setText(exportText);
    close_->setText(closeText);
    showLength();
}

QString LineProfileDialog::lengthText() const { return length_->text(); }

void LineProfileDialog::showLength()
{
    const LineProfile &p = plot_->profile();
    if (p.samples.empty()) {
        length_->clear();
        return;
    }
    const int decimals = p.calibrated ? 4 : 1;
    length_->setText(lengthFormat_.arg(QString::number(p.length, 'f', decimals), p.unit).arg(p.samples.size()));
}

} // namespace measure::ui
