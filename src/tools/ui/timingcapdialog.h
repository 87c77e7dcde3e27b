#pragma once

#include "tools/timedschedule.h"
#include "tools/ui/tooldialogdeps.h"

#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tools::ui {

// TTimingCapDlg: sets up a timed capture of stills or clips. Accepting (Execute) arms the
// schedule's settings copy; the window runs it. Created once at start and shown modally; the
// settings live for the program run. UI thread.
class TTimingCapDlg final : public QDialog
{
    Q_OBJECT
public:
    explicit TTimingCapDlg(ToolDialogDeps deps, QWidget *parent = nullptr);

    TimedSchedule &schedule() { return schedule_; }
    const TimedSchedule &schedule() const { return schedule_; }

    // TimingCapture_InfoSet: captions and lists from the language texts.
    void InfoSet();

    // Hooks of the main window; each does nothing until set.
    std::function<void()> chooseCompressor = [] {};
    std::function<void(int quality)> chooseJpegQuality = [](int) {};
    std::function<int()> currentJpegQuality = [] { return 90; };
    // Stills can be saved with the scale burnt in only when the scale bar exists.
    std::function<bool()> scaleBurnInAvailable = [] { return false; };

    // Named controls for tests and screenshots.
    QLineEdit *field(ScheduleField f) const;
    QLineEdit *totalEdit() const { return total_; }
    QLineEdit *folderNameEdit() const { return folderName_; }
    QLineEdit *savePathEdit() const { return savePath_; }
    QComboBox *unitBox(ScheduleField f) const;
    QPushButton *executeButton() const { return execute_; }
    QPushButton *compressorButton() const { return compressor_; }
    QGroupBox *qualityGroup() const { return qualityBox_; }
    QCheckBox *saveScaleBox() const { return saveScale_; }
    void setFileType(int type);
    void setFolderMode(int mode);

    void TC_Execute_BtnClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onFieldEdited(ScheduleField f);
    void onFieldFinished(ScheduleField f);
    void recomputeTotal();
    void regenerateFolder();
    void onFolderNameEdited();
    void pickFolder();
    QString toolFolderName() const;
    QString defaultFolder() const;
    QString unitText(int unit) const;

    ToolDialogDeps deps_;
    TimedSchedule schedule_;
    QString assignedFolder_;
    std::array<QLineEdit *, 4> fields_{};
    std::array<QComboBox *, 3> units_{};
    std::array<QLabel *, 5> labels_{};
    QLineEdit *total_ = nullptr;
    QLabel *totalLabel_ = nullptr;
    QCheckBox *saveScale_ = nullptr;
    QGroupBox *qualityBox_ = nullptr;
    std::array<QRadioButton *, 3> quality_{};
    QPushButton *compressor_ = nullptr;
    QGroupBox *typeBox_ = nullptr;
    QButtonGroup *type_ = nullptr;
    QGroupBox *modeBox_ = nullptr;
    QButtonGroup *mode_ = nullptr;
    std::array<QRadioButton *, 3> modeButtons_{};
    QLineEdit *folderName_ = nullptr;
    QLabel *folderNameLabel_ = nullptr;
    QLineEdit *savePath_ = nullptr;
    QLabel *savePathLabel_ = nullptr;
    QPushButton *savePathButton_ = nullptr;
    QPushButton *execute_ = nullptr;
    QPushButton *cancel_ = nullptr;
    bool updating_ = false;
};

} // namespace tools::ui
