#include "discovery.h"

#include <hidapi.h>

void findInterfaces(DeviceList& list)
{
    for (DeviceDescriptor& device : list) {
        device.commandPath.clear();
        device.eventPath.clear();
        hid_device_info* entries = hid_enumerate(device.vid, device.pid);
        for (const hid_device_info* entry = entries; entry; entry = entry->next) {
            const QString path = QString::fromLatin1(entry->path);
            if (entry->usage_page == device.usagePage && entry->usage == device.usage)
                device.commandPath = path;
            if (entry->usage_page == device.usagePage2 && entry->usage == device.usage2)
                device.eventPath = path;
        }
        hid_free_enumeration(entries);
    }
}
