#pragma once

#include "platform/bitmap.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace stack::ui {

// The "Focus Stack" tool window: where the frames come from (the live picture, a frame on each
// Space press or every N ms until Stop; or the pictures of a folder in name order), whether to
// show the depth map, the progress of a run with its Cancel, and the result beside the sharpest
// single frame. It only shows and asks; FocusStackController runs everything. Modeless, so the
// focus can be turned on the camera's controls while frames are taken. UI thread.
class FocusStackDialog final : public QDialog
{
    Q_OBJECT
public:
    enum class Phase { Idle, Collecting, Stacking };

    explicit FocusStackDialog(std::function<QString(const QString &key)> text, QWidget *parent = nullptr);
    ~FocusStackDialog() override;

    void applyTexts();
    bool fromLive() const;
    void setFromLive(bool live);
    bool onSpacePress() const;
    void setOnSpacePress(bool onSpace);
    int intervalMs() const;
    void setIntervalMs(int ms);
    bool depthMap() const;
    void setDepthMap(bool on);
    QString folder() const;
    void setFolder(const QString &folder, int pictures);

    void setPhase(Phase phase);
    Phase phase() const { return phase_; }
    void setFrameCount(int frames);
    void setProgress(int done, int total);
    // A status line: the text of `key`, with `detail` after it.
    void setStatus(const QString &key, const QString &detail = {});
    QString statusText() const;
    // The fused picture beside the sharpest single frame, and the depth map when there is one.
    void showResults(const platform::Bitmap &fused, const platform::Bitmap &sharpest, const platform::Bitmap &depth,
                     int frames);
    void clearResults();

    QPushButton *startButton() const { return start_; }
    QPushButton *stopButton() const { return stop_; }
    QPushButton *stackButton() const { return stack_; }
    QPushButton *cancelButton() const { return cancel_; }
    QPushButton *folderButton() const { return chooseFolder_; }
    QProgressBar *progressBar() const { return progress_; }
    QLabel *depthLegend() const { return depthLegend_; }

Q_SIGNALS:
    void startLiveRequested();
    void stopLiveRequested();
    void frameKeyPressed();   // Space while taking frames on key presses
    void chooseFolderRequested();
    void stackFolderRequested();
    void cancelRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    void updateEnabled();
    static QPixmap preview(const platform::Bitmap &picture);

    std::function<QString(const QString &)> text_;
    Phase phase_ = Phase::Idle;
    QString statusKey_, statusDetail_;
    QGroupBox *sourceBox_ = nullptr;
    QRadioButton *fromLive_ = nullptr, *fromFolder_ = nullptr, *onSpace_ = nullptr, *every_ = nullptr;
    QSpinBox *interval_ = nullptr;
    QLabel *msLabel_ = nullptr, *framesLabel_ = nullptr, *picturesLabel_ = nullptr, *status_ = nullptr;
    QLineEdit *folder_ = nullptr;
    int folderPictures_ = 0;
    int frames_ = 0;
    QCheckBox *depth_ = nullptr;
    QPushButton *start_ = nullptr, *stop_ = nullptr, *chooseFolder_ = nullptr, *stack_ = nullptr, *cancel_ = nullptr,
                *close_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QLabel *resultTitle_ = nullptr, *sharpestTitle_ = nullptr, *depthTitle_ = nullptr;
    QLabel *result_ = nullptr, *sharpest_ = nullptr, *depthView_ = nullptr, *depthLegend_ = nullptr;
    int depthFrames_ = 0;
};

} // namespace stack::ui
