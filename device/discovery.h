#pragma once

#include "devicedescriptor.h"

// Fills the command and event paths of every descriptor from hidapi's
// enumeration: the interface whose usage page and usage match the command
// pair, and the one matching the event pair. A later match wins; one entry
// may fill both. A descriptor with vid and pid 0 matches every HID device.
void findInterfaces(DeviceList& list);
