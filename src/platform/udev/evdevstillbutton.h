#pragma once

#include "platform/mediapipeline.h"
#include "platform/uniquefd.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <system_error>
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
    // Input events read so far, of every type: what a caller waits on to know that a burst of
    // events has been taken in (repeats and releases leave no other trace).
    int eventsRead() const { return eventsRead_; }

private:
    // False when the node has ended and is to be watched no more.
    bool readEvents(int fd);

    std::vector<UniqueFd> fds_;
    std::function<void()> pressed_;
    int eventsRead_ = 0;
};

enum class StillButtonOpen { Unknown, Opened, NoInputNode, NotReadable };

// How opening went; for NotReadable, the first input node that exists but refused to open.
struct StillButtonAttempt {
    StillButtonOpen outcome = StillButtonOpen::Unknown;
    QString refusedNode;
    std::error_code error;
};

// Opens the input nodes of `usbSysPath`; null with the reason when none could be opened.
std::unique_ptr<EvdevStillButton> openEvdevStillButton(const QString &usbSysPath, std::function<void()> pressed,
                                                       StillButtonAttempt &attempt);
// The same for a given list of input nodes (a name of its own: a braced single node would pick
// the overload above). A node that vanished before the open (unplugged) is not a permission
// problem and counts as no node.
std::unique_ptr<EvdevStillButton> openEvdevStillButtonNodes(const std::vector<QString> &nodes,
                                                            std::function<void()> pressed, StillButtonAttempt &attempt);

// The udev rule the package installs; it gives the logged-in user the built-in cameras' nodes.
inline constexpr const char *kUdevRulesFile = "/usr/lib/udev/rules.d/70-sendra-cam.rules";

// The log line for a snapshot button whose input node exists but cannot be opened: which node,
// why, and the rule that fixes it for this camera's vendor and product.
QString stillButtonAccessHint(const StillButtonAttempt &attempt, const QByteArray &devicePath);

} // namespace platform
