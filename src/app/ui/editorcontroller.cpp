#include "editorcontroller.h"

#include "controls.h"
#include "mainwindow.h"
#include "shell.h"
#include "stillimagecontroller.h"

#include "app/updateactions.h"
#include "imaging/stilldocument.h"
#include "imaging/ui/edittextbox.h"
#include "imaging/ui/stillimageview.h"
#include "library/imagefit.h"
#include "platform/diagnosticslog.h"
#include "state/uiprotocol.h"

#include <QAction>
#include <QClipboard>
#include <QColorDialog>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>

#include <exception>

namespace app::ui {

using imaging::DragState;
using imaging::EditTool;
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

// The box whose outline runs through both corners (a QRect outline lies one pixel outside its
// right and bottom).
QRect outlineBox(QPoint a, QPoint b) { return QRect(a, b).normalized().adjusted(0, 0, -1, -1); }

// The marquee, the text box's rubber band and the paste outline: black, dotted, unfilled.
void drawDottedBox(QPainter &p, const QRect &box)
{
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(box);
}

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

EditorController::EditorController(Shell &shell, StillImageController &still, QObject *parent)
    : QObject(parent), shell_(shell), still_(still)
{
    pickColour = [this](const QColor &initial) { return QColorDialog::getColor(initial, &shell_.window()); };
    textBox_ = new imaging::ui::EditTextBox(&view(), control(), this);
    textBox_->setTextColor(textColour_);
    textBox_->setBackgroundColor(textBgColour_);
    control()->installEventFilter(this);
    QComboBox *sizes = shell_.controls().comboBox(ControlId::ImgBar_ComboBox_TextSize);
    sizes->addItems({"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36"});
    sizes->setCurrentIndex(0);
    sizes->setEnabled(false);
    // Typing a size in the box must not take the camera keys: it is a choice only.
    sizes->setEditable(false);
    buildMenuIcons();
    connectControls();
    still_.toggleEditor = [this] { EditorImage_BtnClick(); };
    still_.exitImageEdit = [this] { ExitImageEdit(); };
}

EditorController::~EditorController() = default;

imaging::ui::StillImageView &EditorController::view() const { return still_.view(); }

imaging::StillDocument &EditorController::doc() const { return still_.document(); }

QWidget *EditorController::control() const { return view().pictureControl(); }

bool EditorController::editing() const { return shell_.state().flags().EditMode; }

void EditorController::buildMenuIcons()
{
    Controls &c = shell_.controls();
    for (const LineStyleItem &i : kLineStyles)
        c.action(i.id)->setIcon(lineStyleIcon(i.style, i.width));
    for (const BrushStyleItem &i : kBrushStyles)
        c.action(i.id)->setIcon(brushStyleIcon(i.style));
    // "None" keeps the button's own picture.
    c.action(ControlId::EDS_None)->setIcon(c.toolButton(ControlId::ImgBar_DrawStyle)->icon());
    for (const DrawStyleItem &i : kDrawStyles)
        if (i.tool != EditTool::Normal)
            c.action(i.id)->setIcon(drawToolIcon(i.tool));
    c.action(ControlId::ELS_Solid)->setChecked(true);
    c.action(ControlId::EBS_Clear)->setChecked(true);
    c.action(ControlId::EDS_None)->setChecked(true);
    const std::pair<ControlId, ControlId> dropDowns[] = {{ControlId::ImgBar_LineStyle, ControlId::TntPM_EditLineStyle},
                                                         {ControlId::ImgBar_BrushStyle, ControlId::TntPM_EditBurshStyle},
                                                         {ControlId::ImgBar_DrawStyle, ControlId::TntPM_EditDrawStyle}};
    for (const auto &[button, menu] : dropDowns) {
        QToolButton *b = c.toolButton(button);
        b->setMenu(c.menu(menu));
        b->setPopupMode(QToolButton::InstantPopup);
    }
    // Both bars fit the 400 pixels beside the video.
    for (ControlId id : {ControlId::ToolBar_ImageEdit1, ControlId::ToolBar_ImageEdit2}) {
        QToolBar *bar = c.toolBar(id);
        bar->setIconSize(QSize(16, 16));
        for (QToolButton *b : bar->findChildren<QToolButton *>())
            b->setIconSize(QSize(16, 16));
        bar->adjustSize();
    }
}

void EditorController::connectControls()
{
    Controls &c = shell_.controls();
    auto click = [this, &c](ControlId id, auto handler) {
        connect(c.toolButton(id), &QToolButton::clicked, this, handler);
    };
    connect(c.mainButton(ControlId::EditorImage_Btn), &QAbstractButton::clicked, this,
            &EditorController::EditorImage_BtnClick);
    click(ControlId::ImgBar_ExitToolBar, [this] {
        eraseMarquee();
        askToSave();
        leave();
    });
    click(ControlId::ImgBar_NormalMode, [this] {
        eraseMarquee();
        resetTool();
    });
    click(ControlId::ImgBar_Move, [this](bool down) {
        if (down) {
            eraseMarquee();
            setDrawStyleIcon(EditTool::Normal);
            releaseButtons({ControlId::ImgBar_SelectRang, ControlId::ImgBar_Text});
            hideTextBox();
            setCursorShape(Qt::SizeAllCursor);
            tool_ = EditTool::Move;
        } else {
            tool_ = EditTool::Normal;
            setCursorShape(Qt::ArrowCursor);
        }
    });
    click(ControlId::ImgBar_SelectRang, [this](bool down) {
        if (down) {
            p1_ = p2_ = QPoint();
            selectionValid_ = false;
            setDrawStyleIcon(EditTool::Normal);
            releaseButtons({ControlId::ImgBar_Move, ControlId::ImgBar_Text});
            hideTextBox();
            setCursorShape(Qt::CrossCursor);
            tool_ = EditTool::SelectRange;
        } else {
            tool_ = EditTool::Normal;
            setCursorShape(Qt::ArrowCursor);
            eraseMarquee();
        }
    });
    click(ControlId::ImgBar_Text, [this](bool down) {
        eraseMarquee();
        if (down) {
            p1_ = p2_ = QPoint();
            selectionValid_ = false;
            setDrawStyleIcon(EditTool::Normal);
            shell_.controls().button(ControlId::ImgBar_TextBgTransparent)->setChecked(false);
            textBox_->setTransparentBackground(false);
            setCursorShape(Qt::CrossCursor);
            tool_ = EditTool::Text;
        } else {
            tool_ = EditTool::Normal;
            hideTextBox();
        }
        releaseButtons({ControlId::ImgBar_SelectRang, ControlId::ImgBar_Move});
    });
    click(ControlId::ImgBar_NewFile, [this] { ImgBar_NewFileClick(); });
    click(ControlId::ImgBar_Save, [this] {
        eraseMarquee();
        still_.Save_ImageFile(doc().picture());
    });
    click(ControlId::ImgBar_RotateLeft, [this] { rotate(true); });
    click(ControlId::ImgBar_RotateRight, [this] { rotate(false); });
    click(ControlId::ImgBar_ZoomFit, [this] { ImgBar_ZoomFitClick(); });
    click(ControlId::ImgBar_ZoomIn, [this] { ImgBar_ZoomInClick(); });
    click(ControlId::ImgBar_ZoomOut, [this] { ImgBar_ZoomOutClick(); });
    click(ControlId::ImgBar_OriginalFit, [this] { ImgBar_OriginalFitClick(); });
    click(ControlId::ImgBar_Undo, [this] { ImgBar_UndoClick(); });
    click(ControlId::ImgBar_Redo, [this] { ImgBar_RedoClick(); });
    click(ControlId::ImgBar_Color, [this] { ImgBar_ColorClick(); });
    click(ControlId::ImgBar_DeleteToolBar, [this] {
        eraseMarquee();
        still_.DeleteImage();
    });
    click(ControlId::ImgBar_TextColor, [this] { ImgBar_TextColorClick(); });
    click(ControlId::ImgBar_TextBgColor, [this] { ImgBar_TextBgColorClick(); });
    click(ControlId::ImgBar_TextBgTransparent, [this](bool down) { textBox_->setTransparentBackground(down); });
    click(ControlId::ImgBar_Cut, [this] { ImgBar_CutClick(); });
    click(ControlId::ImgBar_Copy, [this] { ImgBar_CopyClick(); });
    click(ControlId::ImgBar_Paste, [this] { ImgBar_PasteClick(); });
    click(ControlId::ImgBar_SelectSave, [this] { ImgBar_SelectSaveClick(); });
    // The three style buttons open their menus at once: they act only through them.
    connect(c.comboBox(ControlId::ImgBar_ComboBox_TextSize), &QComboBox::currentTextChanged, this,
            [this](const QString &size) {
                bool ok = false;
                const int points = size.toInt(&ok);
                if (ok)
                    textBox_->setPointSize(points);
            });

    for (const LineStyleItem &i : kLineStyles)
        connect(c.action(i.id), &QAction::triggered, this, [this, i] {
            penStyle_ = i.style;
            penWidth_ = i.width;
            shell_.controls().toolButton(ControlId::ImgBar_LineStyle)->setIcon(shell_.controls().action(i.id)->icon());
        });
    for (const BrushStyleItem &i : kBrushStyles)
        connect(c.action(i.id), &QAction::triggered, this, [this, i] {
            brushStyle_ = i.style;
            shell_.controls().toolButton(ControlId::ImgBar_BrushStyle)->setIcon(shell_.controls().action(i.id)->icon());
        });
    for (const DrawStyleItem &i : kDrawStyles)
        connect(c.action(i.id), &QAction::triggered, this, [this, i] { chooseDrawTool(i.tool); });
    connect(c.menu(ControlId::TntPM_EditDrawStyle), &QMenu::aboutToShow, this, [this] {
        eraseMarquee();
        releaseButtons({ControlId::ImgBar_SelectRang, ControlId::ImgBar_Move, ControlId::ImgBar_Text});
        hideTextBox();
    });

    // The pop-up menu's whole-picture cut and paste are edits like any other: committed and
    // recorded, so they survive the next stroke and the exit, count as unsaved and can be undone.
    connect(c.action(ControlId::VI_Cut), &QAction::triggered, this, [this] {
        if (doc().isEmpty())
            return;
        eraseMarquee();
        QGuiApplication::clipboard()->setImage(doc().picture().image());
        doc().edit(platform::Bitmap(doc().picture().width(), doc().picture().height()));
    });
    connect(c.action(ControlId::VI_Copy), &QAction::triggered, this, [this] {
        if (doc().isEmpty())
            return;
        eraseMarquee();
        QGuiApplication::clipboard()->setImage(doc().picture().image());
    });
    connect(c.action(ControlId::VI_Paste), &QAction::triggered, this, [this] {
        const QImage image = QGuiApplication::clipboard()->image();
        if (image.isNull() || doc().isEmpty())
            return;
        eraseMarquee();
        doc().edit(platform::Bitmap(image));
        ImgBar_ZoomFitClick();
    });
}

void EditorController::setDrawStyleIcon(EditTool tool)
{
    Controls &c = shell_.controls();
    for (const DrawStyleItem &i : kDrawStyles)
        if (i.tool == tool) {
            c.toolButton(ControlId::ImgBar_DrawStyle)->setIcon(c.action(i.id)->icon());
            c.action(i.id)->setChecked(true);
        }
}

void EditorController::setCursorShape(Qt::CursorShape shape) { control()->setCursor(shape); }

void EditorController::releaseButtons(std::initializer_list<ControlId> ids)
{
    for (ControlId id : ids)
        shell_.controls().button(id)->setChecked(false);
}

void EditorController::hideTextBox() { textBox_->hideBox(); }

void EditorController::chooseDrawTool(EditTool tool)
{
    polygonInProgress_ = false;
    drag_ = DragState::Idle;
    tool_ = tool;
    setDrawStyleIcon(tool);
    setCursorShape(tool == EditTool::Normal ? Qt::ArrowCursor : Qt::CrossCursor);
}

void EditorController::resetTool()
{
    setDrawStyleIcon(EditTool::Normal);
    releaseButtons({ControlId::ImgBar_SelectRang, ControlId::ImgBar_Text, ControlId::ImgBar_Move});
    hideTextBox();
    tool_ = EditTool::Normal;
    drag_ = DragState::Idle;
    polygonInProgress_ = false;
    setCursorShape(Qt::ArrowCursor);
}

// --- Entering and leaving ---

void EditorController::EditorImage_BtnClick()
{
    if (!editing()) {
        enter();
        return;
    }
    askToSave();
    leave();
    shell_.MemoryTrim();
}

void EditorController::askToSave()
{
    const imaging::StillDocument &still = doc();
    if (still.changeCount() > 1 && !still.isEmpty()
        && shell_.ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                 state::kIconQuestion)
               == state::kResultOk)
        still_.Save_ImageFile(still.picture());
}

void EditorController::enter()
{
    if (doc().isEmpty())
        return;
    Controls &c = shell_.controls();
    QToolBar *bar1 = c.toolBar(ControlId::ToolBar_ImageEdit1);
    QToolBar *bar2 = c.toolBar(ControlId::ToolBar_ImageEdit2);
    bar1->move(kEditBar1Pos);
    bar2->move(kEditBar2Pos);
    for (QToolBar *bar : {bar1, bar2}) {
        bar->show();
        bar->raise();
    }
    shell_.setMainButton(ControlId::EditorImage_Btn, QStringLiteral("exitedit.bmp"), QStringLiteral("EditorImageExit_Btn"));
    shell_.state().setEditMode(true);
    // Edits the picture carries in (a filter result kept, a snapshot that was not stored) stay
    // unsaved: the document keeps K.
    doc().beginEditing();
    const QRect ctl = control()->geometry();
    zoom_ = {1.0f, float(ctl.width()), float(ctl.height())};
    control()->setMouseTracking(true);
    leaveFilterMode();
}

void EditorController::ExitImageEdit() { leave(); }

void EditorController::leave()
{
    if (!editing())
        return;
    Controls &c = shell_.controls();
    QToolBar *bar1 = c.toolBar(ControlId::ToolBar_ImageEdit1);
    QToolBar *bar2 = c.toolBar(ControlId::ToolBar_ImageEdit2);
    shell_.setMainButton(ControlId::EditorImage_Btn, QStringLiteral("edit.bmp"), QStringLiteral("EditorImage_Btn"));
    resetTool();
    textBox_->clearAndHide();
    // Unsaved edits stay unsaved whether the user saved them or not: the document keeps K and
    // takes the picture as the filters' source.
    doc().endEditing();
    shell_.state().setEditMode(false);
    resetFilterButtons();
    bar1->hide();
    bar2->hide();
    control()->setMouseTracking(false);
    control()->unsetCursor();
}

void EditorController::beforeSnapshotKey()
{
    // The snapshot replaces the picture: any unsaved edit is offered for saving first.
    if (editing() && doc().hasUnsavedEdits())
        still_.beforeExit();
}

// --- History ---

void EditorController::restoreViewOffset()
{
    const QRect ctl = control()->geometry();
    control()->move(imaging::panBounds(ctl.size(), view().size()).clamp(doc().savedViewOffset()));
}

void EditorController::ImgBar_UndoClick()
{
    eraseMarquee();
    if (doc().undo())
        restoreViewOffset();
}

void EditorController::ImgBar_RedoClick()
{
    eraseMarquee();
    if (doc().redo())
        restoreViewOffset();
}

void EditorController::eraseMarquee() { doc().erasePreview(); }

// --- View: turns, zoom, fit ---

void EditorController::fitPicture()
{
    const QRect fit = library::fitViewImage(doc().picture().size(), view().size());
    control()->setGeometry(fit);
    zoom_ = {1.0f, float(fit.width()), float(fit.height())};
}

void EditorController::rotate(bool left)
{
    if (doc().isEmpty())
        return;
    eraseMarquee();
    const platform::Bitmap &source = doc().committedPicture().isNull() ? doc().picture() : doc().committedPicture();
    doc().replace(left ? imaging::rotateLeft(source) : imaging::rotateRight(source));
    fitPicture();
}

void EditorController::zoomStep(bool in)
{
    const QRect ctl = control()->geometry();
    const bool keep = shell_.controls().isDown(ControlId::ImgBar_Move);
    const imaging::ZoomStep s = (in ? imaging::zoomIn : imaging::zoomOut)(zoom_, ctl, doc().picture().size(),
                                                                          view().size(), keep);
    control()->setGeometry(s.control);
    zoom_ = s.zoom;
    if (s.stepped && !keep)
        resetTool();
}

void EditorController::ImgBar_ZoomFitClick()
{
    eraseMarquee();
    fitPicture();
    doc().setSavedViewOffset(QPoint());
    resetFilterButtons();
}

void EditorController::ImgBar_OriginalFitClick()
{
    const QRect own = imaging::originalSizeRect(doc().picture().size(), view().size());
    control()->setGeometry(own);
    zoom_ = {1.0f, float(own.width()), float(own.height())};
}

void EditorController::ImgBar_NewFileClick()
{
    imaging::StillDocument &still = doc();
    eraseMarquee();
    if (!still.isEmpty() && still.changeCount() >= 2
        && shell_.ShowMessageBox(QStringLiteral("WhetherSaveImage_MsgBox"), QStringLiteral("AttentionTitle_MsgBox"), true,
                                 state::kIconQuestion)
               == state::kResultOk)
        still_.Save_ImageFile(still.picture());
    hideTextBox();
    textBox_->clearAndHide();
    // A new picture, the history's first snapshot and the filters' source; it is nobody's file,
    // so Delete cannot reach the file saved a moment ago.
    still.load(platform::Bitmap(640, 480), QString());
    fitPicture();
    resetFilterButtons();
}

// --- Colours ---

void EditorController::ImgBar_ColorClick()
{
    eraseMarquee();
    QColor c = pickColour(drawColour_);
    if (!c.isValid())
        return;
    // White is the transparency key of every drawing layer: the nearest other white is stored.
    if (c.rgb() == QColor(Qt::white).rgb())
        c = QColor(0xFE, 0xFF, 0xFF);
    drawColour_ = c;
}

void EditorController::ImgBar_TextColorClick()
{
    eraseMarquee();
    const QColor c = pickColour(textColour_);
    if (!c.isValid())
        return;
    textColour_ = c;
    textBox_->setTextColor(c);
}

void EditorController::ImgBar_TextBgColorClick()
{
    eraseMarquee();
    const QColor c = pickColour(textBgColour_);
    if (!c.isValid())
        return;
    textBgColour_ = c;
    textBox_->setBackgroundColor(c);
}

// --- Selection and clipboard ---

platform::Bitmap EditorController::selectedPicture() const
{
    const QRect r(QPoint(std::min(p1_.x(), p2_.x()), std::min(p1_.y(), p2_.y())),
                  QSize(std::abs(p2_.x() - p1_.x()), std::abs(p2_.y() - p1_.y())));
    return platform::Bitmap(doc().picture().image().copy(r));
}

void EditorController::ImgBar_CutClick()
{
    if (!shell_.controls().isDown(ControlId::ImgBar_SelectRang))
        return;
    selectionValid_ = false;
    eraseMarquee();
    // A selection without width or height holds no picture: nothing to put anywhere.
    if (p1_.x() == p2_.x() || p1_.y() == p2_.y())
        return;
    QGuiApplication::clipboard()->setImage(selectedPicture().image());
    platform::Bitmap live = doc().picture();
    {
        QPainter p(&live.image());
        p.fillRect(QRect(QPoint(std::min(p1_.x(), p2_.x()), std::min(p1_.y(), p2_.y())),
                         QSize(std::abs(p2_.x() - p1_.x()), std::abs(p2_.y() - p1_.y()))),
                   Qt::white);
    }
    doc().edit(std::move(live));
}

void EditorController::ImgBar_CopyClick()
{
    if (!shell_.controls().isDown(ControlId::ImgBar_SelectRang))
        return;
    selectionValid_ = false;
    eraseMarquee();
    if (p1_.x() == p2_.x() || p1_.y() == p2_.y())
        return;
    QGuiApplication::clipboard()->setImage(selectedPicture().image());
}

void EditorController::ImgBar_SelectSaveClick()
{
    selectionValid_ = false;
    eraseMarquee();
    if (p1_.x() == p2_.x() || p1_.y() == p2_.y())
        return;
    still_.Save_ImageFile(selectedPicture());
}

void EditorController::ImgBar_PasteClick()
{
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull() || doc().isEmpty())
        return;
    eraseMarquee();
    pasteBuffer_ = platform::Bitmap(image);
    const QPoint at = imaging::pasteDropPosition({}, {}, pasteBuffer_.size(), control()->geometry(),
                                                 doc().picture().size(), view().size());
    showPastePreview(at);
    setCursorShape(Qt::SizeAllCursor);
    tool_ = EditTool::PastePlacing;
}

// --- Text ---

void EditorController::commitText()
{
    if (!textBox_->isShown() && textBox_->edit()->toPlainText().isEmpty())
        return;
    platform::Bitmap picture = doc().committedPicture().isNull() ? doc().picture() : doc().committedPicture();
    if (!textBox_->commitInto(picture, control()->geometry()))
        return;
    doc().edit(std::move(picture));
}

// --- The mouse on the picture ---

bool EditorController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != control() || !editing())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        mouseDown(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseMove:
        mouseMove(static_cast<QMouseEvent *>(event));
        return true;
    case QEvent::MouseButtonRelease:
        mouseUp(static_cast<QMouseEvent *>(event));
        return true;
    default:
        return false;
    }
}

QPoint EditorController::toPicture(QPoint pointer) const
{
    return imaging::pointerToPicture(pointer, doc().picture().size(), control()->size());
}

QPoint EditorController::trackPointer(QPoint pointer, bool scroll)
{
    QRect ctl = control()->geometry();
    if (scroll) {
        const QPoint topLeft = imaging::autoScroll(pointer, ctl, view().size());
        if (topLeft != ctl.topLeft()) {
            // The pointer stays where it is on the panel; the picture moved under it.
            pointer += ctl.topLeft() - topLeft;
            control()->move(topLeft);
            ctl.moveTopLeft(topLeft);
        }
    }
    releaseClamped_ = imaging::clampToVisible(pointer, ctl, view().size());
    return toPicture(releaseClamped_);
}

void EditorController::setupPainter(QPainter &p) const
{
    QPen pen(drawColour_, penWidth_, penStyle_);
    p.setPen(pen);
    p.setBrush(QBrush(drawColour_, brushStyle_));
}

void EditorController::drawShape(QPainter &p, QPoint from, QPoint to, bool shift) const
{
    switch (tool_) {
    case EditTool::Line:
        p.drawLine(from, shift ? imaging::shiftConstrain(from, to) : to);
        break;
    case EditTool::Rectangle:
        p.drawRect(outlineBox(from, to));
        break;
    case EditTool::Ellipse:
        p.drawEllipse(outlineBox(from, to));
        break;
    case EditTool::Square:
        p.drawRect(outlineBox(from, imaging::squareCorner(from, to)));
        break;
    case EditTool::Circle: {
        const auto box = imaging::circleBox(from, to);
        p.drawEllipse(outlineBox(box[0], box[1]));
        break;
    }
    default:
        break;
    }
}

void EditorController::mouseDown(QMouseEvent *e)
{
    const QPoint pointer = e->position().toPoint();
    const QRect ctl = control()->geometry();
    pressClamped_ = imaging::clampToVisible(pointer, ctl, view().size());
    p1_ = toPicture(pressClamped_);
    if (e->button() == Qt::RightButton) {
        if (!textBox_->isShown() && drag_ == DragState::Idle)
            shell_.controls().menu(ControlId::TntPM_ViewerImage)->popup(e->globalPosition().toPoint());
        if (!polygonInProgress_)
            return;
    }
    switch (tool_) {
    case EditTool::SelectRange:
        eraseMarquee();
        selectionValid_ = false;
        drag_ = DragState::Selecting;
        break;
    case EditTool::Sketch:
        lastPen_ = p1_;
        sketchDrew_ = false;
        drag_ = DragState::Drawing;
        break;
    case EditTool::Line:
    case EditTool::Square:
    case EditTool::Rectangle:
    case EditTool::Circle:
    case EditTool::Ellipse:
        drag_ = DragState::Drawing;
        break;
    case EditTool::PastePlacing:
        drag_ = DragState::PasteDragging;
        break;
    case EditTool::Polygon:
        if (polygonInProgress_) {
            p1_ = p2_;
        } else {
            anchor_ = p1_;
            drag_ = DragState::Drawing;
            polygonInProgress_ = true;
        }
        break;
    case EditTool::Text:
        selectionValid_ = false;
        commitText();
        textBox_->setTextColor(textColour_);
        textBox_->clearAndHide();
        eraseMarquee();
        drag_ = DragState::TextBox;
        break;
    case EditTool::Move:
        panBounds_ = imaging::panBounds(ctl.size(), view().size());
        panPressPanel_ = ctl.topLeft() + pointer;
        panPressControl_ = ctl.topLeft();
        drag_ = DragState::Panning;
        break;
    default:
        break;
    }
}

// Rubber bands, the marquee and the paste preview: drawn over a copy of the committed picture,
// which erases the previous one.
void EditorController::showOverCommitted(const std::function<void(QPainter &)> &draw)
{
    platform::Bitmap live = doc().committedPicture();
    {
        QPainter p(&live.image());
        draw(p);
    }
    doc().preview(std::move(live));
}

void EditorController::showPastePreview(QPoint at)
{
    showOverCommitted([&](QPainter &p) {
        p.drawImage(at, pasteBuffer_.image());
        drawDottedBox(p, QRect(at, pasteBuffer_.size()).adjusted(0, 0, -1, -1));
    });
}

void EditorController::mouseMove(QMouseEvent *e)
{
    const QPoint pointer = e->position().toPoint();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    switch (drag_) {
    case DragState::Selecting: {
        current_ = trackPointer(pointer, true);
        showOverCommitted([this](QPainter &p) { drawDottedBox(p, outlineBox(p1_, current_)); });
        selectionValid_ = current_.x() != p1_.x() && current_.y() != p1_.y();
        break;
    }
    case DragState::PasteDragging: {
        const QRect ctl = control()->geometry();
        const QPoint at = imaging::pasteDropPosition(p1_, toPicture(imaging::clampToVisible(pointer, ctl, view().size())),
                                                     pasteBuffer_.size(), ctl, doc().picture().size(), view().size());
        showPastePreview(at);
        break;
    }
    case DragState::Drawing: {
        current_ = trackPointer(pointer, true);
        if (tool_ == EditTool::Sketch) {
            // A freehand stroke goes straight into the live picture and accumulates.
            platform::Bitmap live = doc().picture();
            {
                QPainter p(&live.image());
                setupPainter(p);
                p.drawLine(lastPen_, current_);
            }
            lastPen_ = current_;
            sketchDrew_ = true;
            doc().preview(std::move(live));
            break;
        }
        showOverCommitted([&](QPainter &p) {
            setupPainter(p);
            if (tool_ == EditTool::Polygon) {
                p.drawLine(p1_, current_);
                p.setPen(QPen(drawColour_, 1, Qt::DotLine));
                p.drawLine(anchor_, current_);
            } else {
                drawShape(p, p1_, current_, shift);
            }
        });
        break;
    }
    case DragState::Panning: {
        if (!(e->buttons() & Qt::LeftButton))
            break;
        const QRect ctl = control()->geometry();
        const QPoint panel = ctl.topLeft() + pointer;
        QPoint topLeft = ctl.topLeft();
        if (view().width() < ctl.width())
            topLeft.setX(panPressControl_.x() + panel.x() - panPressPanel_.x());
        if (view().height() < ctl.height())
            topLeft.setY(panPressControl_.y() + panel.y() - panPressPanel_.y());
        control()->move(panBounds_.clamp(topLeft));
        break;
    }
    case DragState::TextBox: {
        current_ = trackPointer(pointer, true);
        showOverCommitted([this](QPainter &p) { drawDottedBox(p, outlineBox(p1_, current_)); });
        break;
    }
    default:
        break;
    }
}

void EditorController::mouseUp(QMouseEvent *e)
{
    const QPoint pointer = e->position().toPoint();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    p2_ = trackPointer(pointer, false);
    const QRect ctl = control()->geometry();
    switch (drag_) {
    case DragState::PasteDragging: {
        const QPoint at = imaging::pasteDropPosition(p1_, p2_, pasteBuffer_.size(), ctl, doc().picture().size(),
                                                     view().size());
        platform::Bitmap live = doc().committedPicture();
        {
            QPainter p(&live.image());
            p.drawImage(at, pasteBuffer_.image());
        }
        doc().edit(std::move(live));
        setCursorShape(Qt::CrossCursor);
        tool_ = EditTool::SelectRange;
        break;
    }
    case DragState::Drawing: {
        // A drag that moved in either direction drew something: a horizontal or vertical line is
        // an edit as much as a slanted one. A click that closes a polygon or ends a freehand
        // stroke that moved is one too.
        bool counts = p2_ != p1_ || sketchDrew_;
        platform::Bitmap live = doc().picture();
        if (tool_ != EditTool::Sketch) {
            live = doc().committedPicture();
            QPainter p(&live.image());
            setupPainter(p);
            if (tool_ == EditTool::Polygon) {
                p.drawLine(p1_, p2_);
                if (e->button() == Qt::RightButton) {
                    p.drawLine(anchor_, p2_);
                    polygonInProgress_ = false;
                    counts = true;
                }
            } else {
                drawShape(p, p1_, p2_, shift);
            }
        }
        sketchDrew_ = false;
        doc().setSavedViewOffset(ctl.topLeft());
        if (counts)
            doc().edit(std::move(live));
        else
            doc().commit(std::move(live));
        break;
    }
    case DragState::TextBox: {
        const imaging::PlacedBox box = imaging::placeTextBox(pressClamped_, releaseClamped_, ctl);
        eraseMarquee();
        if (box.shown)
            textBox_->showAt(box.rect);
        doc().setSavedViewOffset(ctl.topLeft());
        break;
    }
    case DragState::Selecting:
        selectionValid_ = p2_.x() != p1_.x() && p2_.y() != p1_.y();
        doc().setSavedViewOffset(ctl.topLeft());
        break;
    case DragState::Panning:
        doc().setSavedViewOffset(ctl.topLeft());
        break;
    default:
        break;
    }
    drag_ = tool_ == EditTool::Polygon && polygonInProgress_ ? DragState::Drawing : DragState::Idle;
}

// --- Idle-time rules ---

void EditorController::readInputs(ActionInputs &in) const
{
    if (!editing() || doc().isEmpty())
        return;
    EditorFacts &e = in.editor;
    const Controls &c = shell_.controls();
    e.selectDown = c.isDown(ControlId::ImgBar_SelectRang);
    e.textDown = c.isDown(ControlId::ImgBar_Text);
    e.selection = selectionValid_;
    const QRect ctl = control()->geometry();
    const QSize panel = view().size();
    const QSize picture = doc().picture().size();
    e.controlLargerThanPanel = ctl.width() > panel.width() || ctl.height() > panel.height();
    e.originalSize = ctl.size() == picture;
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    e.clipboardBitmap = mime && mime->hasImage();
    e.canUndo = doc().canUndo();
    e.canRedo = doc().canRedo();
    e.zoomInChanges = imaging::zoomIn(zoom_, ctl, picture, panel, false).control.size() != ctl.size();
    e.zoomOutChanges = imaging::zoomOut(zoom_, ctl, picture, panel, false).control.size() != ctl.size();
    e.fitChanges = library::fitViewImage(picture, panel) != ctl;
    e.originalChanges = imaging::originalSizeRect(picture, panel) != ctl;
}

void EditorController::applyRules(const ActionInputs &in, ActionState &s) const
{
    editorRules(in, s);
    // The text box lives only while the text tool is down.
    if (editing() && !in.editor.textDown && textBox_->isShown())
        textBox_->hideBox();
}

} // namespace app::ui
