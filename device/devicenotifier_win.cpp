#include "devicenotifier.h"

// WM_DEVICECHANGE reaches the main window's native event handler directly.
DeviceNotifier::DeviceNotifier(QObject* parent)
    : QObject(parent)
{
}

DeviceNotifier::~DeviceNotifier() = default;

void DeviceNotifier::readEvents()
{
}
