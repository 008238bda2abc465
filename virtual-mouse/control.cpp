// The control side: attaching devices, the DPI button, unplugging, failure
// injection, the record and the clock.
#include "library.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace vmouse::detail {
namespace {

const auto kLoadTime = std::chrono::steady_clock::now();

struct Clock {
    std::mutex mutex;
    ClockHooks hooks;
};

Clock& clock()
{
    static Clock* instance = new Clock; // never destroyed, like the library
    return *instance;
}

DeviceSlot& deviceOrThrow(Library& lib, int id)
{
    DeviceSlot* slot = findDevice(lib, id);
    if (!slot)
        throw std::out_of_range("vmouse: no device " + std::to_string(id));
    return *slot;
}

// Lock the library and apply VMOUSE_CONFIG if this is its first use.
std::unique_lock<std::mutex> lockConfigured(Library& lib)
{
    std::unique_lock lock(lib.mutex);
    ensureConfigured(lib);
    return lock;
}

} // namespace

bool DeviceSlot::hasInterface(int iface) const
{
    switch (iface) {
    case kBootMouse: return true;
    case kCommand: return config.hasCommandInterface;
    case kEvent: return config.hasEventInterface;
    default: return false;
    }
}

Library& library()
{
    static Library* instance = new Library;
    return *instance;
}

SharedHooks& sharedHooks()
{
    static SharedHooks hooks;
    return hooks;
}

void notifyPlug(Library& lib, int device, bool plugged)
{
    if (lib.plugListener)
        lib.plugListener(device, *lib.devices[static_cast<std::size_t>(device)], plugged);
}

// Without reset() or addDevice() first, the library serves the devices of
// VMOUSE_CONFIG, or one default device when the variable is not set.
void ensureConfigured(Library& lib)
{
    if (lib.configured)
        return;
    lib.configured = true;
    const char* text = std::getenv("VMOUSE_CONFIG");
    const std::vector<DeviceConfig> devices =
        text ? devicesFromText(text) : std::vector<DeviceConfig>{DeviceConfig{}};
    for (const DeviceConfig& config : devices)
        attachDevice(lib, config);
}

int attachDevice(Library& lib, const DeviceConfig& config)
{
    DeviceConfig sane = config;
    if (sane.reportLength < 1)
        sane.reportLength = 1; // a bulk transfer must be able to advance
    lib.devices.push_back(std::make_unique<DeviceSlot>(sane));
    return static_cast<int>(lib.devices.size()) - 1;
}

DeviceSlot* findDevice(Library& lib, int id)
{
    if (id < 0 || id >= static_cast<int>(lib.devices.size()))
        return nullptr;
    return lib.devices[static_cast<std::size_t>(id)].get();
}

// Every call of the kind counts down every pending failure of that kind.
bool consumeFailure(Library& lib, CallKind kind)
{
    bool fails = false;
    std::erase_if(lib.failures, [&](PendingFailure& f) {
        if (f.kind != kind || --f.remaining > 0)
            return false;
        fails = true;
        return true;
    });
    return fails;
}

int consumeShortening(Library& lib, CallKind kind)
{
    int shortTo = -1;
    std::erase_if(lib.shortenings, [&](PendingFailure& f) {
        if (f.kind != kind || --f.remaining > 0)
            return false;
        shortTo = f.shortTo;
        return true;
    });
    return shortTo;
}

ClockHooks clockHooks()
{
    std::lock_guard lock(clock().mutex);
    return clock().hooks;
}

std::int64_t nowUs()
{
    const ClockHooks hooks = clockHooks();
    if (hooks.nowUs)
        return hooks.nowUs(hooks.ctx);
    const auto elapsed = std::chrono::steady_clock::now() - kLoadTime;
    return std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
}

} // namespace vmouse::detail

namespace vmouse {
using namespace detail;

const char* callKindName(CallKind kind)
{
    switch (kind) {
    case CallKind::Init: return "hid_init";
    case CallKind::Exit: return "hid_exit";
    case CallKind::Enumerate: return "hid_enumerate";
    case CallKind::FreeEnumeration: return "hid_free_enumeration";
    case CallKind::Open: return "hid_open";
    case CallKind::OpenPath: return "hid_open_path";
    case CallKind::Close: return "hid_close";
    case CallKind::SetNonblocking: return "hid_set_nonblocking";
    case CallKind::SendFeature: return "hid_send_feature_report";
    case CallKind::GetFeature: return "hid_get_feature_report";
    case CallKind::GetInputReport: return "hid_get_input_report";
    case CallKind::Write: return "hid_write";
    case CallKind::Read: return "hid_read";
    case CallKind::ReadTimeout: return "hid_read_timeout";
    case CallKind::GetString: return "hid_get_string";
    case CallKind::GetDeviceInfo: return "hid_get_device_info";
    case CallKind::Error: return "hid_error";
    case CallKind::Version: return "hid_version";
    }
    return "unknown";
}

void reset()
{
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    lib.configured = true; // a reset library never falls back to VMOUSE_CONFIG
    for (int id = 0; id < static_cast<int>(lib.devices.size()); ++id) {
        if (lib.devices[static_cast<std::size_t>(id)]->plugged)
            notifyPlug(lib, id, false);
    }
    ++lib.generation;
    lib.devices.clear();
    lib.record.clear();
    lib.failures.clear();
    lib.shortenings.clear();
    lib.lastError = L"Success";
    lib.changed.notify_all(); // blocked readers find their handle dead
}

int addDevice(const DeviceConfig& config)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    const int id = attachDevice(lib, config);
    notifyPlug(lib, id, true);
    return id;
}

int deviceCount()
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    return static_cast<int>(lib.devices.size());
}

DeviceConfig config(int device)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    return deviceOrThrow(lib, device).config;
}

FirmwareState state(int device)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    return deviceOrThrow(lib, device).firmware.state;
}

void setState(int device, const FirmwareState& state)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    deviceOrThrow(lib, device).firmware.state = state;
}

void unplug(int device)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    DeviceSlot& slot = deviceOrThrow(lib, device);
    if (!slot.plugged)
        return;
    slot.plugged = false;
    ++slot.unplugCount;
    slot.events.clear();
    slot.firmware.dropTransfers();
    notifyPlug(lib, device, false);
    lib.changed.notify_all();
}

void replug(int device)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    DeviceSlot& slot = deviceOrThrow(lib, device);
    if (slot.plugged)
        return;
    slot.plugged = true;
    notifyPlug(lib, device, true);
}

bool isPlugged(int device)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    return deviceOrThrow(lib, device).plugged;
}

// An unplugged device sends nothing: its reports are dropped.
void pushEvent(int device, const Bytes& report)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    DeviceSlot& slot = deviceOrThrow(lib, device);
    if (!slot.plugged)
        return;
    slot.events.push_back(report);
    lib.changed.notify_all();
}

void pressDpiButton(int device, int stage)
{
    pushEvent(device, Bytes{0x06, 0x07, 0x00, static_cast<std::uint8_t>(stage)});
}

void failCall(CallKind kind, int n)
{
    if (n < 1)
        return;
    Library& lib = library();
    auto lock = lockConfigured(lib);
    lib.failures.push_back({kind, n});
}

void shortenCall(CallKind kind, int n, int bytes)
{
    if (n < 1 || bytes < 0)
        return;
    Library& lib = library();
    auto lock = lockConfigured(lib);
    lib.shortenings.push_back({kind, n, bytes});
}

void withholdInputReports(int device, int count)
{
    Library& lib = library();
    auto lock = lockConfigured(lib);
    deviceOrThrow(lib, device).firmware.withholdInputReports(count);
}

std::vector<Call> record()
{
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    return lib.record;
}

void clearRecord()
{
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    lib.record.clear();
}

void setClock(const ClockHooks& hooks)
{
    std::lock_guard lock(clock().mutex);
    clock().hooks = hooks;
}

void clearClock()
{
    std::lock_guard lock(clock().mutex);
    clock().hooks = ClockHooks{};
}

} // namespace vmouse
