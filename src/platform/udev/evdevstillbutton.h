#pragma once

#include "platform/mediapipeline.h"
#include "platform/uniquefd.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace platform {

// The snapshot button of a UVC camera: uvcvideo reports it as KEY_CAMERA on an input node of
// the same USB device. Read on the UI thread through socket notifiers.
class EvdevStillButton final : public QObject, public StillButton
{
    Q_OBJECT
public:
    EvdevStillButton(std::vector<UniqueFd> fds, std::function<void()> pressed);
    ~EvdevStillButton() override;

    // False once every node has ended (unplugged) and nothing is watched any more.
    bool isWatching() const;

private:
    // False when the node has ended and is to be watched no more.
    bool readEvents(int fd);

    std::vector<UniqueFd> fds_;
    std::function<void()> pressed_;
};

enum class StillButtonOpen { Unknown, Opened, NoInputNode, NotReadable };

// Opens the input nodes of `usbSysPath`; null with the reason when none could be opened.
std::unique_ptr<EvdevStillButton> openEvdevStillButton(const QString &usbSysPath, std::function<void()> pressed,
                                                       StillButtonOpen &outcome);

} // namespace platform
