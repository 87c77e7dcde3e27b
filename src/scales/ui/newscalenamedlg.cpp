#include "scales/ui/newscalenamedlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace scales::ui {

TNewScaleNameDlg::TNewScaleNameDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TNewScaleNameDlg"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto *layout = new QVBoxLayout(this);
    group_ = new QGroupBox(this);
    group_->setObjectName(QStringLiteral("PleaseNewName_GB"));
    auto *g = new QVBoxLayout(group_);
    edit_ = new QLineEdit(group_);
    edit_->setObjectName(QStringLiteral("InputNameEdit"));
    edit_->setMinimumWidth(260);
    g->addWidget(edit_);
    layout->addWidget(group_);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(this);
    ok_->setObjectName(QStringLiteral("OKBtn"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TNewScaleNameDlg::setTexts(const QString &title, const QString &prompt, const QString &ok, const QString &cancel)
{
    setWindowTitle(title);
    group_->setTitle(prompt);
    ok_->setText(ok);
    cancel_->setText(cancel);
}

void TNewScaleNameDlg::setName(const QString &name)
{
    edit_->setText(name);
    edit_->selectAll();
    edit_->setFocus();
}

QString TNewScaleNameDlg::name() const { return edit_->text(); }

} // namespace scales::ui
