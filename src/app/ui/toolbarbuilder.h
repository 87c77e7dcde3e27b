#pragma once

#include "feature/ui/controls.h"

#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

namespace app::ui {

// Builds the program's tool bars and the controls on them from the control table, as children
// of the main window's client area, and enters each in the window's controls by its name. The
// mode bars start below the video, where the Normal layout has them; the layouts move them.
class ToolBarBuilder
{
public:
    // `pictureFolder` holds the buttons' pictures (ends in a slash).
    ToolBarBuilder(QWidget &parent, feature::ui::Controls &controls, QString pictureFolder);

    // `modeBarPos`: where the live-mode bars sit; `changeModeRect`: the live-mode buttons' bar
    // (its height follows its buttons).
    void build(QPoint modeBarPos, QRect changeModeRect);

private:
    QWidget &parent_;
    feature::ui::Controls &controls_;
    QString pictureFolder_;
};

} // namespace app::ui
