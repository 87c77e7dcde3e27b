#pragma once

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace scales::ui {

// The name of a new or renamed scale (`TNewScaleNameDlg`): one edit box, OK and Cancel. The
// caller checks the name; an empty one is asked again.
class TNewScaleNameDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TNewScaleNameDlg(QWidget *parent = nullptr);
    // Title, group caption, OK and Cancel.
    void setTexts(const QString &title, const QString &prompt, const QString &ok, const QString &cancel);
    void setName(const QString &name);
    QString name() const;
    QLineEdit *InputNameEdit() const { return edit_; }
    QPushButton *okButton() const { return ok_; }

private:
    QGroupBox *group_;
    QLineEdit *edit_;
    QPushButton *ok_;
    QPushButton *cancel_;
};

} // namespace scales::ui
