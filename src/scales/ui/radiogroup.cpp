#include "scales/ui/radiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

namespace scales::ui {

RadioGroup::RadioGroup(const QString &objectName, int columns, QWidget *parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), columns_(std::max(1, columns))
{
    setObjectName(objectName);
    new QGridLayout(this);
    connect(buttons_, &QButtonGroup::idClicked, this, &RadioGroup::clicked);
}

void RadioGroup::setItems(const QStringList &items)
{
    const int chosen = itemIndex();
    auto *grid = static_cast<QGridLayout *>(layout());
    if (buttons_->buttons().size() != items.size()) {
        for (QAbstractButton *b : buttons_->buttons()) {
            buttons_->removeButton(b);
            delete b;
        }
        for (int i = 0; i < items.size(); ++i) {
            auto *b = new QRadioButton(this);
            b->setObjectName(objectName() + QString::number(i));
            buttons_->addButton(b, i);
            grid->addWidget(b, i / columns_, i % columns_);
        }
    }
    for (int i = 0; i < items.size(); ++i)
        buttons_->button(i)->setText(items[i]);
    setItemIndex(chosen);
}

int RadioGroup::itemIndex() const { return buttons_->checkedId(); }
int RadioGroup::count() const { return int(buttons_->buttons().size()); }

void RadioGroup::setItemIndex(int index)
{
    const QSignalBlocker block(buttons_);
    if (QAbstractButton *b = buttons_->button(index))
        b->setChecked(true);
}

} // namespace scales::ui
