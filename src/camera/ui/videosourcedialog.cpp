#include "videosourcedialog.h"

#include "platform/controldevice.h"
#include "widgets/dialogframe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace camera::ui {

VideoSourceDialog::VideoSourceDialog(platform::ControlDevice &device, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("VideoSourceDialog"));
    widgets::frameDialog(*this);
    auto *form = new QFormLayout(this);
    platform::ControlDevice *dev = &device;
    for (const platform::ControlInfo &c : device.controls()) {
        const int value = device.value(c.id).value_or(c.defaultValue);
        const std::uint32_t id = c.id;
        QWidget *editor = nullptr;
        switch (c.type) {
        case platform::ControlType::Integer: {
            auto *row = new QWidget(this);
            auto *h = new QHBoxLayout(row);
            h->setContentsMargins(0, 0, 0, 0);
            auto *slider = new QSlider(Qt::Horizontal, row);
            auto *spin = new QSpinBox(row);
            slider->setRange(c.minimum, c.maximum);
            slider->setSingleStep(c.step);
            slider->setValue(value);
            spin->setRange(c.minimum, c.maximum);
            spin->setSingleStep(c.step);
            spin->setValue(value);
            h->addWidget(slider);
            h->addWidget(spin);
            connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
            connect(spin, &QSpinBox::valueChanged, slider, &QSlider::setValue);
            connect(spin, &QSpinBox::valueChanged, this, [dev, id](int v) { dev->setValue(id, v); });
            editor = row;
            break;
        }
        case platform::ControlType::Boolean: {
            auto *box = new QCheckBox(this);
            box->setChecked(value != 0);
            connect(box, &QCheckBox::toggled, this, [dev, id](bool on) { dev->setValue(id, on ? 1 : 0); });
            editor = box;
            break;
        }
        case platform::ControlType::Menu:
        case platform::ControlType::IntegerMenu: {
            auto *combo = new QComboBox(this);
            for (const auto &e : c.menu) {
                combo->addItem(e.name, e.index);
                if (e.index == value)
                    combo->setCurrentIndex(combo->count() - 1);
            }
            connect(combo, &QComboBox::activated, this, [dev, id, combo](int i) { dev->setValue(id, combo->itemData(i).toInt()); });
            editor = combo;
            break;
        }
        case platform::ControlType::Button: {
            auto *button = new QPushButton(c.name, this);
            connect(button, &QPushButton::clicked, this, [dev, id] { dev->setValue(id, 1); });
            editor = button;
            break;
        }
        default:
            continue;   // compound and string controls are not edited here
        }
        editor->setObjectName(QStringLiteral("control_%1").arg(c.id, 8, 16, QLatin1Char('0')));
        editor->setEnabled(!c.readOnly);
        form->addRow(c.name, editor);
        ++count_;
    }
    // A role button: a standard one would take Qt's text back at a language change.
    auto *buttons = new QDialogButtonBox(this);
    close_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    form->addRow(buttons);
}

void VideoSourceDialog::setTexts(const Texts &texts)
{
    setWindowTitle(texts.title);
    close_->setText(texts.close);
}

} // namespace camera::ui
