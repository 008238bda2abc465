// The hidapi C API over the emulated devices. Every function records one
// Call. A device enumerates as three interfaces with paths "vmouse:<id>:<n>".
#include "library.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>

// The library is built with hidden visibility; the hidapi functions are
// its public face.
#pragma GCC visibility push(default)
#include <hidapi.h>
#pragma GCC visibility pop

using namespace vmouse;
using namespace vmouse::detail;

std::string vmouse::detail::interfacePath(int device, int iface)
{
    return "vmouse:" + std::to_string(device) + ":" + std::to_string(iface);
}

struct hid_device_ {
    int device;
    int iface;
    std::string path;
    unsigned generation;  // library generation at open
    unsigned unplugCount; // device's unplug count at open
    bool nonblocking = false;
    hid_device_info* info = nullptr; // for hid_get_device_info, freed on close
    const wchar_t* lastError = L"Success";
};

namespace {

const wchar_t* const kNoError = L"Success";
const wchar_t* const kNoDevice = L"vmouse: no such device (unknown path or unplugged)";
const wchar_t* const kInjected = L"vmouse: injected failure";
const wchar_t* const kUnsupported = L"vmouse: not supported by this interface";
const wchar_t* const kBadReport = L"vmouse: malformed report";

// A blocking read on an interface without a report to come would hang the
// caller for ever; it gives up after this long instead (event reads excepted).
constexpr int kBlockingReadLimitMs = 1000;
constexpr std::size_t kFeatureReportSize = 9;

const wchar_t* const kManufacturer = L"Virtual Devices";

std::wstring serialOf(int device) { return L"vmouse-" + std::to_wstring(device); }

std::string pathOf(int device, int iface) { return interfacePath(device, iface); }

// "vmouse:<id>:<iface>" -> (id, iface)
std::optional<std::pair<int, int>> parsePath(const char* path)
{
    constexpr std::string_view prefix = "vmouse:";
    const std::string_view text(path ? path : "");
    if (!text.starts_with(prefix))
        return std::nullopt;
    const char* p = text.data() + prefix.size();
    const char* end = text.data() + text.size();
    int device = -1, iface = -1;
    auto r = std::from_chars(p, end, device);
    if (r.ec != std::errc() || r.ptr == end || *r.ptr != ':')
        return std::nullopt;
    r = std::from_chars(r.ptr + 1, end, iface);
    if (r.ec != std::errc() || r.ptr != end)
        return std::nullopt;
    return std::pair{device, iface};
}

hid_device_info* makeInfo(const DeviceSlot& slot, int device, int iface)
{
    auto* info = static_cast<hid_device_info*>(std::calloc(1, sizeof(hid_device_info)));
    const DeviceConfig& c = slot.config;
    info->path = strdup(pathOf(device, iface).c_str());
    info->vendor_id = c.vid;
    info->product_id = c.pid;
    info->serial_number = wcsdup(serialOf(device).c_str());
    info->release_number = 0x0100;
    info->manufacturer_string = wcsdup(kManufacturer);
    info->product_string = wcsdup(c.product.c_str());
    const std::uint16_t pages[kInterfaceCount] = {0x0001, c.usagePage, c.usagePage2};
    const std::uint16_t usages[kInterfaceCount] = {0x0002, c.usage, c.usage2};
    info->usage_page = pages[iface];
    info->usage = usages[iface];
    info->interface_number = iface;
    info->bus_type = HID_API_BUS_USB;
    return info;
}

void freeInfo(hid_device_info* info)
{
    while (info) {
        hid_device_info* next = info->next;
        std::free(info->path);
        std::free(info->serial_number);
        std::free(info->manufacturer_string);
        std::free(info->product_string);
        std::free(info);
        info = next;
    }
}

// One hidapi call: stamps the time, takes the library lock, applies the
// initial configuration, consumes a pending failure, and appends the
// recorded Call when it ends.
class Session {
public:
    Session(CallKind kind, hid_device* dev) : lib_(library()), dev_(dev)
    {
        if (const auto hook = sharedHooks().beforeHidCall)
            hook(); // the control channel starts with the program's first hid_* call
        call_.timeUs = nowUs(); // before locking: the clock hook is the caller's code
        call_.kind = kind;
        if (dev) {
            call_.path = dev->path;
            call_.device = dev->device;
            call_.iface = dev->iface;
        }
        lock_ = std::unique_lock(lib_.mutex);
        ensureConfigured(lib_);
        injected_ = consumeFailure(lib_, kind);
        shortTo_ = consumeShortening(lib_, kind);
    }
    ~Session() { lib_.record.push_back(std::move(call_)); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Call& call() { return call_; }
    Library& lib() { return lib_; }
    std::unique_lock<std::mutex>& lock() { return lock_; }
    bool injected() const { return injected_; }
    // The bytes of a report this call hands back, cut by a pending shortening.
    std::size_t handedBack(std::size_t bytes) const
    {
        return shortTo_ < 0 ? bytes : std::min(bytes, static_cast<std::size_t>(shortTo_));
    }

    int done(int result)
    {
        call_.result = result;
        return result;
    }
    int fail(const wchar_t* error)
    {
        (dev_ ? dev_->lastError : lib_.lastError) = error;
        return done(-1);
    }
    // The device behind the handle, if the handle is still good.
    DeviceSlot* live()
    {
        if (!dev_ || dev_->generation != lib_.generation)
            return nullptr;
        DeviceSlot* slot = findDevice(lib_, dev_->device);
        if (!slot || !slot->plugged || slot->unplugCount != dev_->unplugCount)
            return nullptr;
        return slot;
    }
    // The common checks of an I/O call: injected failure, dead handle.
    DeviceSlot* checkedDevice()
    {
        if (injected_) {
            fail(kInjected);
            return nullptr;
        }
        DeviceSlot* slot = live();
        if (!slot)
            fail(kNoDevice);
        else
            dev_->lastError = kNoError;
        return slot;
    }
    // The checks of a report to or from the firmware: those of any I/O
    // call, and the handle must be the command interface's.
    DeviceSlot* commandDevice()
    {
        DeviceSlot* slot = checkedDevice();
        if (slot && dev_->iface != kCommand) {
            fail(kUnsupported);
            return nullptr;
        }
        return slot;
    }
    // Records the bytes a caller hands over, whatever becomes of them.
    void recordOutput(const unsigned char* data, size_t length)
    {
        call_.length = length;
        if (data)
            call_.data.assign(data, data + length);
    }

private:
    Library& lib_;
    hid_device* dev_;
    Call call_;
    std::unique_lock<std::mutex> lock_;
    bool injected_ = false;
    int shortTo_ = -1;
};

hid_device* openHandle(Session& s, int device, int iface)
{
    Library& lib = s.lib();
    DeviceSlot* slot = findDevice(lib, device);
    auto* dev = new hid_device{device, iface, pathOf(device, iface), lib.generation,
                               slot->unplugCount};
    s.call().path = dev->path;
    s.call().device = device;
    s.call().iface = iface;
    lib.lastError = kNoError;
    s.done(1);
    return dev;
}

hid_device* failOpen(Session& s, const wchar_t* error)
{
    s.lib().lastError = error;
    s.done(0);
    return nullptr;
}

std::optional<Bytes> takeReport(DeviceSlot& slot, int iface)
{
    if (iface == kCommand)
        return slot.firmware.takeInputReport();
    if (iface == kEvent && !slot.events.empty()) {
        Bytes report = std::move(slot.events.front());
        slot.events.pop_front();
        return report;
    }
    return std::nullopt; // the boot mouse interface never reports here
}

// Waits for a report as the header describes: with a clock installed only
// the event interface waits (in real time); the others advance the clock by
// the timeout and give up at once.
std::optional<Bytes> awaitReport(Session& s, hid_device* dev, int timeoutMs)
{
    std::optional<Bytes> report = takeReport(*s.live(), dev->iface);
    if (report || timeoutMs == 0)
        return report;

    const ClockHooks hooks = clockHooks();
    if (dev->iface != kEvent && hooks.nowUs) {
        s.lock().unlock();
        if (hooks.advanceMs)
            hooks.advanceMs(hooks.ctx, timeoutMs < 0 ? kBlockingReadLimitMs : timeoutMs);
        s.lock().lock();
        return std::nullopt;
    }

    const auto ready = [&] {
        DeviceSlot* slot = s.live();
        return !slot || (report = takeReport(*slot, dev->iface)).has_value();
    };
    if (timeoutMs < 0 && dev->iface == kEvent) {
        s.lib().changed.wait(s.lock(), ready);
        return report;
    }
    const int limit = timeoutMs < 0 ? kBlockingReadLimitMs : timeoutMs;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limit);
    s.lib().changed.wait_until(s.lock(), deadline, ready);
    return report;
}

int readReport(CallKind kind, hid_device* dev, unsigned char* data, std::size_t length,
               int timeoutMs)
{
    Session s(kind, dev);
    s.call().length = length;
    s.call().timeoutMs = timeoutMs;
    if (!s.checkedDevice())
        return s.call().result;
    const std::optional<Bytes> report = awaitReport(s, dev, timeoutMs);
    if (!s.live())
        return s.fail(kNoDevice); // unplugged (or reset) while waiting
    if (!report)
        return s.done(0);
    const std::size_t n = s.handedBack(std::min(length, report->size()));
    std::copy_n(report->begin(), n, data);
    s.call().data.assign(report->begin(), report->begin() + static_cast<std::ptrdiff_t>(n));
    return s.done(static_cast<int>(n));
}

// The text is taken from the device behind a live handle.
using StringOf = std::wstring (*)(const DeviceSlot& slot, int device);

int getString(hid_device* dev, StringOf textOf, wchar_t* string, std::size_t maxlen)
{
    Session s(CallKind::GetString, dev);
    s.call().length = maxlen;
    const DeviceSlot* slot = s.checkedDevice();
    if (!slot)
        return s.call().result;
    if (!string || maxlen == 0)
        return s.fail(kBadReport);
    const std::wstring text = textOf(*slot, dev->device);
    std::wcsncpy(string, text.c_str(), maxlen - 1);
    string[maxlen - 1] = L'\0';
    return s.done(0);
}

} // namespace

extern "C" {

int hid_init(void)
{
    Session s(CallKind::Init, nullptr);
    return s.injected() ? s.fail(kInjected) : s.done(0);
}

// The devices stay attached: only the control API detaches them.
int hid_exit(void)
{
    Session s(CallKind::Exit, nullptr);
    return s.injected() ? s.fail(kInjected) : s.done(0);
}

// Call::result is the number of entries listed.
hid_device_info* hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    Session s(CallKind::Enumerate, nullptr);
    s.call().vid = vendor_id;
    s.call().pid = product_id;
    if (s.injected()) {
        failOpen(s, kInjected);
        return nullptr;
    }
    hid_device_info* head = nullptr;
    hid_device_info** tail = &head;
    int count = 0;
    const auto& devices = s.lib().devices;
    for (int id = 0; id < static_cast<int>(devices.size()); ++id) {
        const DeviceSlot& slot = *devices[static_cast<std::size_t>(id)];
        if (!slot.plugged || (vendor_id && vendor_id != slot.config.vid) ||
            (product_id && product_id != slot.config.pid))
            continue;
        for (int iface = 0; iface < kInterfaceCount; ++iface) {
            if (!slot.hasInterface(iface))
                continue;
            *tail = makeInfo(slot, id, iface);
            tail = &(*tail)->next;
            ++count;
        }
    }
    s.lib().lastError = head ? kNoError : L"vmouse: no HID devices found";
    s.done(count);
    return head;
}

void hid_free_enumeration(hid_device_info* devs)
{
    Session s(CallKind::FreeEnumeration, nullptr);
    freeInfo(devs); // an injected failure cannot stop a free
}

// Opens the command interface of the first device with exactly this id pair.
hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* serial)
{
    Session s(CallKind::Open, nullptr);
    s.call().vid = vendor_id;
    s.call().pid = product_id;
    if (s.injected())
        return failOpen(s, kInjected);
    const auto& devices = s.lib().devices;
    for (int id = 0; id < static_cast<int>(devices.size()); ++id) {
        const DeviceSlot& slot = *devices[static_cast<std::size_t>(id)];
        if (slot.plugged && slot.config.vid == vendor_id && slot.config.pid == product_id &&
            slot.hasInterface(kCommand) && (!serial || serialOf(id) == serial))
            return openHandle(s, id, kCommand);
    }
    return failOpen(s, kNoDevice);
}

hid_device* hid_open_path(const char* path)
{
    Session s(CallKind::OpenPath, nullptr);
    s.call().path = path ? path : "";
    if (s.injected())
        return failOpen(s, kInjected);
    const auto parsed = parsePath(path);
    DeviceSlot* slot = parsed ? findDevice(s.lib(), parsed->first) : nullptr;
    if (!slot)
        return failOpen(s, kNoDevice);
    s.call().device = parsed->first;
    s.call().iface = parsed->second;
    if (!slot->plugged || !slot->hasInterface(parsed->second))
        return failOpen(s, kNoDevice);
    return openHandle(s, parsed->first, parsed->second);
}

// Bulk data: byte 0 is the report id 0, the payload follows.
int hid_write(hid_device* dev, const unsigned char* data, size_t length)
{
    Session s(CallKind::Write, dev);
    s.recordOutput(data, length);
    DeviceSlot* slot = s.commandDevice();
    if (!slot)
        return s.call().result;
    if (!data || length < 1 || data[0] != 0)
        return s.fail(kBadReport);
    slot->firmware.receiveOutput(data + 1, length - 1);
    return s.done(static_cast<int>(length));
}

int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds)
{
    return readReport(CallKind::ReadTimeout, dev, data, length, milliseconds);
}

// Recorded with timeout -1 (blocking) or 0 (non-blocking handle).
int hid_read(hid_device* dev, unsigned char* data, size_t length)
{
    return readReport(CallKind::Read, dev, data, length, dev && dev->nonblocking ? 0 : -1);
}

// Call::data holds the flag as one byte.
int hid_set_nonblocking(hid_device* dev, int nonblock)
{
    Session s(CallKind::SetNonblocking, dev);
    s.call().data = {static_cast<std::uint8_t>(nonblock != 0)};
    if (!s.checkedDevice())
        return s.call().result;
    dev->nonblocking = nonblock != 0;
    return s.done(0);
}

// A command block: exactly 9 bytes, report id 0, to the command interface.
int hid_send_feature_report(hid_device* dev, const unsigned char* data, size_t length)
{
    Session s(CallKind::SendFeature, dev);
    s.recordOutput(data, length);
    DeviceSlot* slot = s.commandDevice();
    if (!slot)
        return s.call().result;
    if (!data || length != kFeatureReportSize || data[0] != 0)
        return s.fail(kBadReport);
    const Block plain = slot->firmware.receiveBlock(data + 1);
    s.call().plainBlock.assign(plain.begin(), plain.end());
    return s.done(static_cast<int>(length));
}

// The reply block prepared by the last valid command (zeros before any).
int hid_get_feature_report(hid_device* dev, unsigned char* data, size_t length)
{
    Session s(CallKind::GetFeature, dev);
    s.call().length = length;
    DeviceSlot* slot = s.commandDevice();
    if (!slot)
        return s.call().result;
    if (!data || length < 1 || data[0] != 0)
        return s.fail(kBadReport);
    std::uint8_t report[kFeatureReportSize] = {0};
    const Block& reply = slot->firmware.wireReply();
    std::copy(reply.begin(), reply.end(), report + 1);
    const std::size_t n = s.handedBack(std::min(length, kFeatureReportSize));
    std::copy_n(report, n, data);
    s.call().data.assign(report, report + n);
    return s.done(static_cast<int>(n));
}

int hid_get_input_report(hid_device* dev, unsigned char* data, size_t length)
{
    (void)data;
    Session s(CallKind::GetInputReport, dev);
    s.call().length = length;
    if (!s.checkedDevice())
        return s.call().result;
    return s.fail(kUnsupported);
}

void hid_close(hid_device* dev)
{
    Session s(CallKind::Close, dev);
    if (!dev)
        return;
    freeInfo(dev->info);
    delete dev;
}

int hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return getString(dev, [](const DeviceSlot&, int) { return std::wstring(kManufacturer); },
                     string, maxlen);
}

int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return getString(dev, [](const DeviceSlot& slot, int) { return slot.config.product; },
                     string, maxlen);
}

int hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen)
{
    return getString(dev, [](const DeviceSlot&, int device) { return serialOf(device); },
                     string, maxlen);
}

// Like the hidraw backend: string descriptors by index are not available.
int hid_get_indexed_string(hid_device* dev, int string_index, wchar_t* string, size_t maxlen)
{
    (void)string_index;
    (void)string;
    Session s(CallKind::GetString, dev);
    s.call().length = maxlen;
    if (!s.checkedDevice())
        return s.call().result;
    return s.fail(kUnsupported);
}

hid_device_info* hid_get_device_info(hid_device* dev)
{
    Session s(CallKind::GetDeviceInfo, dev);
    DeviceSlot* slot = s.checkedDevice();
    if (!slot) {
        s.done(0);
        return nullptr;
    }
    if (!dev->info)
        dev->info = makeInfo(*slot, dev->device, dev->iface);
    s.done(1);
    return dev->info;
}

const wchar_t* hid_error(hid_device* dev)
{
    Session s(CallKind::Error, dev);
    return dev ? dev->lastError : s.lib().lastError;
}

const hid_api_version* hid_version(void)
{
    static const hid_api_version version = {HID_API_VERSION_MAJOR, HID_API_VERSION_MINOR,
                                            HID_API_VERSION_PATCH};
    Session s(CallKind::Version, nullptr);
    return &version;
}

const char* hid_version_str(void)
{
    Session s(CallKind::Version, nullptr);
    return HID_API_VERSION_STR;
}

} // extern "C"
