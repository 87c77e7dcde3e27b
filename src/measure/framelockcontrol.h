#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace measure {

// What the draw tool bar's frame buttons need of the camera component.
class FrameSource
{
public:
    virtual ~FrameSource() = default;
    // Freeze the live picture into the still layer.
    virtual bool pauseOnFrame() = 0;
    // Show a BMP or JPEG file in the still layer instead of the live picture.
    virtual bool pauseWithFile(const QString &path) = 0;
    // Back to live video.
    virtual bool play() = 0;
};

// The lock-frame and load-image buttons of the draw tool bar. Both are toggle buttons; only one
// can be down. Every switch of the picture (live, frozen, loaded) clears the measurement drawing
// through pictureSwitched.
class FrameLockControl
{
public:
    // Asks for a picture file with the open dialog's filter index and start folder; none on cancel.
    using PictureQuestion = std::function<std::optional<QString>(int filterIndex, const QString &folder)>;

    FrameLockControl(FrameSource &source, PictureQuestion askPicture, std::function<void()> pictureSwitched);

    // DrawRulerTB_LockFrameClick with the button's new state.
    void lockFrameClicked(bool down);
    // DrawRulerTB_LoadImageClick: filter 1 and the BMP library folder while the BMP tab is shown,
    // else filter 2 and the JPG folder. Cancelling releases the button again.
    void loadImageClicked(bool down, bool bmpTabShown, const QString &bmpFolder, const QString &jpgFolder);

    bool lockDown() const { return lockDown_; }
    bool loadDown() const { return loadDown_; }
    // The file shown while the load-image button is down.
    const QString &loadedFile() const { return loadedFile_; }

private:
    FrameSource &source_;
    PictureQuestion askPicture_;
    std::function<void()> pictureSwitched_;
    bool lockDown_ = false;
    bool loadDown_ = false;
    QString loadedFile_;
};

} // namespace measure
