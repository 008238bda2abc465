#include "devicenotifier.h"

#include <QDebug>
#include <QSocketNotifier>

#include <libudev.h>

DeviceNotifier::DeviceNotifier(QObject* parent)
    : QObject(parent)
{
    udevContext = udev_new();
    if (!udevContext)
        return;
    monitor = udev_monitor_new_from_netlink(udevContext, "udev");
    if (!monitor)
        return;
    udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr);
    if (udev_monitor_enable_receiving(monitor) < 0)
        return;
    const int fd = udev_monitor_get_fd(monitor);
    if (fd < 0)
        return;
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &DeviceNotifier::readEvents);
}

DeviceNotifier::~DeviceNotifier()
{
    delete notifier;
    if (monitor)
        udev_monitor_unref(monitor);
    if (udevContext)
        udev_unref(udevContext);
}

void DeviceNotifier::readEvents()
{
    // Drain what is there: one notification for a burst of interface events.
    bool any = false;
    while (udev_device* device = udev_monitor_receive_device(monitor)) {
        any = true;
        udev_device_unref(device);
    }
    if (any)
        emit deviceChanged();
}
