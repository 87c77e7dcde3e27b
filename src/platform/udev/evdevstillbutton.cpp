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
        eventsRead_ += int(n / ssize_t(sizeof(input_event)));
        for (ssize_t i = 0; i < n / ssize_t(sizeof(input_event)); ++i)
            // Value 1 is the press; 2 is the key's auto-repeat while held, 0 the release.
            if (events[i].type == EV_KEY && events[i].code == KEY_CAMERA && events[i].value == 1 && pressed_)
                pressed_();
    }
}

std::unique_ptr<EvdevStillButton> openEvdevStillButton(const QString &usbSysPath, std::function<void()> pressed,
                                                       StillButtonAttempt &attempt)
{
    return openEvdevStillButtonNodes(inputNodesOfUsbDevice(usbSysPath), std::move(pressed), attempt);
}

std::unique_ptr<EvdevStillButton> openEvdevStillButtonNodes(const std::vector<QString> &nodes,
                                                            std::function<void()> pressed, StillButtonAttempt &attempt)
{
    attempt = {};
    std::vector<UniqueFd> fds;
    for (const QString &node : nodes) {
        std::error_code error;
        UniqueFd fd = openFd(node.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK, error);
        if (fd)
            fds.push_back(std::move(fd));
        else if (error != std::errc::no_such_file_or_directory && error != std::errc::no_such_device
                 && attempt.refusedNode.isEmpty()) {
            attempt.refusedNode = node;
            attempt.error = error;
        }
    }
    if (fds.empty()) {
        attempt.outcome = attempt.refusedNode.isEmpty() ? StillButtonOpen::NoInputNode : StillButtonOpen::NotReadable;
        return nullptr;
    }
    attempt.outcome = StillButtonOpen::Opened;
    attempt.refusedNode.clear();
    attempt.error = {};
    return std::make_unique<EvdevStillButton>(std::move(fds), std::move(pressed));
}

QString stillButtonAccessHint(const StillButtonAttempt &attempt, const QByteArray &devicePath)
{
    // "usb#vid_eb1a&pid_5060#..." names the ids a rule has to match.
    const QString path = QString::fromLatin1(devicePath).toLower();
    const int v = path.indexOf(QLatin1String("vid_"));
    const int p = path.indexOf(QLatin1String("pid_"));
    const QString vendor = v >= 0 ? path.mid(v + 4, 4) : QStringLiteral("vvvv");
    const QString product = p >= 0 ? path.mid(p + 4, 4) : QStringLiteral("pppp");
    const QString line = QStringLiteral("Snapshot button input device %1 cannot be opened (%2); ")
                             .arg(attempt.refusedNode, QString::fromStdString(attempt.error.message()));
    if (vendor == QLatin1String("eb1a") && product == QLatin1String("5060"))
        return line + QStringLiteral("the udev rule %1 gives the logged-in user access: install the package or copy "
                                     "the rule, then unplug and plug the camera")
                          .arg(QLatin1String(kUdevRulesFile));
    return line + QStringLiteral("add a udev rule for this camera to /etc/udev/rules.d/70-sendra-cam-local.rules: "
                                 "SUBSYSTEM==\"input\", KERNEL==\"event*\", ATTRS{idVendor}==\"%1\", "
                                 "ATTRS{idProduct}==\"%2\", TAG+=\"uaccess\" (see %3), then unplug and plug the camera")
                      .arg(vendor, product, QLatin1String(kUdevRulesFile));
}

} // namespace platform
