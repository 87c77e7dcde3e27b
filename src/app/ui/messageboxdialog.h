#pragma once

#include "messagepresenter.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace app::ui {

// TMessageBoxDlg: icon, text, OK and an optional Cancel, laid out by app::layoutMessageBox. Shown
// centred on its parent (the main window), or on the screen without one.
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

private:
    QLabel *icons_[4] = {};
    QLabel *text_ = nullptr;
    QPushButton *ok_ = nullptr;
    QPushButton *cancel_ = nullptr;
    int windowWidth_ = 0;
    int laidOutFor_ = -1;   // the window width the label was last sized for
};

} // namespace app::ui
