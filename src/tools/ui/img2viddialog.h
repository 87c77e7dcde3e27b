#pragma once

#include "tools/imagestovideoconverter.h"
#include "tools/ui/tooldialogdeps.h"
#include "platform/mediapipeline.h"

#include <QDialog>

#include <functional>
#include <vector>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;

namespace tools::ui {

// TImg2VidDlg: lists the pictures of a folder, lets the user choose and order them, previews
// them at the frame rate, and prepares the AVI. Execute accepts with the run described by job();
// the window starts it. Created once at start and shown modally. UI thread.
class TImg2VidDlg final : public QDialog
{
    Q_OBJECT
public:
    enum PlayerState { kPlaying = 0, kPaused = 1, kStopped = 2 };

    explicit TImg2VidDlg(ToolDialogDeps deps, QWidget *parent = nullptr);

    // Image2VideoDlg_InfoSet.
    void InfoSet();
    void setOpenFolder(const QString &folder);
    void setSaveFolder(const QString &folder);
    void setInputType(bool jpg);
    void setFrameRate(int framesPerSecond);
    void setReverse(bool reverse);
    void setRepeat(bool repeat);
    void setCompression(bool on);
    void setFileNameMode(int mode);

    // I2V_Reflash_BitBtnClick: lists the folder again.
    void reloadLists();
    // Moves rows between the lists as Select/Unselect do (all selected rows, or the current one).
    void selectItems();
    void selectAll();
    void unselectItems();
    void unselectAll();
    void I2V_Preview_BtnClick();
    void I2V_Pause_BtnClick();
    void I2V_Stop_BtnClick();
    void I2V_Execute_BtnClick();

    int playerState() const { return state_; }
    int previewIndex() const { return previewIndex_; }
    int framePeriod() const { return periodMs_; }
    const ImagesToVideoJob &job() const { return job_; }

    // The encoders avimux takes, best first; the dialog offers them when compression is on.
    std::function<std::vector<platform::CompressorInfo>()> listCompressors = [] {
        return std::vector<platform::CompressorInfo>();
    };

    QListWidget *sourceList() const { return source_; }
    QListWidget *chosenList() const { return chosen_; }
    QLineEdit *fileNameEdit() const { return fileName_; }
    QLineEdit *frameRateEdit() const { return rateEdit_; }
    QComboBox *compressorBox() const { return compressorBox_; }
    QPushButton *button(const char *name) const;
    QLabel *previewLabel() const { return preview_; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void previewStep();
    void showItem(int index);
    void showPicture(const QString &name);
    void stopPlayer();
    void updateCounters();
    void updateButtons();
    void regenerateFileName();
    void fillCompressors();
    void moveRows(QListWidget *from, QListWidget *to, bool all);
    QString defaultSaveFolder() const;
    bool jpg() const;
    bool reverse() const;

    ToolDialogDeps deps_;
    ImagesToVideoJob job_;
    int state_ = kStopped;
    int previewIndex_ = 0;
    int periodMs_ = 200;
    QTimer *player_ = nullptr;
    QLineEdit *openPath_ = nullptr, *savePath_ = nullptr, *rateEdit_ = nullptr, *fileName_ = nullptr;
    QLineEdit *totalFiles_ = nullptr, *selectNum_ = nullptr, *unselectNum_ = nullptr;
    QListWidget *source_ = nullptr, *chosen_ = nullptr;
    QLabel *preview_ = nullptr;
    QSlider *rate_ = nullptr;
    QComboBox *compressorBox_ = nullptr;
    QGroupBox *typeBox_ = nullptr, *directionBox_ = nullptr, *compressionBox_ = nullptr, *nameModeBox_ = nullptr;
    QButtonGroup *type_ = nullptr, *direction_ = nullptr, *compression_ = nullptr, *nameMode_ = nullptr;
    std::vector<std::pair<QLabel *, const char *>> labels_;
    std::vector<std::pair<QPushButton *, const char *>> buttons_;
    std::vector<std::pair<QRadioButton *, const char *>> keyedRadios_;
};

} // namespace tools::ui
