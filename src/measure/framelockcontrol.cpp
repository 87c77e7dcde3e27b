#include "measure/framelockcontrol.h"

namespace measure {

FrameLockControl::FrameLockControl(FrameSource &source, PictureQuestion askPicture, std::function<void()> pictureSwitched)
    : source_(source), askPicture_(std::move(askPicture)), pictureSwitched_(std::move(pictureSwitched))
{
}

void FrameLockControl::lockFrameClicked(bool down)
{
    loadDown_ = false;
    lockDown_ = down;
    if (down)
        source_.pauseOnFrame();
    else
        source_.play();
    if (pictureSwitched_)
        pictureSwitched_();
}

void FrameLockControl::loadImageClicked(bool down, bool bmpTabShown, const QString &bmpFolder, const QString &jpgFolder)
{
    if (!down) {
        loadDown_ = false;
        source_.play();
        if (pictureSwitched_)
            pictureSwitched_();
        return;
    }
    const std::optional<QString> file =
        askPicture_ ? askPicture_(bmpTabShown ? 1 : 2, bmpTabShown ? bmpFolder : jpgFolder) : std::nullopt;
    if (!file) {
        loadDown_ = false;
        return;
    }
    lockDown_ = false;
    // A file that cannot be decoded leaves the live picture: the button must not claim otherwise.
    loadDown_ = source_.pauseWithFile(*file);
    loadedFile_ = loadDown_ ? *file : QString();
    if (pictureSwitched_)
        pictureSwitched_();
}

} // namespace measure
