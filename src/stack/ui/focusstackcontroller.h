#pragma once

#include "feature/feature.h"
#include "feature/ui/featurecontext.h"
#include "platform/bitmap.h"
#include "platform/picturemetadata.h"
#include "stack/focusstacker.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace platform {
class MediaWorker;
}

namespace stack::ui {

class FocusStackDialog;
class FocusStackPort;

// The Tools menu's "Focus Stack": takes frames from the live picture (on each Space press in the
// tool window, or every N ms until Stop) or the pictures of a folder in name order, aligns and
// fuses them on a worker thread with a progress bar, and saves the result like a snapshot
// ("Stack_Jpg_..." in the library folder, with the scale) into the still area. A cancel at any
// point drops the frames and the run: nothing is written, since the file is only written (through
// a temporary name) after a complete run. UI thread; the stacking itself runs on the worker.
class FocusStackController final : public QObject, public feature::Feature
{
    Q_OBJECT
public:
    // At most this many frames are taken from the live picture (a 1600 x 1200 frame costs 7.7 MB
    // until it is aligned); the run starts by itself when the last is taken.
    static constexpr int kMaxLiveFrames = 60;

    // `port` is answered by the composition root and outlives the controller.
    FocusStackController(feature::ui::FeatureContext context, FocusStackPort &port, QObject *parent = nullptr);
    ~FocusStackController() override;

    void FocusStack_ToolClick();
    void startLive();
    void takeLiveFrame();
    void stopLive();
    void chooseFolder();
    void stackFolder();
    void cancel();

    FocusStackDialog &dialog() const { return *dialog_; }
    bool running() const { return stacking_; }
    int liveFrames() const { return int(live_.size()); }
    QTimer &liveTimer() { return liveTimer_; }
    // The last run's result (empty until a run ends).
    const StackResult &lastResult() const { return last_; }
    QString lastSavedPath() const { return lastSaved_; }

    void languageChanged() override;
    void closing() override;

Q_SIGNALS:
    // A run ended: saved, failed or cancelled.
    void finished(bool saved);

private:
    void run(StackInput input, QStringList files);
    void delivered(StackResult result);
    void report(const StackResult &result);
    void pollProgress();
    platform::PictureMetadata calibrationFor(QSize picture) const;

    feature::ui::FeatureContext ctx_;
    FocusStackPort &port_;
    FocusStackDialog *dialog_ = nullptr;
    std::unique_ptr<platform::MediaWorker> worker_;
    std::uint64_t ticket_ = 0;
    std::shared_ptr<StackProgress> progress_;
    QTimer liveTimer_;
    QTimer progressTimer_;
    std::vector<platform::Bitmap> live_;
    QStringList files_;   // the folder's pictures of the running (or last) run
    bool stacking_ = false;
    StackResult last_;
    QString lastSaved_;
};

} // namespace stack::ui
