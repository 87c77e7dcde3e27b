#pragma once

#include "imaging/editgeometry.h"
#include "state/controltable.h"

#include <QObject>

#include <functional>

class QAction;

namespace imaging::ui {

// The still-image editor's two tool bars (`ToolBar_ImageEdit1`, `ToolBar_ImageEdit2`) as the main
// window built them from the control table: their place beside the video, their icon size, the
// line, brush and draw style drop-downs with one icon per item, the tool buttons (no tool, move,
// select range, text: at most one of the last three down) and the text box's size and
// background. It turns a chosen item or button into a style or a tool; what to do with it is the
// editor's. UI thread.
class EditorToolBars final : public QObject
{
    Q_OBJECT
public:
    // The main window's control of a table identifier (a menu's own object for a menu).
    using ControlLookup = std::function<QObject *(state::ControlId)>;
    explicit EditorToolBars(ControlLookup control, QObject *parent = nullptr);

    // Both bars at their places beside the video, above the picture; or hidden.
    void show();
    void hide();
    // The tool buttons up and "None" on the draw-style button.
    void resetTool();

Q_SIGNALS:
    // A tool was chosen by a button or a draw-style item (Normal: a tool button went up, or the
    // no-tool button). The buttons and the draw-style icon already show it.
    void toolChosen(imaging::EditTool tool);
    // The draw-style menu opens: the tool buttons went up.
    void drawStyleMenuOpening();
    void lineStyleChosen(Qt::PenStyle style, int width);
    void brushStyleChosen(Qt::BrushStyle style);
    // The text size box: a point size.
    void textSizeChosen(int points);
    void textBackgroundTransparent(bool on);

private:
    QAction *action(state::ControlId id) const;
    void setChecked(state::ControlId button, bool down) const;
    // The draw-style button shows the tool's item icon and the item is checked; tools that are no
    // drawing tool show "None".
    void showTool(EditTool tool);
    void buildMenus();
    void connectMenus();
    void connectToolButtons();

    ControlLookup control_;
};

} // namespace imaging::ui
