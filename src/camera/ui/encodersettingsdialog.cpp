#include "encodersettingsdialog.h"

#include "widgets/dialogframe.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <climits>

namespace camera::ui {

using platform::EncoderProperty;

EncoderSettingsDialog::EncoderSettingsDialog(const QString &compressorName, std::vector<EncoderProperty> properties,
                                             const std::vector<platform::EncoderSetting> &current, QWidget *parent)
    : QDialog(parent), properties_(std::move(properties))
{
    setObjectName(QStringLiteral("EncoderSettingsDialog"));
    widgets::frameDialog(*this);
    setWindowTitle(compressorName);
    auto *outer = new QVBoxLayout(this);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    auto *page = new QWidget(scroll);
    auto *form = new QFormLayout(page);
    scroll->setWidget(page);
    outer->addWidget(scroll);

    for (const EncoderProperty &p : properties_) {
        QString value = p.value;
        for (const platform::EncoderSetting &s : current)
            if (s.name == p.name)
                value = s.value;
        QWidget *editor = nullptr;
        std::function<QString()> read;
        switch (p.type) {
        case EncoderProperty::Type::Boolean: {
            auto *box = new QCheckBox(page);
            box->setChecked(value == QLatin1String("true"));
            read = [box] { return box->isChecked() ? QStringLiteral("true") : QStringLiteral("false"); };
            editor = box;
            break;
        }
        case EncoderProperty::Type::Integer:
            if (p.minimum >= INT_MIN && p.maximum <= INT_MAX) {
                auto *spin = new QSpinBox(page);
                spin->setRange(int(p.minimum), int(p.maximum));
                spin->setValue(value.toInt());
                read = [spin] { return QString::number(spin->value()); };
                editor = spin;
                break;
            }
            [[fallthrough]];   // 64-bit ranges: a spin box of doubles holds them exactly enough
        case EncoderProperty::Type::Real: {
            auto *spin = new QDoubleSpinBox(page);
            spin->setDecimals(p.type == EncoderProperty::Type::Real ? 3 : 0);
            spin->setRange(p.minimum, p.maximum);
            spin->setValue(value.toDouble());
            const bool integral = p.type == EncoderProperty::Type::Integer;
            read = [spin, integral] {
                return integral ? QString::number(qint64(spin->value())) : QString::number(spin->value(), 'g', 10);
            };
            editor = spin;
            break;
        }
        case EncoderProperty::Type::Choice: {
            auto *combo = new QComboBox(page);
            for (const auto &[nick, readable] : p.choices)
                combo->addItem(readable, nick);
            combo->setCurrentIndex(std::max(0, combo->findData(value)));
            read = [combo] { return combo->currentData().toString(); };
            editor = combo;
            break;
        }
        default: {
            auto *line = new QLineEdit(value, page);
            read = [line] { return line->text(); };
            editor = line;
            break;
        }
        }
        editor->setObjectName(p.name);
        editor->setToolTip(p.description);
        form->addRow(p.name, editor);
        editors_.push_back(editor);
        readers_.push_back(std::move(read));
    }
    // Role buttons: standard ones would take Qt's text back at a language change.
    auto *buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(420, 480);
}

void EncoderSettingsDialog::setButtonTexts(const QString &ok, const QString &cancel)
{
    ok_->setText(ok);
    cancel_->setText(cancel);
}

std::vector<platform::EncoderSetting> EncoderSettingsDialog::settings() const
{
    std::vector<platform::EncoderSetting> changed;
    for (std::size_t i = 0; i < properties_.size(); ++i) {
        const QString value = readers_[i]();
        if (value != properties_[i].value)
            changed.push_back({properties_[i].name, value});
    }
    return changed;
}

QWidget *EncoderSettingsDialog::editor(const QString &property) const
{
    for (std::size_t i = 0; i < properties_.size(); ++i)
        if (properties_[i].name == property)
            return editors_[i];
    return nullptr;
}

} // namespace camera::ui
