#include "evdevstillbutton.h"

#include "platform/udev/udevdevicemonitor.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

namespace platform {

EvdevStillButton::EvdevStillButton(std::vector<UniqueFd> fds, std::function<void()> pressed)
    : fds_(std::move(fds)), pressed_(std::move(pressed))
{
    for (const UniqueFd &fd : fds_) {
        auto *n = new QSocketNotifier(fd.get(), QSocketNotifier::Read, this);
        const int raw = fd.get();
        connect(n, &QSocketNotifier::activated, this, [this, n, raw] {
            if (!readEvents(raw))
                n->setEnabled(false);
        });
    }
}

// The notifiers are children and die before the descriptors close (members after the base).
EvdevStillButton::~EvdevStillButton() { qDeleteAll(findChildren<QSocketNotifier *>()); }

bool EvdevStillButton::isWatching() const
{
    const auto notifiers = findChildren<QSocketNotifier *>();
    return std::any_of(notifiers.begin(), notifiers.end(), [](const QSocketNotifier *n) { return n->isEnabled(); });
}

bool EvdevStillButton::readEvents(int fd)
{
    input_event events[16];
    for (;;) {
        const ssize_t n = ::read(fd, events, sizeof events);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return true;   // drained
        // End of file or an error (ENODEV once the camera is unplugged): the node stays readable
        // for ever, so watching it further would spin the UI thread. The device search takes over.
        if (n <= 0)
            return false;
        for (ssize_t i = 0; i < n / ssize_t(sizeof(input_event)); ++i)
            // Value 1 is the press; 2 is the key's auto-repeat while held, 0 the release.
            if (events[i].type == EV_KEY && events[i].code == KEY_CAMERA && events[i].value == 1 && pressed_)
                pressed_();
    }
}

std::unique_ptr<EvdevStillButton> openEvdevStillButton(const QString &usbSysPath, std::function<void()> pressed,
                                                       StillButtonOpen &outcome)
{
    std::vector<UniqueFd> fds;
    const std::vector<QString> nodes = inputNodesOfUsbDevice(usbSysPath);
    for (const QString &node : nodes) {
        std::error_code error;
        UniqueFd fd = openFd(node.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK, error);
        if (fd)
            fds.push_back(std::move(fd));
    }
    if (fds.empty()) {
        outcome = nodes.empty() ? StillButtonOpen::NoInputNode : StillButtonOpen::NotReadable;
        return nullptr;
    }
    outcome = StillButtonOpen::Opened;
    return std::make_unique<EvdevStillButton>(std::move(fds), std::move(pressed));
}

} // namespace platform
