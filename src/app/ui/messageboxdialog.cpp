#include "messageboxdialog.h"

#include "app/messageboxlayout.h"
#include "widgets/dialogframe.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace app::ui {
namespace {

constexpr int kIconLeft = 16;
constexpr int kIconTop = 16;
constexpr int kTextLeft = 64;
constexpr int kTextTop = 20;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

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

int MessageBoxDialog::show(const QString &text, const QString &caption, bool withCancel, int icon)
{
    prepare(text, caption, withCancel, icon);
    const int result = exec();
    return result == kResultOk ? kResultOk : kResultCancel;
}

} // namespace app::ui
