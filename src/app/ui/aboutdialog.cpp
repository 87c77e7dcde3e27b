#include "aboutdialog.h"

#include "app/languagetexts.h"
#include "widgets/dialogframe.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace app::ui {

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutQuilaDlg"));
    setModal(true);
    widgets::frameDialog(*this);
    auto *grid = new QGridLayout(this);
    icon_ = new QLabel(this);
    title_ = new QLabel(QStringLiteral("Sendra-CAM Viewer"), this);
    QFont big = title_->font();
    big.setPointSize(14);
    big.setBold(true);
    title_->setFont(big);
    version_ = new QLabel(QStringLiteral("Version ") + QLatin1String(kVersion) + QLatin1String(kBuildMark), this);
    version_->setObjectName(QStringLiteral("Version_Lab"));
    QFont small = version_->font();
    small.setPointSize(9);
    version_->setFont(small);
    info1_ = new QLabel(this);
    info2_ = new QLabel(this);
    web_ = new QPushButton(QLatin1String(kWebAddress), this);
    web_->setFlat(true);
    ok_ = new QPushButton(this);
    ok_->setDefault(true);
    grid->addWidget(icon_, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(title_, 0, 1);
    grid->addWidget(version_, 1, 1);
    grid->addWidget(info1_, 2, 1);
    grid->addWidget(info2_, 3, 1);
    grid->addWidget(web_, 4, 1, Qt::AlignLeft);
    grid->addWidget(ok_, 5, 1, Qt::AlignRight);
    connect(web_, &QPushButton::clicked, this, [this] { QDesktopServices::openUrl(QUrl(web_->text())); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutDialog::applyTexts(const LanguageTexts &texts, const QString &iconPath)
{
    setWindowTitle(texts.text(QStringLiteral("AboutTitle_Dlg")));
    info1_->setText(texts.text(QStringLiteral("AboutInfo1_Dlg")));
    info2_->setText(texts.text(QStringLiteral("AboutInfo2_Dlg")));
    ok_->setText(texts.text(QStringLiteral("OKBtn_Dlg")));
    QPixmap pm(iconPath);
    if (!pm.isNull())
        icon_->setPixmap(pm.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace app::ui
