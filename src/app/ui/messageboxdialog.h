#pragma once

#include "messagepresenter.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace app::ui {

// TMessageBoxDlg: icon, text, OK and an optional Cancel, laid out by app::layoutMessageBox.
// A box speaks for the window that asks: the open modal dialog (the ruler settings asking for the
// monitor width), else the main window it was made for. It is shown only once that window is on
// the screen (mapped and exposed), as a transient of it for the time it is open (so the window
// manager keeps it above that window), and centred on it at every showing. A box shown for a
// window that is still being mapped could stay unmapped: invisible, yet modal.
class MessageBoxDialog final : public QDialog, public MessagePresenter
{
    Q_OBJECT
public:
    MessageBoxDialog(const QString &pictureDir, QWidget *parent = nullptr);

    // OK and Cancel captions from the current language.
    void setButtonTexts(const QString &ok, const QString &cancel);
    // The width of the window the box speaks for: no box is wider (0: only the wrap width).
    void setWindowWidth(int px);
    int show(const QString &text, const QString &caption, bool withCancel, int icon) override;

    // Lays the dialog out without showing it (the part of show() that tests look at).
    void prepare(const QString &text, const QString &caption, bool withCancel, int icon);
    QLabel *textLabel() const { return text_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }
    int visibleIcon() const;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The modal dialog on top, else the parent; null when neither is shown.
    QWidget *windowThatAsks() const;
    QWidget *asking_ = nullptr;   // the window the open box speaks for
    QLabel *icons_[4] = {};
    QLabel *text_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
    int windowWidth_ = 0;
    int laidOutFor_ = -1;   // the window width the label was last sized for
};

} // namespace app::ui
