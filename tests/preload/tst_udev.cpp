// The emulated udev monitors of libvmouse.so in a process without libudev:
// which plug changes make events, which monitors get them, what an event
// carries, and when the monitor's fd is readable. Devices are driven with
// the control API of the same library.
#include "virtual_mouse.h"

#include <QtTest>

#include <libudev.h>

#include <cerrno>
#include <dlfcn.h>
#include <poll.h>
#include <thread>

namespace {

bool readable(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) == 1 && (p.revents & POLLIN);
}

QStringList drain(udev_monitor* monitor)
{
    QStringList events;
    while (udev_device* d = udev_monitor_receive_device(monitor)) {
        events << QStringLiteral("%1 %2").arg(udev_device_get_action(d), udev_device_get_devnode(d));
        udev_device_unref(d);
    }
    return events;
}

QStringList statusLines()
{
    const QString answer = QString::fromStdString(vmouse::controlRequest("udev"));
    return answer.split('\n', Qt::SkipEmptyParts);
}

// Events handed to the program so far, by every monitor since load.
int delivered()
{
    const QString line = statusLines().value(2);
    return line.startsWith("delivered ") ? line.mid(10).toInt() : -1;
}

} // namespace

class TestUdev : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void contextOfOurOwnWithoutLibudev();
    void oneEventPerHidrawInterface();
    void onlyRealChangesMakeEvents();
    void resetRemovesPluggedDevicesOnly();
    void whichMonitorsHearHidraw();
    void badMonitorNamesAreRefused();
    void readableExactlyWhileEventsWait();
    void eventCarriesItsNodeAndNumber();
    void eventOutlivesItsMonitor();
    void eventsFromAnotherThreadWakePoll();
    void unreadMonitorStopsAtItsLimit();
    void unknownObjectsAreRefused();

private:
    udev_monitor* hidrawMonitor();

    udev* context = nullptr;
    std::vector<udev_monitor*> monitors; // unref'd in cleanup
};

void TestUdev::initTestCase()
{
    // The premise: nothing else in this process defines libudev's functions.
    QVERIFY(!dlsym(RTLD_DEFAULT, "udev_enumerate_new"));
}

void TestUdev::init()
{
    vmouse::reset();
    context = udev_new();
    QVERIFY(context);
}

void TestUdev::cleanup()
{
    for (udev_monitor* m : monitors)
        udev_monitor_unref(m);
    monitors.clear();
    udev_unref(context);
    context = nullptr;
    QCOMPARE(statusLines().value(0), QStringLiteral("monitors 0"));
}

udev_monitor* TestUdev::hidrawMonitor()
{
    udev_monitor* m = udev_monitor_new_from_netlink(context, "udev");
    if (!m)
        return nullptr;
    monitors.push_back(m);
    if (udev_monitor_filter_add_match_subsystem_devtype(m, "hidraw", nullptr) != 0 ||
        udev_monitor_enable_receiving(m) != 0)
        return nullptr;
    return m;
}

void TestUdev::contextOfOurOwnWithoutLibudev()
{
    QCOMPARE(udev_ref(context), context);
    QCOMPARE(udev_unref(context), nullptr); // one reference left for cleanup
    udev_monitor* m = hidrawMonitor();
    QVERIFY(m);
    QCOMPARE(udev_monitor_get_udev(m), context);
    QCOMPARE(udev_monitor_ref(m), m);
    QCOMPARE(udev_monitor_unref(m), nullptr);
    QCOMPARE(statusLines().value(0), QStringLiteral("monitors 1")); // still referenced
}

void TestUdev::oneEventPerHidrawInterface()
{
    udev_monitor* m = hidrawMonitor();
    QVERIFY(m);
    vmouse::addDevice({});
    vmouse::DeviceConfig noEvents;
    noEvents.hasEventInterface = false;
    vmouse::addDevice(noEvents);
    vmouse::DeviceConfig bootOnly;
    bootOnly.hasEventInterface = false;
    bootOnly.hasCommandInterface = false;
    vmouse::addDevice(bootOnly);
    QCOMPARE(drain(m), (QStringList{"add vmouse:0:0", "add vmouse:0:1", "add vmouse:0:2",
                                    "add vmouse:1:0", "add vmouse:1:1", "add vmouse:2:0"}));
    vmouse::unplug(1);
    QCOMPARE(drain(m), (QStringList{"remove vmouse:1:0", "remove vmouse:1:1"}));
}

void TestUdev::onlyRealChangesMakeEvents()
{
    vmouse::addDevice({}); // before the monitor: not heard
    udev_monitor* m = hidrawMonitor();
    QVERIFY(m);
    QCOMPARE(drain(m), QStringList{});
    vmouse::replug(0); // already in
    QCOMPARE(drain(m), QStringList{});
    vmouse::unplug(0);
    vmouse::unplug(0);
    QCOMPARE(drain(m).size(), 3);
    vmouse::replug(0);
    vmouse::replug(0);
    QCOMPARE(drain(m), (QStringList{"add vmouse:0:0", "add vmouse:0:1", "add vmouse:0:2"}));
    // The DPI button and reports are no plug changes.
    vmouse::pressDpiButton(0, 2);
    QCOMPARE(drain(m), QStringList{});
}

void TestUdev::resetRemovesPluggedDevicesOnly()
{
    vmouse::addDevice({});
    vmouse::addDevice({});
    vmouse::unplug(0);
    udev_monitor* m = hidrawMonitor();
    QVERIFY(m);
    vmouse::reset();
    QCOMPARE(drain(m), (QStringList{"remove vmouse:1:0", "remove vmouse:1:1", "remove vmouse:1:2"}));
}

// Each monitor gets the same plug-in; only those whose filters let hidraw
// through, and that receive, hear it.
void TestUdev::whichMonitorsHearHidraw()
{
    struct Case {
        const char* name;
        const char* netlink;
        std::vector<std::pair<const char*, const char*>> subsystems;
        bool tag, removeFilters, enable;
        int expected;
    };
    const std::vector<Case> cases = {
        {"no filter", "udev", {}, false, false, true, 3},
        {"hidraw", "udev", {{"hidraw", nullptr}}, false, false, true, 3},
        {"kernel group", "kernel", {{"hidraw", nullptr}}, false, false, true, 3},
        {"input and hidraw", "udev", {{"input", nullptr}, {"hidraw", nullptr}}, false, false, true, 3},
        {"input", "udev", {{"input", nullptr}}, false, false, true, 0},
        {"hidraw with devtype", "udev", {{"hidraw", "usb_device"}}, false, false, true, 0},
        {"tag", "udev", {}, true, false, true, 0},
        {"filters removed", "udev", {{"input", nullptr}}, true, true, true, 3},
        {"not receiving", "udev", {{"hidraw", nullptr}}, false, false, false, 0},
        {"no netlink group", nullptr, {}, false, false, true, 0},
    };
    std::vector<udev_monitor*> made;
    for (const Case& c : cases) {
        udev_monitor* m = udev_monitor_new_from_netlink(context, c.netlink);
        QVERIFY2(m, c.name);
        monitors.push_back(m);
        made.push_back(m);
        for (const auto& [subsystem, devtype] : c.subsystems)
            QCOMPARE(udev_monitor_filter_add_match_subsystem_devtype(m, subsystem, devtype), 0);
        if (c.tag)
            QCOMPARE(udev_monitor_filter_add_match_tag(m, "seat"), 0);
        if (c.removeFilters)
            QCOMPARE(udev_monitor_filter_remove(m), 0);
        if (c.enable)
            QCOMPARE(udev_monitor_enable_receiving(m), 0);
    }
    vmouse::addDevice({});
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const int fd = udev_monitor_get_fd(made[i]);
        QVERIFY2(readable(fd, 0) == (cases[i].expected > 0), cases[i].name);
        QVERIFY2(drain(made[i]).size() == cases[i].expected, cases[i].name);
    }
    QCOMPARE(udev_monitor_filter_add_match_subsystem_devtype(made[0], nullptr, nullptr), -EINVAL);
}

void TestUdev::badMonitorNamesAreRefused()
{
    errno = 0;
    QCOMPARE(udev_monitor_new_from_netlink(context, "netlink"), nullptr);
    QCOMPARE(errno, EINVAL);
    QCOMPARE(statusLines().value(0), QStringLiteral("monitors 0"));
}

void TestUdev::readableExactlyWhileEventsWait()
{
    udev_monitor* m = hidrawMonitor();
    QVERIFY(m);
    const int fd = udev_monitor_get_fd(m);
    QVERIFY(fd >= 0);
    QVERIFY(!readable(fd, 0));
    const int deliveredBefore = delivered();
    vmouse::addDevice({});
    for (int left = 3; left > 0; --left) {
        QVERIFY(readable(fd, 0));
        udev_device* d = udev_monitor_receive_device(m);
        QVERIFY(d);
        udev_device_unref(d);
    }
    QVERIFY(!readable(fd, 0));
    errno = 0;
    QCOMPARE(udev_monitor_receive_device(m), nullptr); // never blocks
    QCOMPARE(errno, EAGAIN);
    vmouse::unplug(0);
    QVERIFY(readable(fd, 0)); // and readable again for the next change
    QCOMPARE(delivered(), deliveredBefore + 3);
    QCOMPARE(statusLines(), (QStringList{"monitors 1", "receiving 1",
                                         "delivered " + QString::number(deliveredBefore + 3),
                                         "pending 3", "ok"}));
}

void TestUdev::eventCarriesItsNodeAndNumber()
{
    udev_monitor* first = hidrawMonitor();
    udev_monitor* second = hidrawMonitor();
    QVERIFY(first && second);
    vmouse::addDevice({});
    vmouse::addDevice({});
    vmouse::unplug(1);

    std::vector<unsigned long long> numbers;
    for (int i = 0; i < 9; ++i) {
        udev_device* a = udev_monitor_receive_device(first);
        udev_device* b = udev_monitor_receive_device(second);
        QVERIFY(a && b && a != b);
        // One event, one number, on every monitor; rising from event to event.
        QCOMPARE(udev_device_get_seqnum(a), udev_device_get_seqnum(b));
        numbers.push_back(udev_device_get_seqnum(a));
        QCOMPARE(udev_device_get_devnode(a), udev_device_get_devnode(b));
        udev_device_unref(b);
        if (i == 7) { // the second interface of device 1, unplugged
            QCOMPARE(udev_device_get_action(a), "remove");
            QCOMPARE(udev_device_get_devnode(a), "vmouse:1:1");
            QCOMPARE(udev_device_get_subsystem(a), "hidraw");
            QCOMPARE(udev_device_get_sysname(a), "vmouse1.1");
            QCOMPARE(udev_device_get_devpath(a), "/devices/virtual/vmouse/vmouse1/hidraw/vmouse1.1");
            QCOMPARE(udev_device_get_syspath(a), "/sys/devices/virtual/vmouse/vmouse1/hidraw/vmouse1.1");
            QCOMPARE(udev_device_get_devtype(a), nullptr);
            QCOMPARE(udev_device_get_udev(a), context);
            QCOMPARE(udev_device_get_is_initialized(a), 1);
            QCOMPARE(udev_device_get_property_value(a, "ACTION"), "remove");
            QCOMPARE(udev_device_get_property_value(a, "DEVNAME"), "vmouse:1:1");
            QCOMPARE(udev_device_get_property_value(a, "SUBSYSTEM"), "hidraw");
            QCOMPARE(QByteArray(udev_device_get_property_value(a, "SEQNUM")),
                     QByteArray::number(udev_device_get_seqnum(a)));
            QCOMPARE(udev_device_get_property_value(a, "ID_VENDOR"), nullptr);
            QCOMPARE(udev_device_get_sysattr_value(a, "uevent"), nullptr);
            QCOMPARE(udev_device_get_parent(a), nullptr);
            QCOMPARE(udev_device_get_parent_with_subsystem_devtype(a, "usb", "usb_device"), nullptr);
        }
        udev_device_unref(a);
    }
    for (std::size_t i = 1; i < numbers.size(); ++i)
        QVERIFY(numbers[i] > numbers[i - 1]);
}

void TestUdev::eventOutlivesItsMonitor()
{
    udev_monitor* m = udev_monitor_new_from_netlink(context, "udev");
    QVERIFY(m);
    QCOMPARE(udev_monitor_enable_receiving(m), 0);
    const int deliveredBefore = delivered();
    vmouse::addDevice({});
    udev_device* kept = udev_monitor_receive_device(m);
    QVERIFY(kept);
    QCOMPARE(udev_device_ref(kept), kept);
    udev_device_unref(kept);
    // Two events still queued go with the monitor.
    QCOMPARE(udev_monitor_unref(m), nullptr);
    QCOMPARE(statusLines(), (QStringList{"monitors 0", "receiving 0",
                                         "delivered " + QString::number(deliveredBefore + 1),
                                         "pending 0", "ok"}));
    QCOMPARE(udev_device_get_devnode(kept), "vmouse:0:0");
    udev_device_unref(kept);
    // Gone now: no longer ours, and without libudev nobody else's.
    QCOMPARE(udev_device_get_devnode(kept), nullptr);
}

void TestUdev::eventsFromAnotherThreadWakePoll()
{
    udev_monitor* m = hidrawMonitor();
    QVERIFY(m);
    vmouse::addDevice({});
    QCOMPARE(drain(m).size(), 3);
    std::thread plugger([] { vmouse::unplug(0); });
    const bool woke = readable(udev_monitor_get_fd(m), 5000);
    plugger.join();
    QVERIFY(woke);
    QCOMPARE(drain(m).value(0), QStringLiteral("remove vmouse:0:0"));
}

// 4096 waiting events, like a full netlink socket: later ones are dropped
// rather than piling up in a program that never reads.
void TestUdev::unreadMonitorStopsAtItsLimit()
{
    udev_monitor* m = hidrawMonitor();
    QVERIFY(m);
    vmouse::addDevice({});
    for (int i = 0; i < 700; ++i) { // 3 + 700 * 6 events
        vmouse::unplug(0);
        vmouse::replug(0);
    }
    QCOMPARE(statusLines().value(3), QStringLiteral("pending 4096"));
    const QStringList events = drain(m);
    QCOMPARE(events.size(), 4096);
    QCOMPARE(events.first(), QStringLiteral("add vmouse:0:0"));
    QCOMPARE(events.last(), QStringLiteral("remove vmouse:0:0")); // 4096 = 3 + 682 * 6 + 1
    // Drained, it takes events again.
    vmouse::unplug(0);
    QCOMPARE(drain(m).size(), 3);
}

void TestUdev::unknownObjectsAreRefused()
{
    int notOurs[16] = {0};
    auto* monitor = reinterpret_cast<udev_monitor*>(notOurs);
    auto* device = reinterpret_cast<udev_device*>(notOurs);
    QCOMPARE(udev_monitor_get_fd(monitor), -EINVAL);
    QCOMPARE(udev_monitor_enable_receiving(monitor), -EINVAL);
    QCOMPARE(udev_monitor_receive_device(monitor), nullptr);
    QCOMPARE(udev_monitor_unref(monitor), nullptr);
    QCOMPARE(udev_device_get_action(device), nullptr);
    QCOMPARE(udev_device_unref(device), nullptr);
    QCOMPARE(udev_monitor_get_fd(nullptr), -EINVAL);
    QCOMPARE(udev_device_get_devnode(nullptr), nullptr);
    for (int word : notOurs)
        QCOMPARE(word, 0); // nothing was written through them
}

QTEST_GUILESS_MAIN(TestUdev)
#include "tst_udev.moc"
