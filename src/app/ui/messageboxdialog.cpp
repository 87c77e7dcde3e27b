#include "messageboxdialog.h"

#include "app/messageboxlayout.h"
#include "widgets/dialogframe.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QWindow>

namespace app::ui {
namespace {

constexpr int kIconLeft = 16;
constexpr int kIconTop = 16;
constexpr int kTextLeft = 64;
constexpr int kTextTop = 20;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
// How long a box waits for the window it speaks for to come on the screen. A window manager maps
// a window within a few event-loop turns; the bound only keeps a window that never comes (a
// window manager that died) from holding the question back for good.
constexpr int kExposeWaitMs = 3000;

// Runs the event loop, without user input, until `window` is exposed or the bound has passed.
// UI thread. True when the window is exposed.
bool waitUntilExposed(QWindow *window)
{
    if (window->isExposed())
        return true;
    struct ExposeWatch final : QObject {
        QEventLoop loop;
        QWindow *watched = nullptr;
        bool eventFilter(QObject *object, QEvent *event) override
        {
            if (object == watched && (event->type() == QEvent::Expose || event->type() == QEvent::Hide))
                QTimer::singleShot(0, &loop, [this] {
                    if (watched->isExposed() || !watched->isVisible())
                        loop.quit();
                });
            return false;
        }
    } watch;
    watch.watched = window;
    window->installEventFilter(&watch);
    QTimer::singleShot(kExposeWaitMs, &watch.loop, &QEventLoop::quit);
    watch.loop.exec(QEventLoop::ExcludeUserInputEvents);
    window->removeEventFilter(&watch);
    return window->isExposed();
}

} // namespace

MessageBoxDialog::MessageBoxDialog(const QString &pictureDir, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TMessageBoxDlg"));
    setModal(true);
    widgets::frameDialog(*this);
    const char *names[] = {"TntImage_Question", "TntImage_Attention", "TntImage_Error", "TntImage_Info"};
    const char *files[] = {"Question.bmp", "Attention.bmp", "Error.bmp", "Info.bmp"};
    const QStyle::StandardPixmap fallback[] = {QStyle::SP_MessageBoxQuestion, QStyle::SP_MessageBoxWarning,
                                               QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxInformation};
    for (int i = 0; i < 4; ++i) {
        icons_[i] = new QLabel(this);
        icons_[i]->setObjectName(QLatin1String(names[i]));
        QPixmap pm(pictureDir + QStringLiteral("/Bitmap/MessageBox/") + QLatin1String(files[i]));
        if (pm.isNull())
            pm = style()->standardIcon(fallback[i]).pixmap(32, 32);
        icons_[i]->setPixmap(pm);
        icons_[i]->setGeometry(kIconLeft, kIconTop, 32, 32);
        icons_[i]->hide();
    }
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("TntMessage_Text"));
    text_->move(kTextLeft, kTextTop);
    ok_ = new QPushButton(this);
    ok_->setObjectName(QStringLiteral("OKBtn"));
    ok_->setDefault(true);
    ok_->resize(kButtonWidth, kButtonHeight);
    cancel_ = new QPushButton(this);
    cancel_->setObjectName(QStringLiteral("CancelBtn"));
    cancel_->resize(kButtonWidth, kButtonHeight);
    connect(ok_, &QPushButton::clicked, this, [this] { done(kResultOk); });
    connect(cancel_, &QPushButton::clicked, this, [this] { done(kResultCancel); });
}

void MessageBoxDialog::setWindowWidth(int px) { windowWidth_ = px; }

void MessageBoxDialog::setButtonTexts(const QString &ok, const QString &cancel)
{
    ok_->setText(ok);
    cancel_->setText(cancel);
}

int MessageBoxDialog::visibleIcon() const
{
    for (int i = 0; i < 4; ++i)
        if (!icons_[i]->isHidden())
            return i;
    return -1;
}

void MessageBoxDialog::prepare(const QString &text, const QString &caption, bool withCancel, int icon)
{
    // A label sizes itself to its text; a new text gets 20 pixels of air. A text longer than a
    // comfortable line wraps, so the box never grows wider than the window it belongs to.
    if (text_->text() != text || laidOutFor_ != windowWidth_) {
        laidOutFor_ = windowWidth_;
        text_->setWordWrap(false);
        text_->setText(text);
        text_->adjustSize();
        const int natural = text_->width() + 20;
        const int width = messageTextWidth(natural, text_->x(), windowWidth_);
        if (width < natural) {
            text_->setWordWrap(true);
            text_->resize(width, text_->heightForWidth(width));
        } else {
            text_->resize(natural, text_->height());
        }
    }
    setWindowTitle(caption);
    cancel_->setVisible(withCancel);

    const MessageBoxGeometry g = layoutMessageBox(text_->x(), text_->width(), ok_->width(), cancel_->width(), withCancel);
    const int textBottom = std::max(text_->y() + text_->height(), kIconTop + 32);
    const int buttonTop = textBottom + 16;
    ok_->move(g.okCentre - ok_->width() / 2, buttonTop);
    cancel_->move(g.cancelCentre - cancel_->width() / 2, buttonTop);
    setFixedSize(g.dialogWidth, buttonTop + kButtonHeight + 14);

    for (int i = 0; i < 4; ++i)
        icons_[i]->setVisible(i == icon);
}

void MessageBoxDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // After the frame's own centring on the parent: the window that asks may be another one.
    if (asking_)
        widgets::centreOn(*this, asking_);
}

bool MessageBoxDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The window manager may still settle the window that asks just after mapping it (its frame
    // arrives): the box stays centred on it.
    if (watched == asking_ && event->type() == QEvent::Move && isVisible())
        widgets::centreOn(*this, asking_);
    return QDialog::eventFilter(watched, event);
}

QWidget *MessageBoxDialog::windowThatAsks() const
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != this && modal->isVisible())
        return modal;
    QWidget *parent = parentWidget() ? parentWidget()->window() : nullptr;
    return parent && parent->isVisible() ? parent : nullptr;
}

int MessageBoxDialog::show(const QString &text, const QString &caption, bool withCancel, int icon)
{
    prepare(text, caption, withCancel, icon);
    QWidget *owner = windowThatAsks();
    // Asked from a dialog's show (the ruler settings' monitor-width question): its window may not
    // be mapped yet. The box waits for it, so that it opens above a window that is there.
    if (owner && owner->windowHandle() && !waitUntilExposed(owner->windowHandle()))
        owner = owner->isVisible() ? owner : windowThatAsks();
    // Transient for the window that asks, so the window manager keeps it above that window, and
    // centred on it when shown (showEvent).
    QWidget *const home = parentWidget() ? parentWidget()->window() : nullptr;
    asking_ = owner ? owner : home;
    // A box shown before has a native window that the window manager maps again where it last
    // was (where the user may have dragged it) before our centring move reaches it: a fresh one
    // is made, and made where the box goes, so that a window manager that maps it before the
    // move reaches it still shows it centred.
    if (testAttribute(Qt::WA_WState_Created) && !isVisible())
        destroy();
    if (asking_)
        widgets::centreOn(*this, asking_);
    winId();
    if (asking_ && asking_->windowHandle())
        windowHandle()->setTransientParent(asking_->windowHandle());
    if (asking_)
        asking_->installEventFilter(this);
    const int result = exec();
    if (asking_) {
        asking_->removeEventFilter(this);
        // The keyboard goes back to the window that asked, whatever the window manager's own
        // choice of the next window is: a loaded window manager may leave the focus nowhere, and
        // the user's next key (Escape on the ruler settings) would be lost.
        if (asking_->isVisible())
            asking_->activateWindow();
    }
    if (home && home->windowHandle())
        windowHandle()->setTransientParent(home->windowHandle());
    asking_ = nullptr;
    return result == kResultOk ? kResultOk : kResultCancel;
}

} // namespace app::ui
