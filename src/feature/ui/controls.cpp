#include "controls.h"

#include "feature/actionstate.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

namespace feature::ui {

using state::ControlId;

void Controls::add(ControlId id, QObject *control) { objects_[std::size_t(id)] = control; }

QWidget *Controls::widget(ControlId id) const { return qobject_cast<QWidget *>(object(id)); }

QAction *Controls::action(ControlId id) const
{
    if (auto *m = qobject_cast<QMenu *>(object(id)))
        return m->menuAction();
    return qobject_cast<QAction *>(object(id));
}

QMenu *Controls::menu(ControlId id) const { return qobject_cast<QMenu *>(object(id)); }
QToolBar *Controls::toolBar(ControlId id) const { return qobject_cast<QToolBar *>(object(id)); }
QAbstractButton *Controls::button(ControlId id) const { return qobject_cast<QAbstractButton *>(object(id)); }
QToolButton *Controls::toolButton(ControlId id) const { return qobject_cast<QToolButton *>(object(id)); }
QPushButton *Controls::mainButton(ControlId id) const { return qobject_cast<QPushButton *>(object(id)); }
QComboBox *Controls::comboBox(ControlId id) const { return qobject_cast<QComboBox *>(object(id)); }
QAbstractSlider *Controls::slider(ControlId id) const { return qobject_cast<QAbstractSlider *>(object(id)); }
QLabel *Controls::label(ControlId id) const { return qobject_cast<QLabel *>(object(id)); }

bool Controls::isDown(ControlId id) const
{
    if (const QAbstractButton *b = button(id))
        return b->isChecked();
    const QAction *a = action(id);
    return a && a->isChecked();
}

void Controls::apply(const ActionState &state) const
{
    for (std::size_t i = 0; i < state::kControlCount; ++i) {
        const auto id = ControlId(i);
        QObject *o = objects_[i];
        if (!o)
            continue;
        auto *w = qobject_cast<QWidget *>(o);
        QAction *a = w ? nullptr : action(id);
        if (state.visible.named(id)) {
            const bool v = state.visible.value(id);
            if (w && w->isHidden() == v)
                w->setVisible(v);
            else if (a && a->isVisible() != v)
                a->setVisible(v);
        }
        if (state.enabled.named(id)) {
            const bool e = state.enabled.value(id);
            if (w && w->isEnabled() != e)
                w->setEnabled(e);
            else if (a && a->isEnabled() != e)
                a->setEnabled(e);
        }
        if (state.checked.named(id)) {
            const bool c = state.checked.value(id);
            if (auto *b = qobject_cast<QAbstractButton *>(o); b && b->isChecked() != c)
                b->setChecked(c);
            else if (a && a->isChecked() != c)
                a->setChecked(c);
        }
    }
}

} // namespace feature::ui
