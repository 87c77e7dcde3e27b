#pragma once

#include "tools/videotoimages.h"
#include "tools/videotoimagesconverter.h"
#include "tools/ui/tooldialogdeps.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tools::ui {

// TVid2ImgDlg: picks a video, the interval between pictures, their type and folder. Execute
// accepts with the run described by job(); the window starts it. Created once at start and
// shown modally. UI thread.
class TVid2ImgDlg final : public QDialog
{
    Q_OBJECT
public:
    explicit TVid2ImgDlg(ToolDialogDeps deps, QWidget *parent = nullptr);

    // Video2ImageDlg_InfoSet.
    void InfoSet();
    // Loads a video as V2I_Open_BtnClick does after the file dialog.
    void openVideo(const QString &path);
    void setInterval(int value, int unit);
    void setOutputType(bool jpg);
    void setFolderMode(int mode);
    void V2I_Execute_BtnClick();

    // The run Execute prepared.
    const VideoToImagesJob &job() const { return job_; }
    const VideoInfo &videoInfo() const { return info_; }
    long long totalFilesCount() const { return totalFiles_; }

    // Hooks; tests replace them. `probe` reads a clip's size, rate and length (the program hands
    // in MediaFiles::probeVideo); without it no clip is taken.
    std::function<std::optional<platform::AviFrameData>(const QString &)> probe;
    std::function<std::optional<QString>(const QString &startFolder)> chooseVideo;
    std::function<void(int quality)> chooseJpegQuality = [](int) {};
    std::function<int()> currentJpegQuality = [] { return 90; };

    QLineEdit *intervalEdit() const { return interval_; }
    QComboBox *unitBox() const { return unit_; }
    QLineEdit *totalFilesEdit() const { return totalFilesEdit_; }
    QLineEdit *totalFrameEdit() const { return totalFrame_; }
    QLineEdit *totalTimeEdit() const { return totalTime_; }
    QLineEdit *folderNameEdit() const { return folderName_; }
    QLineEdit *savePathEdit() const { return savePath_; }
    QPushButton *executeButton() const { return execute_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void onIntervalEdited();
    void recomputeInterval();
    void clampToVideo();
    void regenerateFolder();
    void pickFolder();
    void setVideoPresent(bool present);
    QString toolFolderName() const;
    QString defaultFolder() const;
    bool jpg() const;

    ToolDialogDeps deps_;
    VideoToImagesJob job_;
    VideoInfo info_;
    QString videoPath_;
    QString assignedFolder_;
    double step_ = 0;
    long long totalFiles_ = 0;
    QLineEdit *openPath_ = nullptr, *fileName_ = nullptr, *totalFrame_ = nullptr, *totalTime_ = nullptr;
    QLineEdit *interval_ = nullptr, *totalFilesEdit_ = nullptr, *folderName_ = nullptr, *savePath_ = nullptr;
    QComboBox *unit_ = nullptr;
    std::array<QLabel *, 8> labels_{};
    QGroupBox *typeBox_ = nullptr, *qualityBox_ = nullptr, *modeBox_ = nullptr;
    QButtonGroup *type_ = nullptr, *mode_ = nullptr;
    std::array<QRadioButton *, 3> quality_{};
    std::array<QRadioButton *, 3> modeButtons_{};
    QPushButton *open_ = nullptr, *savePathButton_ = nullptr, *execute_ = nullptr, *cancel_ = nullptr;
};

} // namespace tools::ui
