#pragma once

#include "debugcapture.h"
#include "hid_thread.h"
#include "hidowner.h"
#include "virtual_mouse.h"
#include "virtualclock.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

// Stands in for the main window: the flags it answers with and the
// reader's effects, in the order they arrived on the GUI thread.
class FakeOwner : public HidOwner
{
public:
    bool gun = false;
    QString family = QStringLiteral("553");
    QStringList effects;   // "stage 3", "lost"

    bool isGunDevice() const override { return gun; }
    QString chipFamily() const override { return family; }
    void stageReported(int stage) override { effects.append(QStringLiteral("stage %1").arg(stage)); }
    void deviceLost() override { effects.append(QStringLiteral("lost")); }
};

// A Hid_Thread talking to one virtual mouse on the virtual clock.
struct WireRig
{
    explicit WireRig(const vmouse::DeviceConfig& config = {});

    static DeviceDescriptor descriptorFor(const vmouse::DeviceConfig& config, int device);

    // Calls of the record, optionally only of one kind.
    std::vector<vmouse::Call> calls() const;
    std::vector<vmouse::Call> calls(vmouse::CallKind kind) const;
    // The names of the recorded calls, e.g. "OpenPath SetNonblocking Close ...".
    QString callSequence() const;

    VirtualClock clock;
    FakeOwner owner;
    Hid_Thread hid;
    int device = 0;
    vmouse::DeviceConfig config;
};

// Device state whose every read reply differs from the callers' pre-fill,
// so a value that did not come from the mouse shows.
vmouse::FirmwareState distinctReadState();

QByteArray bytes(const vmouse::Bytes& data);
QByteArray hex(const char* spaced);   // "01 02 ff" -> bytes
// The plain command block with its checksum appended.
QByteArray block(std::initializer_list<uchar> first7);
