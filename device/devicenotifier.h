#pragma once

#include <QObject>

class QSocketNotifier;

// Tells when a device arrives or goes away. On Linux it watches the hidraw
// subsystem through a udev monitor; on Windows the main window receives
// WM_DEVICECHANGE itself and this object stays silent.
class DeviceNotifier : public QObject
{
    Q_OBJECT

public:
    explicit DeviceNotifier(QObject* parent = nullptr);
    ~DeviceNotifier() override;

    bool isWatching() const { return notifier != nullptr; }

signals:
    void deviceChanged();

private:
    void readEvents();

    struct udev* udevContext = nullptr;
    struct udev_monitor* monitor = nullptr;
    QSocketNotifier* notifier = nullptr;
};
