// Device notifications for a program that watches the hidraw subsystem with
// a libudev monitor. Only libvmouse.so has them: tests that link the static
// library may link the real libudev next to it.
//
// A monitor is emulated over an eventfd that is readable while events wait.
// Plugging a device in (addDevice, replug) queues one "add" per hidraw
// interface on every receiving monitor that lets hidraw through; unplugging
// (unplug, reset) queues one "remove" per interface.
//
// The program may link libudev and use it for other things (enumeration,
// sysfs attributes). So udev_new hands out libudev's own context when
// libudev is loaded, and every function here passes objects it did not
// create on to libudev's definition; libudev's internal calls, which the
// preload routes here as well, take the same way back. Only without any
// libudev does udev_new make a context of its own.
#include "library.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <set>

#include <dlfcn.h>
#include <sys/eventfd.h>
#include <unistd.h>

#pragma GCC visibility push(default)
#include <libudev.h>
#pragma GCC visibility pop

// libudev's next definition of `fn` after this library; null without
// libudev. Looked up again while missing: libudev may be loaded later.
#define VMOUSE_NEXT(fn)                                                                     \
    ([] {                                                                                   \
        static std::atomic<void*> next{nullptr};                                            \
        void* found = next.load(std::memory_order_acquire);                                 \
        if (!found) {                                                                       \
            found = dlsym(RTLD_NEXT, #fn);                                                  \
            next.store(found, std::memory_order_release);                                   \
        }                                                                                   \
        return reinterpret_cast<decltype(&fn)>(found);                                      \
    }())

// Our own context, made only when no libudev is loaded.
struct udev {
    int refs = 1;
};

struct udev_device {
    int refs = 1;
    struct udev* context = nullptr;
    std::string action, subsystem, devnode, syspath, devpath, sysname, seqnumText;
    unsigned long long seqnum = 0;
};

struct udev_monitor {
    int refs = 1;
    struct udev* context = nullptr;
    int fd = -1;             // eventfd: readable while `queue` is not empty
    bool broadcast = true;   // false for a monitor made without a netlink name
    bool receiving = false;  // after udev_monitor_enable_receiving
    std::vector<std::pair<std::string, std::optional<std::string>>> subsystems;
    bool tagFilter = false;  // our devices carry no tags: a tag filter passes none
    std::deque<udev_device*> queue; // each holds one reference for the program
};

namespace {

using namespace vmouse::detail;

constexpr std::size_t kMaxQueued = 4096; // events waiting on one monitor

struct Registry {
    std::mutex mutex;
    std::set<udev*> contexts;
    std::set<udev_monitor*> monitors;
    std::set<udev_device*> devices;
    unsigned long long seqnum = 0;
    std::uint64_t delivered = 0;
};

// Never destroyed: a program may unref its monitor from a static destructor.
Registry& registry()
{
    static Registry* instance = new Registry;
    return *instance;
}

// Runs `ours` under the registry lock if this library made `object`, and
// `other` (libudev's definition, unlocked) if it did not.
template <typename R, typename T, typename Ours, typename Other>
R dispatch(std::set<T*> Registry::*set, T* object, Ours ours, Other other)
{
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        if (object && (r.*set).count(object))
            return ours(r);
    }
    return other();
}

// Expects the registry mutex held.
void releaseDevice(Registry& r, udev_device* device)
{
    if (--device->refs > 0)
        return;
    r.devices.erase(device);
    delete device;
}

bool lets(const udev_monitor& m, std::string_view subsystem)
{
    if (!m.broadcast || !m.receiving || m.tagFilter)
        return false;
    if (m.subsystems.empty())
        return true;
    for (const auto& [filterSubsystem, devtype] : m.subsystems) {
        // A hidraw node has no devtype, so a filter naming one never matches.
        if (filterSubsystem == subsystem && !devtype)
            return true;
    }
    return false;
}

void signalReadable(const udev_monitor& m)
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(m.fd, &one, sizeof one);
}

void clearReadable(const udev_monitor& m)
{
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(m.fd, &count, sizeof count);
}

// The plug listener: runs under the library mutex, takes only the registry's.
void queuePlugEvents(int device, const DeviceSlot& slot, bool plugged)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (int iface = 0; iface < kInterfaceCount; ++iface) {
        if (!slot.hasInterface(iface))
            continue;
        const std::string sysname = "vmouse" + std::to_string(device) + "." + std::to_string(iface);
        const std::string devpath = "/devices/virtual/vmouse/vmouse" + std::to_string(device) +
                                    "/hidraw/" + sysname;
        const unsigned long long seqnum = ++r.seqnum; // one event: the same number on every monitor
        for (udev_monitor* m : r.monitors) {
            // A monitor nobody reads fills up and then drops, as a full
            // netlink socket does.
            if (!lets(*m, "hidraw") || m->queue.size() >= kMaxQueued)
                continue;
            auto* d = new udev_device;
            d->context = m->context;
            d->action = plugged ? "add" : "remove";
            d->subsystem = "hidraw";
            // The node is the hidapi path, as /dev/hidrawN is for the real backend.
            d->devnode = interfacePath(device, iface);
            d->devpath = devpath;
            d->syspath = "/sys" + devpath;
            d->sysname = sysname;
            d->seqnum = seqnum;
            d->seqnumText = std::to_string(seqnum);
            r.devices.insert(d);
            if (m->queue.empty())
                signalReadable(*m);
            m->queue.push_back(d);
        }
    }
}

std::vector<std::string> status()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    std::size_t receiving = 0, pending = 0;
    for (const udev_monitor* m : r.monitors) {
        receiving += m->receiving ? 1 : 0;
        pending += m->queue.size();
    }
    return {"monitors " + std::to_string(r.monitors.size()),
            "receiving " + std::to_string(receiving),
            "delivered " + std::to_string(r.delivered),
            "pending " + std::to_string(pending)};
}

__attribute__((constructor)) void registerNotifications()
{
    Library& lib = library();
    std::lock_guard lock(lib.mutex);
    lib.plugListener = queuePlugEvents;
    sharedHooks().udevStatus = status;
}

} // namespace

extern "C" {

// --- context ----------------------------------------------------------------

struct udev* udev_new(void)
{
    if (const auto next = VMOUSE_NEXT(udev_new))
        return next();
    auto* context = new udev;
    std::lock_guard lock(registry().mutex);
    registry().contexts.insert(context);
    return context;
}

struct udev* udev_ref(struct udev* context)
{
    return dispatch<udev*>(
        &Registry::contexts, context, [&](Registry&) { ++context->refs; return context; },
        [&] {
            const auto next = VMOUSE_NEXT(udev_ref);
            return next ? next(context) : context;
        });
}

struct udev* udev_unref(struct udev* context)
{
    return dispatch<udev*>(
        &Registry::contexts, context,
        [&](Registry& r) {
            if (--context->refs == 0) {
                r.contexts.erase(context);
                delete context;
            }
            return nullptr;
        },
        [&] {
            const auto next = VMOUSE_NEXT(udev_unref);
            return next ? next(context) : nullptr;
        });
}

// --- monitor ----------------------------------------------------------------

// Every monitor is ours, whatever context it is made from: the events of
// the emulated devices stand in for the system's.
struct udev_monitor* udev_monitor_new_from_netlink(struct udev* context, const char* name)
{
    const std::string_view group = name ? name : "";
    if (name && group != "udev" && group != "kernel") {
        errno = EINVAL;
        return nullptr;
    }
    const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    auto* m = new udev_monitor;
    m->context = context;
    m->fd = fd;
    m->broadcast = name != nullptr;
    std::lock_guard lock(registry().mutex);
    registry().monitors.insert(m);
    return m;
}

// The monitor functions below with a result of type R: `ours` for our
// monitors, else libudev's, else `fallback`.
#define VMOUSE_MONITOR(R, fn, fallback, ours, ...)                                          \
    dispatch<R>(&Registry::monitors, monitor, ours, [&]() -> R {                            \
        const auto next = VMOUSE_NEXT(fn);                                                  \
        return next ? next(monitor __VA_OPT__(, ) __VA_ARGS__) : fallback;                  \
    })

struct udev_monitor* udev_monitor_ref(struct udev_monitor* monitor)
{
    return VMOUSE_MONITOR(udev_monitor*, udev_monitor_ref, monitor, [&](Registry&) {
        ++monitor->refs;
        return monitor;
    });
}

struct udev_monitor* udev_monitor_unref(struct udev_monitor* monitor)
{
    return VMOUSE_MONITOR(udev_monitor*, udev_monitor_unref, nullptr, [&](Registry& r) {
        if (--monitor->refs == 0) {
            r.monitors.erase(monitor);
            for (udev_device* d : monitor->queue)
                releaseDevice(r, d);
            close(monitor->fd);
            delete monitor;
        }
        return nullptr;
    });
}

struct udev* udev_monitor_get_udev(struct udev_monitor* monitor)
{
    return VMOUSE_MONITOR(udev*, udev_monitor_get_udev, nullptr,
                          [&](Registry&) { return monitor->context; });
}

int udev_monitor_enable_receiving(struct udev_monitor* monitor)
{
    return VMOUSE_MONITOR(int, udev_monitor_enable_receiving, -EINVAL, [&](Registry&) {
        monitor->receiving = true;
        return 0;
    });
}

int udev_monitor_set_receive_buffer_size(struct udev_monitor* monitor, int size)
{
    return VMOUSE_MONITOR(int, udev_monitor_set_receive_buffer_size, -EINVAL,
                          [&](Registry&) { return 0; }, size);
}

int udev_monitor_get_fd(struct udev_monitor* monitor)
{
    return VMOUSE_MONITOR(int, udev_monitor_get_fd, -EINVAL,
                          [&](Registry&) { return monitor->fd; });
}

// Never blocks: one waiting event, or NULL with errno EAGAIN.
struct udev_device* udev_monitor_receive_device(struct udev_monitor* monitor)
{
    return VMOUSE_MONITOR(udev_device*, udev_monitor_receive_device, nullptr,
                          [&](Registry& r) -> udev_device* {
                              if (monitor->queue.empty()) {
                                  errno = EAGAIN;
                                  return nullptr;
                              }
                              udev_device* d = monitor->queue.front();
                              monitor->queue.pop_front();
                              if (monitor->queue.empty())
                                  clearReadable(*monitor);
                              ++r.delivered;
                              return d;
                          });
}

// Filters apply to the events queued from then on, so
// udev_monitor_filter_update has nothing left to do.
int udev_monitor_filter_add_match_subsystem_devtype(struct udev_monitor* monitor,
                                                    const char* subsystem, const char* devtype)
{
    return VMOUSE_MONITOR(
        int, udev_monitor_filter_add_match_subsystem_devtype, -EINVAL,
        [&](Registry&) {
            if (!subsystem)
                return -EINVAL;
            monitor->subsystems.emplace_back(
                subsystem, devtype ? std::optional<std::string>(devtype) : std::nullopt);
            return 0;
        },
        subsystem, devtype);
}

int udev_monitor_filter_add_match_tag(struct udev_monitor* monitor, const char* tag)
{
    return VMOUSE_MONITOR(
        int, udev_monitor_filter_add_match_tag, -EINVAL,
        [&](Registry&) {
            if (!tag)
                return -EINVAL;
            monitor->tagFilter = true;
            return 0;
        },
        tag);
}

int udev_monitor_filter_update(struct udev_monitor* monitor)
{
    return VMOUSE_MONITOR(int, udev_monitor_filter_update, -EINVAL, [&](Registry&) { return 0; });
}

int udev_monitor_filter_remove(struct udev_monitor* monitor)
{
    return VMOUSE_MONITOR(int, udev_monitor_filter_remove, -EINVAL, [&](Registry&) {
        monitor->subsystems.clear();
        monitor->tagFilter = false;
        return 0;
    });
}
#undef VMOUSE_MONITOR

// --- device -----------------------------------------------------------------

#define VMOUSE_DEVICE(R, fn, fallback, ours, ...)                                           \
    dispatch<R>(&Registry::devices, device, ours, [&]() -> R {                              \
        const auto next = VMOUSE_NEXT(fn);                                                  \
        return next ? next(device __VA_OPT__(, ) __VA_ARGS__) : fallback;                   \
    })

struct udev_device* udev_device_ref(struct udev_device* device)
{
    return VMOUSE_DEVICE(udev_device*, udev_device_ref, device, [&](Registry&) {
        ++device->refs;
        return device;
    });
}

struct udev_device* udev_device_unref(struct udev_device* device)
{
    return VMOUSE_DEVICE(udev_device*, udev_device_unref, nullptr, [&](Registry& r) {
        releaseDevice(r, device);
        return nullptr;
    });
}

struct udev* udev_device_get_udev(struct udev_device* device)
{
    return VMOUSE_DEVICE(udev*, udev_device_get_udev, nullptr,
                         [&](Registry&) { return device->context; });
}

// The text of an event never changes after it is made.
#define VMOUSE_DEVICE_TEXT(fn, field)                                                       \
    const char* fn(struct udev_device* device)                                              \
    {                                                                                       \
        return VMOUSE_DEVICE(const char*, fn, nullptr,                                      \
                             [&](Registry&) { return device->field.c_str(); });             \
    }

VMOUSE_DEVICE_TEXT(udev_device_get_action, action)
VMOUSE_DEVICE_TEXT(udev_device_get_subsystem, subsystem)
VMOUSE_DEVICE_TEXT(udev_device_get_devnode, devnode)
VMOUSE_DEVICE_TEXT(udev_device_get_syspath, syspath)
VMOUSE_DEVICE_TEXT(udev_device_get_devpath, devpath)
VMOUSE_DEVICE_TEXT(udev_device_get_sysname, sysname)
#undef VMOUSE_DEVICE_TEXT

const char* udev_device_get_devtype(struct udev_device* device)
{
    // hidraw nodes have none
    return VMOUSE_DEVICE(const char*, udev_device_get_devtype, nullptr,
                         [&](Registry&) -> const char* { return nullptr; });
}

unsigned long long int udev_device_get_seqnum(struct udev_device* device)
{
    return VMOUSE_DEVICE(unsigned long long, udev_device_get_seqnum, 0,
                         [&](Registry&) { return device->seqnum; });
}

int udev_device_get_is_initialized(struct udev_device* device)
{
    return VMOUSE_DEVICE(int, udev_device_get_is_initialized, -EINVAL,
                         [&](Registry&) { return 1; });
}

const char* udev_device_get_property_value(struct udev_device* device, const char* key)
{
    return VMOUSE_DEVICE(
        const char*, udev_device_get_property_value, nullptr,
        [&](Registry&) -> const char* {
            const std::string_view name = key ? key : "";
            if (name == "ACTION")
                return device->action.c_str();
            if (name == "SUBSYSTEM")
                return device->subsystem.c_str();
            if (name == "DEVNAME")
                return device->devnode.c_str();
            if (name == "DEVPATH")
                return device->devpath.c_str();
            if (name == "SEQNUM")
                return device->seqnumText.c_str();
            return nullptr;
        },
        key);
}

// The emulated nodes stand alone: no sysfs attributes, no parents. A program
// that climbs to the USB parent finds none, instead of libudev reading our
// objects as its own.
const char* udev_device_get_sysattr_value(struct udev_device* device, const char* sysattr)
{
    return VMOUSE_DEVICE(
        const char*, udev_device_get_sysattr_value, nullptr,
        [&](Registry&) -> const char* {
            errno = ENOENT;
            return nullptr;
        },
        sysattr);
}

struct udev_device* udev_device_get_parent(struct udev_device* device)
{
    return VMOUSE_DEVICE(udev_device*, udev_device_get_parent, nullptr,
                         [&](Registry&) -> udev_device* {
                             errno = ENOENT;
                             return nullptr;
                         });
}

struct udev_device* udev_device_get_parent_with_subsystem_devtype(struct udev_device* device,
                                                                  const char* subsystem,
                                                                  const char* devtype)
{
    return VMOUSE_DEVICE(
        udev_device*, udev_device_get_parent_with_subsystem_devtype, nullptr,
        [&](Registry&) -> udev_device* {
            errno = ENOENT;
            return nullptr;
        },
        subsystem, devtype);
}
#undef VMOUSE_DEVICE

} // extern "C"
