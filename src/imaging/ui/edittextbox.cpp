#include "edittextbox.h"

#include "imaging/editgeometry.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <algorithm>

namespace imaging::ui {

namespace {

Qt::CursorShape cursorOf(BoxZone zone)
{
    switch (zone) {
    case BoxZone::SizeNwSe:
        return Qt::SizeFDiagCursor;
    case BoxZone::SizeNeSw:
        return Qt::SizeBDiagCursor;
    case BoxZone::SizeWe:
        return Qt::SizeHorCursor;
    case BoxZone::SizeNs:
        return Qt::SizeVerCursor;
    case BoxZone::Move:
        return Qt::SizeAllCursor;
    default:
        return Qt::IBeamCursor;
    }
}

} // namespace

EditTextBox::EditTextBox(QWidget *panel, QWidget *pictureControl, QObject *parent)
    : QObject(parent), panel_(panel), control_(pictureControl), edit_(new QPlainTextEdit(panel))
{
    edit_->setObjectName(QStringLiteral("RichEdit_TextOut"));
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit_->setFrameShape(QFrame::NoFrame);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit_->setContextMenuPolicy(Qt::NoContextMenu);
    edit_->setTabChangesFocus(false);
    edit_->document()->setDocumentMargin(0);
    edit_->viewport()->setMouseTracking(true);
    edit_->viewport()->installEventFilter(this);
    edit_->hide();
    for (QWidget *&h : handles_) {
        h = new QWidget(panel);
        h->setAutoFillBackground(true);
        QPalette pal = h->palette();
        pal.setColor(QPalette::Window, Qt::black);
        h->setPalette(pal);
        h->resize(4, 4);
        h->setAttribute(Qt::WA_TransparentForMouseEvents);
        h->hide();
    }
    setPointSize(8);
    applyPalette();
    connect(edit_, &QPlainTextEdit::textChanged, this, &EditTextBox::grow);
}

EditTextBox::~EditTextBox() = default;

bool EditTextBox::isShown() const { return !edit_->isHidden(); }

QRect EditTextBox::geometry() const { return edit_->geometry(); }

void EditTextBox::showAt(const QRect &rect)
{
    edit_->setGeometry(rect);
    edit_->show();
    edit_->raise();
    edit_->setFocus();
    placeHandles();
    for (QWidget *h : handles_) {
        h->show();
        h->raise();
    }
}

void EditTextBox::clearAndHide()
{
    edit_->clear();
    applyPalette();
    hideBox();
    placeHandles();
}

void EditTextBox::hideBox()
{
    // Hiding the focused box would hand the keyboard to the next control in the focus chain,
    // where Space and Enter would press it: the window takes it back first.
    if (edit_->hasFocus())
        panel_->window()->setFocus(Qt::OtherFocusReason);
    edit_->hide();
    for (QWidget *h : handles_)
        h->hide();
}

void EditTextBox::setPointSize(int points)
{
    fontHeight_ = fontHeightForPointSize(points);
    applyFont();
}

void EditTextBox::setDisplayScale(double controlPerPicture)
{
    if (controlPerPicture <= 0 || controlPerPicture == displayScale_)
        return;
    displayScale_ = controlPerPicture;
    applyFont();
}

int EditTextBox::shownFontHeight() const { return -std::max(1, int(-fontHeight_ * displayScale_ + 0.5)); }

void EditTextBox::applyFont()
{
    QFont f = edit_->font();
    f.setPixelSize(-shownFontHeight());
    edit_->setFont(f);
    grow();
}

std::vector<int> EditTextBox::lineLengths() const
{
    std::vector<int> lengths;
    for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next())
        lengths.push_back(int(b.text().size()));
    return lengths;
}

QSize EditTextBox::minimumBox() const
{
    return grownTextBox(QRect(QPoint(), kMinTextBox), lineLengths(), shownFontHeight()).size();
}

void EditTextBox::setTextColor(const QColor &c)
{
    textColor_ = c;
    applyPalette();
}

void EditTextBox::setBackgroundColor(const QColor &c)
{
    backgroundColor_ = c;
    applyPalette();
}

void EditTextBox::applyPalette()
{
    QPalette pal = edit_->palette();
    pal.setColor(QPalette::Text, textColor_);
    pal.setColor(QPalette::Base, backgroundColor_);
    edit_->setPalette(pal);
}

void EditTextBox::placeHandles()
{
    const std::array<QPoint, 8> at = handlePositions(edit_->geometry());
    for (std::size_t i = 0; i < handles_.size(); ++i)
        handles_[i]->move(at[i]);
}

void EditTextBox::grow()
{
    const QRect grown = grownTextBox(edit_->geometry(), lineLengths(), shownFontHeight());
    if (grown != edit_->geometry()) {
        edit_->setGeometry(grown);
        placeHandles();
    }
}

bool EditTextBox::commitInto(platform::Bitmap &picture, const QRect &control) const
{
    const QString text = edit_->toPlainText();
    if (text.isEmpty() || picture.isNull() || control.isEmpty())
        return false;
    // The box's place goes through the picture's stretch; the font and the line spacing are
    // picture pixels already.
    const double sx = double(picture.width()) / control.width();
    const double sy = double(picture.height()) / control.height();
    const QRect box = edit_->geometry().translated(-control.topLeft());
    const QRect target(int(box.left() * sx), int(box.top() * sy), int(box.width() * sx), int(box.height() * sy));
    QPainter p(&picture.image());
    if (!transparent_)
        p.fillRect(target, backgroundColor_);
    QFont f = edit_->font();
    f.setPixelSize(-fontHeight_);
    p.setFont(f);
    p.setPen(textColor_);
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i)
        p.drawText(QRect(target.left(), target.top() + textLineTop(i, fontHeight_), picture.width(), 4 - fontHeight_),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs, lines[i]);
    return true;
}

bool EditTextBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != edit_->viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        const bool right = e->button() == Qt::RightButton;
        const QPoint inBox = e->position().toPoint();
        const BoxZone zone = boxZone(inBox, edit_->size(), right);
        edges_ = edgesForPress(inBox, zone, right);
        pressPos_ = edit_->mapTo(panel_, inBox);
        pressBox_ = edit_->geometry();
        if (right)
            edit_->viewport()->setCursor(Qt::SizeAllCursor);
        return edges_ != EdgeNone;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        const QPoint inBox = e->position().toPoint();
        if (edges_ == EdgeNone) {
            edit_->viewport()->setCursor(cursorOf(boxZone(inBox, edit_->size(), e->buttons() & Qt::RightButton)));
            return false;
        }
        const QPoint delta = edit_->mapTo(panel_, inBox) - pressPos_;
        edit_->setGeometry(dragTextBox(pressBox_, edges_, delta, control_->geometry(), panel_->size(), minimumBox()));
        placeHandles();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const bool wasDragging = edges_ != EdgeNone;
        edges_ = EdgeNone;
        edit_->viewport()->setCursor(Qt::IBeamCursor);
        return wasDragging;
    }
    default:
        return false;
    }
}

} // namespace imaging::ui
