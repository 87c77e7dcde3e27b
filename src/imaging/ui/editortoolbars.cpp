#include "editortoolbars.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>
#include <QToolButton>

namespace imaging::ui {

using state::ControlId;

namespace {

constexpr QPoint kEditBar1Pos{400, 364};
constexpr QPoint kEditBar2Pos{400, 392};

struct LineStyleItem {
    ControlId id;
    Qt::PenStyle style;
    int width;
};
constexpr LineStyleItem kLineStyles[] = {
    {ControlId::ELS_Solid, Qt::SolidLine, 1},          {ControlId::ELS_Dot, Qt::DotLine, 1},
    {ControlId::ELS_Dash, Qt::DashLine, 1},            {ControlId::ELS_DashDot, Qt::DashDotLine, 1},
    {ControlId::ELS_DashDotDot, Qt::DashDotDotLine, 1}, {ControlId::ELS_Solid2, Qt::SolidLine, 2},
    {ControlId::ELS_Solid4, Qt::SolidLine, 4},         {ControlId::ELS_Solid6, Qt::SolidLine, 6},
    {ControlId::ELS_Solid8, Qt::SolidLine, 8}};

struct BrushStyleItem {
    ControlId id;
    Qt::BrushStyle style;
};
constexpr BrushStyleItem kBrushStyles[] = {
    {ControlId::EBS_Clear, Qt::NoBrush},        {ControlId::EBS_Solid, Qt::SolidPattern},
    {ControlId::EBS_Horizontal, Qt::HorPattern}, {ControlId::EBS_Vertical, Qt::VerPattern},
    {ControlId::EBS_Cross, Qt::CrossPattern},    {ControlId::EBS_FrontDiag, Qt::FDiagPattern},
    {ControlId::EBS_BackDiag, Qt::BDiagPattern}, {ControlId::EBS_CrossDiag, Qt::DiagCrossPattern}};

struct DrawStyleItem {
    ControlId id;
    EditTool tool;
};
constexpr DrawStyleItem kDrawStyles[] = {
    {ControlId::EDS_None, EditTool::Normal},       {ControlId::EDS_Sketch, EditTool::Sketch},
    {ControlId::EDS_Line, EditTool::Line},         {ControlId::EDS_Circle, EditTool::Circle},
    {ControlId::EDS_Ellipse, EditTool::Ellipse},   {ControlId::EDS_Square, EditTool::Square},
    {ControlId::EDS_Rectangle, EditTool::Rectangle}, {ControlId::EDS_Polygon, EditTool::Polygon}};

const char *const kTextSizes[] = {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36"};

QPixmap blankIcon()
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    return pm;
}

QIcon lineStyleIcon(Qt::PenStyle style, int width)
{
    QPixmap pm = blankIcon();
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, width, style, Qt::FlatCap));
    p.drawLine(2, 12, 22, 12);
    return QIcon(pm);
}

QIcon brushStyleIcon(Qt::BrushStyle style)
{
    QPixmap pm = blankIcon();
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QBrush(Qt::black, style));
    p.drawRect(3, 3, 17, 17);
    return QIcon(pm);
}

QIcon drawToolIcon(EditTool tool)
{
    QPixmap pm = blankIcon();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    switch (tool) {
    case EditTool::Sketch: {
        QPainterPath path(QPointF(3, 18));
        path.cubicTo(8, 2, 14, 24, 21, 6);
        p.drawPath(path);
        break;
    }
    case EditTool::Line:
        p.drawLine(3, 20, 21, 4);
        break;
    case EditTool::Circle:
        p.drawEllipse(QRectF(3, 3, 18, 18));
        break;
    case EditTool::Ellipse:
        p.drawEllipse(QRectF(2, 6, 20, 12));
        break;
    case EditTool::Square:
        p.drawRect(QRectF(4, 4, 16, 16));
        break;
    case EditTool::Rectangle:
        p.drawRect(QRectF(2, 6, 20, 12));
        break;
    case EditTool::Polygon: {
        const QPointF pts[] = {{4, 20}, {8, 4}, {20, 8}, {18, 20}};
        p.drawPolygon(pts, 4);
        break;
    }
    default:
        break;
    }
    return QIcon(pm);
}

} // namespace

EditorToolBars::EditorToolBars(ControlLookup control, QObject *parent) : QObject(parent), control_(std::move(control))
{
    buildMenus();
    connectMenus();
    connectToolButtons();
}

void EditorToolBars::setChecked(ControlId button, bool down) const
{
    qobject_cast<QAbstractButton *>(control_(button))->setChecked(down);
}

void EditorToolBars::connectToolButtons()
{
    // Select range, move and text exclude each other; each shows "None" on the draw-style button.
    struct ToolButton {
        ControlId id;
        EditTool tool;
        ControlId others[2];
    };
    static constexpr ToolButton kToolButtons[] = {
        {ControlId::ImgBar_Move, EditTool::Move, {ControlId::ImgBar_SelectRang, ControlId::ImgBar_Text}},
        {ControlId::ImgBar_SelectRang, EditTool::SelectRange, {ControlId::ImgBar_Move, ControlId::ImgBar_Text}},
        {ControlId::ImgBar_Text, EditTool::Text, {ControlId::ImgBar_SelectRang, ControlId::ImgBar_Move}}};
    for (const ToolButton &b : kToolButtons)
        connect(qobject_cast<QAbstractButton *>(control_(b.id)), &QAbstractButton::clicked, this, [this, b](bool down) {
            if (down) {
                showTool(EditTool::Normal);
                for (ControlId other : b.others)
                    setChecked(other, false);
                setChecked(ControlId::ImgBar_NormalMode, false);
            }
            // The text tool starts on an opaque background.
            if (down && b.tool == EditTool::Text)
                setChecked(ControlId::ImgBar_TextBgTransparent, false);
            Q_EMIT toolChosen(down ? b.tool : EditTool::Normal);
        });
    connect(qobject_cast<QAbstractButton *>(control_(ControlId::ImgBar_NormalMode)), &QAbstractButton::clicked, this,
            [this] {
                resetTool();
                Q_EMIT toolChosen(EditTool::Normal);
            });
    connect(qobject_cast<QAbstractButton *>(control_(ControlId::ImgBar_TextBgTransparent)), &QAbstractButton::toggled,
            this, &EditorToolBars::textBackgroundTransparent);
    connect(qobject_cast<QMenu *>(control_(ControlId::TntPM_EditDrawStyle)), &QMenu::aboutToShow, this, [this] {
        for (ControlId id : {ControlId::ImgBar_SelectRang, ControlId::ImgBar_Move, ControlId::ImgBar_Text})
            setChecked(id, false);
        Q_EMIT drawStyleMenuOpening();
    });
}

void EditorToolBars::resetTool()
{
    showTool(EditTool::Normal);
    for (ControlId id : {ControlId::ImgBar_SelectRang, ControlId::ImgBar_Text, ControlId::ImgBar_Move})
        setChecked(id, false);
}

QAction *EditorToolBars::action(ControlId id) const
{
    QObject *o = control_(id);
    if (auto *m = qobject_cast<QMenu *>(o))
        return m->menuAction();
    return qobject_cast<QAction *>(o);
}

void EditorToolBars::buildMenus()
{
    for (const LineStyleItem &i : kLineStyles)
        action(i.id)->setIcon(lineStyleIcon(i.style, i.width));
    for (const BrushStyleItem &i : kBrushStyles)
        action(i.id)->setIcon(brushStyleIcon(i.style));
    // "None" keeps the button's own picture.
    action(ControlId::EDS_None)->setIcon(qobject_cast<QToolButton *>(control_(ControlId::ImgBar_DrawStyle))->icon());
    for (const DrawStyleItem &i : kDrawStyles)
        if (i.tool != EditTool::Normal)
            action(i.id)->setIcon(drawToolIcon(i.tool));
    action(ControlId::ELS_Solid)->setChecked(true);
    action(ControlId::EBS_Clear)->setChecked(true);
    action(ControlId::EDS_None)->setChecked(true);
    // The three style buttons open their menus at once: they act only through them.
    const std::pair<ControlId, ControlId> dropDowns[] = {{ControlId::ImgBar_LineStyle, ControlId::TntPM_EditLineStyle},
                                                         {ControlId::ImgBar_BrushStyle, ControlId::TntPM_EditBurshStyle},
                                                         {ControlId::ImgBar_DrawStyle, ControlId::TntPM_EditDrawStyle}};
    for (const auto &[button, menu] : dropDowns) {
        auto *b = qobject_cast<QToolButton *>(control_(button));
        b->setMenu(qobject_cast<QMenu *>(control_(menu)));
        b->setPopupMode(QToolButton::InstantPopup);
    }
    // Both bars fit the 400 pixels beside the video.
    for (ControlId id : {ControlId::ToolBar_ImageEdit1, ControlId::ToolBar_ImageEdit2}) {
        auto *bar = qobject_cast<QToolBar *>(control_(id));
        bar->setIconSize(QSize(16, 16));
        for (QToolButton *b : bar->findChildren<QToolButton *>())
            b->setIconSize(QSize(16, 16));
        bar->adjustSize();
    }
    auto *sizes = qobject_cast<QComboBox *>(control_(ControlId::ImgBar_ComboBox_TextSize));
    for (const char *size : kTextSizes)
        sizes->addItem(QLatin1String(size));
    sizes->setCurrentIndex(0);
    sizes->setEnabled(false);
    // Typing a size in the box must not take the camera keys: it is a choice only.
    sizes->setEditable(false);
}

void EditorToolBars::connectMenus()
{
    for (const LineStyleItem &i : kLineStyles)
        connect(action(i.id), &QAction::triggered, this, [this, i] {
            qobject_cast<QToolButton *>(control_(ControlId::ImgBar_LineStyle))->setIcon(action(i.id)->icon());
            Q_EMIT lineStyleChosen(i.style, i.width);
        });
    for (const BrushStyleItem &i : kBrushStyles)
        connect(action(i.id), &QAction::triggered, this, [this, i] {
            qobject_cast<QToolButton *>(control_(ControlId::ImgBar_BrushStyle))->setIcon(action(i.id)->icon());
            Q_EMIT brushStyleChosen(i.style);
        });
    for (const DrawStyleItem &i : kDrawStyles)
        connect(action(i.id), &QAction::triggered, this, [this, i] {
            showTool(i.tool);
            // A drawing tool is another tool: the tool buttons come up (as when the menu opened,
            // for an item reached any other way), the no-tool button too.
            if (i.tool != EditTool::Normal)
                for (ControlId id : {ControlId::ImgBar_SelectRang, ControlId::ImgBar_Move, ControlId::ImgBar_Text,
                                     ControlId::ImgBar_NormalMode})
                    setChecked(id, false);
            Q_EMIT toolChosen(i.tool);
        });
    connect(qobject_cast<QComboBox *>(control_(ControlId::ImgBar_ComboBox_TextSize)), &QComboBox::currentTextChanged, this,
            [this](const QString &size) {
                bool ok = false;
                const int points = size.toInt(&ok);
                if (ok)
                    Q_EMIT textSizeChosen(points);
            });
}

void EditorToolBars::showTool(EditTool tool)
{
    for (const DrawStyleItem &i : kDrawStyles)
        if (i.tool == tool) {
            qobject_cast<QToolButton *>(control_(ControlId::ImgBar_DrawStyle))->setIcon(action(i.id)->icon());
            action(i.id)->setChecked(true);
        }
}

void EditorToolBars::show()
{
    const std::pair<ControlId, QPoint> bars[] = {{ControlId::ToolBar_ImageEdit1, kEditBar1Pos},
                                                 {ControlId::ToolBar_ImageEdit2, kEditBar2Pos}};
    for (const auto &[id, pos] : bars) {
        auto *bar = qobject_cast<QToolBar *>(control_(id));
        bar->move(pos);
        bar->show();
        bar->raise();
    }
}

void EditorToolBars::hide()
{
    setChecked(ControlId::ImgBar_NormalMode, false);
    for (ControlId id : {ControlId::ToolBar_ImageEdit1, ControlId::ToolBar_ImageEdit2})
        qobject_cast<QToolBar *>(control_(id))->hide();
}

} // namespace imaging::ui
