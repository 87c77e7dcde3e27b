#include "evdevstillbutton.h"

#include "platform/udev/udevdevicemonitor.h"

#include <QSocketNotifier>

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
        connect(n, &QSocketNotifier::activated, this, [this, raw] { readEvents(raw); });
    }
}

// The notifiers are children and die before the descriptors close (members after the base).
EvdevStillButton::~EvdevStillButton() { qDeleteAll(findChildren<QSocketNotifier *>()); }

void EvdevStillButton::readEvents(int fd)
{
    input_event events[16];
    for (;;) {
        const ssize_t n = ::read(fd, events, sizeof events);
        if (n <= 0)
            return;   // EAGAIN: drained; ENODEV: unplugged, the device search handles that
        for (ssize_t i = 0; i < n / ssize_t(sizeof(input_event)); ++i)
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
