// The library's shared state: the attached devices, the call record, the
// pending failures. One mutex guards all of it; readers on other threads wait
// on one condition variable that every change they could wait for signals.
#pragma once

#include "firmware.h"
#include "virtual_mouse.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vmouse::detail {

enum Interface { kBootMouse = 0, kCommand = 1, kEvent = 2, kInterfaceCount = 3 };

struct DeviceSlot {
    explicit DeviceSlot(const DeviceConfig& c) : config(c), firmware(c) {}
    bool hasInterface(int iface) const;

    DeviceConfig config;
    Firmware firmware;
    bool plugged = true;
    unsigned unplugCount = 0;  // handles opened before the last unplug are dead
    std::deque<Bytes> events;  // reports waiting on the event interface
};

struct PendingFailure {
    CallKind kind;
    int remaining; // calls of this kind until the failing one
    int shortTo = -1; // for a shortening: the bytes the call still hands back
};

// Called with the library mutex held whenever a device appears (addDevice,
// replug) or vanishes (unplug, reset); the shared library's udev monitors
// listen here. Must not call back into the library.
using PlugListener = void (*)(int device, const DeviceSlot& slot, bool plugged);

struct Library {
    std::mutex mutex;
    std::condition_variable changed; // report queued, device unplugged, reset
    bool configured = false;         // VMOUSE_CONFIG applied, or reset() called
    unsigned generation = 0;         // bumped by reset(): every older handle is dead
    std::vector<std::unique_ptr<DeviceSlot>> devices; // index = device id
    std::vector<Call> record;
    std::vector<PendingFailure> failures;
    std::vector<PendingFailure> shortenings;
    const wchar_t* lastError = L"Success"; // hid_error(NULL)
    PlugListener plugListener = nullptr;
};

// Parts only the shared library has (device notifications, starting the
// control channel from VMOUSE_CONTROL) register here at load time, before
// any thread of the program can call in.
struct SharedHooks {
    void (*beforeHidCall)() = nullptr;                  // run at the start of every hid_* call
    std::vector<std::string> (*udevStatus)() = nullptr; // the "udev" request
};
SharedHooks& sharedHooks();

// Never destroyed: a reader thread may still wait in it while the process
// exits (the preloaded case), so it must outlive every static destructor.
Library& library();

// The functions below expect the library mutex to be held.
void ensureConfigured(Library& lib);
int attachDevice(Library& lib, const DeviceConfig& config);
void notifyPlug(Library& lib, int device, bool plugged);
DeviceSlot* findDevice(Library& lib, int id);
bool consumeFailure(Library& lib, CallKind kind);
// The byte count a pending shortening cuts this call's report to, or -1.
int consumeShortening(Library& lib, CallKind kind);

// The clock has its own lock, so that its hooks (the caller's code) are
// never run with the library mutex held.
ClockHooks clockHooks();
std::int64_t nowUs();

// Devices described by VMOUSE_CONFIG text; warns on stderr about bad items.
std::vector<DeviceConfig> devicesFromText(const std::string& text);
// One device entry ("family=553,pid=a1ef"); on the first item that cannot be
// applied, stores it in badItem and returns false.
bool deviceFromText(std::string_view entry, DeviceConfig& config, std::string& badItem);

// The hidapi path of one interface: "vmouse:<id>:<iface>".
std::string interfacePath(int device, int iface);

} // namespace vmouse::detail
