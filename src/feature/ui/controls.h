#pragma once

#include "state/controltable.h"

#include <QPointer>
#include <QString>

#include <array>
#include <string_view>

class QAbstractButton;
class QAbstractSlider;
class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QObject;
class QPushButton;
class QToolBar;
class QToolButton;
class QWidget;

namespace feature {
struct ActionState;
}

namespace feature::ui {

// A name or picture of the control table as text (the table's strings are Latin-1).
inline QString tableText(std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

// The main window's controls by their table identifier. The window fills it while it builds
// the controls from the table; features look controls up here, never by name. UI thread only.
class Controls
{
public:
    void add(state::ControlId id, QObject *control);

    QObject *object(state::ControlId id) const { return objects_[std::size_t(id)]; }
    QWidget *widget(state::ControlId id) const;
    // A menu item; for a menu, the item that opens it in its parent.
    QAction *action(state::ControlId id) const;
    QMenu *menu(state::ControlId id) const;
    QToolBar *toolBar(state::ControlId id) const;
    QAbstractButton *button(state::ControlId id) const;
    QToolButton *toolButton(state::ControlId id) const;
    QPushButton *mainButton(state::ControlId id) const;
    QComboBox *comboBox(state::ControlId id) const;
    QAbstractSlider *slider(state::ControlId id) const;
    QLabel *label(state::ControlId id) const;

    // A check button or check item is down.
    bool isDown(state::ControlId id) const;

    // Applies the idle-time rules: only what changed is touched, so an idle window costs a few
    // comparisons per pass.
    void apply(const ActionState &state) const;

private:
    std::array<QPointer<QObject>, state::kControlCount> objects_{};
};

} // namespace feature::ui
