#pragma once

#include "tools/conversionstatus.h"
#include "tools/timedschedule.h"

#include <QByteArray>
#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace tools::ui {

// TToolInfoDlg: the tool status window, one page per tool (TITC timed capture, TIVI video to
// images, TIIV images to video). Not modal; closing it only hides it. The buttons are signals
// the window answers. UI thread.
class TToolInfoDlg final : public QDialog
{
    Q_OBJECT
public:
    enum Page { kTimedCapturePage = 0, kVideoToImagesPage = 1, kImagesToVideoPage = 2 };

    explicit TToolInfoDlg(std::function<QString(const QString &)> text, QWidget *parent = nullptr);

    // ToolInformation_InfoSet.
    void InfoSet();
    void showPage(int page);
    int currentPage() const;

    // The timed-capture page from the running and the settings copy.
    void refreshTimedCapture(const ScheduleRecord &running, const ScheduleRecord &settings);
    // A conversion page's bar (0 to total) and status line.
    void setProgress(int page, const ConversionProgress &progress);
    // "Processing 40%(4/10)".
    QString progressLine(const ConversionProgress &progress) const;

    QLineEdit *timedField(const char *name) const;
    QLabel *statusLabel(int page) const;
    QProgressBar *progressBar(int page) const;
    QPushButton *pageButton(const char *name) const;

Q_SIGNALS:
    void timedEnableClicked();
    void timedFolderClicked();
    // Page kVideoToImagesPage or kImagesToVideoPage.
    void stopClicked(int page);
    void sourceFolderClicked(int page);
    void savingFolderClicked(int page);

private:
    std::function<QString(const QString &)> text_;
    QTabWidget *tabs_ = nullptr;
    std::vector<std::pair<QLineEdit *, const char *>> timedFields_;
    std::vector<std::pair<QLabel *, const char *>> labels_;
    std::vector<std::pair<QPushButton *, QByteArray>> buttons_;
    std::array<QProgressBar *, 3> bars_{};
    std::array<QLabel *, 3> status_{};
    std::array<ConversionProgress, 3> progress_{};
    bool timedActive_ = false;
};

} // namespace tools::ui
