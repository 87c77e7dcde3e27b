#pragma once

#include "camera/ui/cameracontroller.h"
#include "platform/bitmap.h"

#include <functional>
#include <vector>

namespace fakes {

// The camera side's peers as a window with only the camera has them: snapshots are collected,
// the questions before a snapshot counted, the cover goes to `cover`, everything else does nothing.
struct CameraPeers : camera::ui::CameraPort {
    std::vector<platform::Bitmap> stills;
    int unsavedOffers = 0;
    std::function<void(bool)> cover;

    void captureStill(const platform::Bitmap &b) override { stills.push_back(b); }
    void offerUnsavedStill() override { ++unsavedOffers; }
    void exitMediaPlayer() override {}
    void stopRecording() override {}
    void reenterDrawMode() override {}
    void resetModeButtons() override {}
    void resolutionChanged(QSize) override {}
    void releaseFrozenFrame() override {}
    void showCover(bool shown) override
    {
        if (cover)
            cover(shown);
    }
    bool calibrationRunning() const override { return false; }
    void reloadRulerScales() override {}
    void closeCalibrationWindow() override {}
};

} // namespace fakes
