#pragma once

// The device sequences both benches run, on the transport alone (no view):
// what a profile switch, a Save and a factory reset send.
#include "clock.h"
#include "deviceflags.h"
#include "dpi.h"
#include "hid_thread.h"
#include "hidowner.h"
#include "keymatrix.h"
#include "lighting.h"
#include "profileblocks.h"
#include "reportrate.h"
#include "settingsfile.h"
#include "virtual_mouse.h"

#include <QString>

namespace bench {

constexpr int kReportLength = 32;

struct Owner : HidOwner
{
    Owner(bool gun, const char* family) : gun(gun), family(QLatin1String(family)) {}
    bool isGunDevice() const override { return gun; }
    QString chipFamily() const override { return family; }
    void stageReported(int) override {}
    void deviceLost() override {}
    bool gun;
    QString family;
};

inline Hid_Thread* connect(Hid_Thread& hid, vmouse::Family family)
{
    vmouse::DeviceConfig config;
    config.family = family;
    config.reportLength = kReportLength;
    const int device = vmouse::addDevice(config);
    DeviceDescriptor d;
    d.reportLength = kReportLength;
    d.commandPath = QStringLiteral("vmouse:%1:1").arg(device);
    hid.deviceList = {d};
    hid.currentDevice = 0;
    return &hid;
}

// Adds up the pauses instead of taking them: what the firmware mandates.
class CountingClock : public Clock
{
public:
    void sleepMs(int ms) override { total += ms; }
    void processEvents() override {}
    qint64 epochSeconds() override { return 0; }
    qint64 total = 0;
};

inline int exchangesOnTheWire()
{
    int exchanges = 0;
    for (const vmouse::Call& call : vmouse::record())
        exchanges += call.kind == vmouse::CallKind::SendFeature;
    return exchanges;
}

// The key matrix of the profile, with a gun switch of three modes on slot 7
// when `gunSwitch`.
inline QVariantList layoutOf(SettingsFile& profile, bool gunSwitch)
{
    QVariantList layout;
    for (int slot = 0; slot < 16; ++slot)
        layout += SettingsFile::toList(profile.value(QStringLiteral("mouseKeyMatrix/%1").arg(slot)));
    if (gunSwitch) {
        layout[7 * 4] = 8;
        layout[7 * 4 + 1] = 0;
        layout[7 * 4 + 2] = 3;
        layout[7 * 4 + 3] = 0;
    }
    return layout;
}

// What Save sends with the key matrix, DPI and lighting pages unsaved.
inline void save(Hid_Thread& hid, const DeviceFlags& flags, SettingsFile& profile, ProfileBlocks& blocks)
{
    keymatrix::setKeyMatrix(hid, flags, &profile, blocks, layoutOf(profile, flags.isGun), true, {9, 9, 9});
    dpi::setDpi(hid, flags, blocks, 4, QStringLiteral("3360"),
                SettingsFile::toList(profile.value(QStringLiteral("mouse/dpiValueArray"))));
    lighting::setEffect(hid, flags, blocks, 0, 0, 4);
    lighting::setColor(hid, flags, blocks, 0, SettingsFile::toList(profile.value(QStringLiteral("mouse/colorValue"))));
}

// What a change of the active profile sends: the key matrices (with a gun
// switch on a gun mouse), the report rate, the DPI table, the lighting
// effect and colours, then matrix 1 active and the gun matrices restored.
inline void profileSwitch(Hid_Thread& hid, const DeviceFlags& flags, SettingsFile& profile, ProfileBlocks& blocks)
{
    keymatrix::setKeyMatrix(hid, flags, &profile, blocks, layoutOf(profile, flags.isGun), true, {9, 9, 9});
    reportrate::setReportRate(hid, flags, 1);
    dpi::setDpi(hid, flags, blocks, 4, QStringLiteral("3360"),
                SettingsFile::toList(profile.value(QStringLiteral("mouse/dpiValueArray"))));
    dpi::setCurrentStage(hid, flags.family560, 1);
    lighting::setEffect(hid, flags, blocks, 0, 0, 4);
    lighting::setColor(hid, flags, blocks, 0, SettingsFile::toList(profile.value(QStringLiteral("mouse/colorValue"))));
    if (flags.isGun) {
        deviceslot::switchKeyMatrix(hid, flags.family560, 1);
        keymatrix::resetKeyMatrix(hid, flags, &profile);
    }
}

// A factory reset: the profile's sends, then DPI stage 2.
inline void factoryReset(Hid_Thread& hid, const DeviceFlags& flags, SettingsFile& profile, ProfileBlocks& blocks)
{
    profileSwitch(hid, flags, profile, blocks);
    dpi::setCurrentStage(hid, flags.family560, 2);
}

} // namespace bench
