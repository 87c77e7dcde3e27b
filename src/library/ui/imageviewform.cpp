#include "imageviewform.h"

#include "library/imageviewlayout.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

namespace library::ui {

namespace {

constexpr std::array<const char *, 6> kItemNames = {"Open_Image",    "Save_Image",  "Delete_Image",
                                                    "Image_Process", "Print_Image", "Exit_Image"};
// The main window's texts the items take their captions from.
constexpr std::array<const char *, 6> kItemTextKeys = {"OpenFile->Caption",        "SaveFile->Caption",
                                                       "DelViewVideo_Btn",         "ImageProcess_Btn",
                                                       "PrintImage->Caption",      "Exit->Caption"};

} // namespace

TImageViewForm::TImageViewForm(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("ImageViewForm"));
    setAttribute(Qt::WA_QuitOnClose, false);   // the main window alone decides when the program ends
    QMenuBar *menu = menuBar();
    menu->setObjectName(QStringLiteral("MainMenu1"));
    for (std::size_t i = 0; i < items_.size(); ++i) {
        items_[i] = menu->addAction(QString());
        items_[i]->setObjectName(QLatin1String(kItemNames[i]));
    }
    connect(item(Item::Exit_Image), &QAction::triggered, this, &QWidget::close);

    auto *client = new QWidget(this);
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    coolBar_ = new QWidget(client);
    coolBar_->setObjectName(QStringLiteral("CoolBar1"));
    coolBar_->setFixedHeight(28);
    scrollBox_ = new QScrollArea(client);
    scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
    scrollBox_->setAlignment(Qt::AlignCenter);
    scrollBox_->setWidgetResizable(false);
    // A sunken border two pixels wide on each side, the room the size rule leaves around the picture.
    scrollBox_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    scrollBox_->setLineWidth(2);
    map_ = new QLabel;
    map_->setObjectName(QStringLiteral("ImageViewMap"));
    scrollBox_->setWidget(map_);
    column->addWidget(coolBar_);
    column->addWidget(scrollBox_, 1);
    setCentralWidget(client);
}

TImageViewForm::~TImageViewForm() = default;

QAction *TImageViewForm::item(Item which) const { return items_[std::size_t(which)]; }

void TImageViewForm::setPicture(const platform::Bitmap &picture)
{
    if (picture.isNull()) {
        map_->clear();
        map_->resize(0, 0);
        pictureSize_ = QSize();
        return;
    }
    map_->setPixmap(QPixmap::fromImage(picture.image()));
    map_->resize(picture.image().size());
    pictureSize_ = picture.image().size();
}

void TImageViewForm::applyTexts(const std::function<QString(const QString &)> &text)
{
    setWindowTitle(text(QStringLiteral("ImageViewer_Tool->Caption")));
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i]->setText(text(QLatin1String(kItemTextKeys[i])));
}

void TImageViewForm::setCoolBarHeight(int height) { coolBar_->setFixedHeight(qMax(height, 1)); }

std::optional<QMargins> TImageViewForm::knownFrame() const
{
    if (!windowHandle() || !isVisible())
        return std::nullopt;
    return windowHandle()->frameMargins();
}

void TImageViewForm::sizeToPicture(QMargins frame, bool atCorner)
{
    QScreen *screen = windowHandle() && windowHandle()->screen() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int menuHeight = menuBar()->sizeHint().height();
    ImageViewGeometry g;
    g.picture = pictureSize_.isEmpty() ? QSize(0, 0) : pictureSize_;
    g.workArea = area.size();
    g.frameWidth = frame.left() + frame.right();
    g.frameHeight = frame.top() + frame.bottom() + menuHeight;
    g.toolBarHeight = coolBar_->minimumHeight();
    g.scrollBarExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scrollBox_);
    const ImageViewSize s = imageViewSize(g);
    scrollBox_->setHorizontalScrollBarPolicy(s.horizontalScroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    scrollBox_->setVerticalScrollBarPolicy(s.verticalScroll ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    // The window follows its contents: the menu, the cool bar and the scroll box, one above the other.
    resize(s.boxWidth, menuHeight + coolBar_->minimumHeight() + s.boxHeight);
    if (atCorner)
        move(area.topLeft());
}

void TImageViewForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Q_EMIT activated();
}

void TImageViewForm::closeEvent(QCloseEvent *event)
{
    Q_EMIT closing();
    event->accept();
}

} // namespace library::ui
