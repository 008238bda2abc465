#pragma once

#include <QList>
#include <QString>

class QSettings;

// One row of the device table in the global settings file: which USB device
// the program supports and how to talk to it. The two paths are filled by
// discovery; an empty path means that interface is not present.
struct DeviceDescriptor
{
    int type = -1;              // 0 keyboard, 1 mouse; stored only
    quint16 vid = 0;
    quint16 pid = 0;
    quint16 usagePage = 0;      // command interface
    quint16 usage = 0;
    quint16 usagePage2 = 0;     // event interface
    quint16 usage2 = 0;
    int reportLength = 32;      // payload bytes per bulk report, without the report ID
    bool isEncode = false;      // command and reply blocks are scrambled
    QString sCode = QStringLiteral("507326");
    QString commandPath;
    QString eventPath;
};

using DeviceList = QList<DeviceDescriptor>;

// Reads group `index` of the table ("0/vid", "0/pid", ...).
DeviceDescriptor readDeviceDescriptor(QSettings& settings, int index);

// Far more rows than any table holds; a larger count reads this many.
constexpr int kMaxDeviceCount = 256;

// Reads "common/deviceCount" groups, in group order. Groups past the count are
// ignored. A table without rows says so on the debug channel, once per file.
DeviceList readDeviceTable(QSettings& settings);
