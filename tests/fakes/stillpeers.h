#pragma once

#include "imaging/ui/stillimagecontroller.h"

namespace fakes {

// The still image's peers as a window without a player, an editor, filters, a viewer or the
// automation has them: nothing runs, nothing is asked, nothing is burnt in. Tests override what
// they build.
struct StillPeers : imaging::ui::StillPort {
    void playVideo(const QString &) override {}
    void exitMediaPlayer() override {}
    void leaveEditor() override {}
    void leaveFilterMode() override {}
    void commitEditorText() override {}
    void showStillInViewer() override {}
    bool timedStillsRunning() const override { return false; }
    bool timedStillsWithScale() const override { return false; }
    bool saveWithScale(const platform::Bitmap &) override { return false; }
    void setJpegQuality(int) override {}
    platform::PictureMetadata pictureMetadata(QSize) const override { return {}; }
    bool libraryPageChangeBlocked() const override { return false; }
};

} // namespace fakes
