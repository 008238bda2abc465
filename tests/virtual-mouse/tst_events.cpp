// The event interface: queued reports, one per read, across threads; waits
// that end by report, timeout, unplug or reset.
#include "wire.h"

#include <QtTest>

#include <chrono>
#include <future>
#include <thread>

using namespace testing;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

struct ReadResult {
    int result;
    Bytes data;
    Clock::duration took;
};

ReadResult readOnce(hid_device* dev, int timeoutMs, std::size_t buffer = 64)
{
    Bytes data(buffer, 0);
    const auto started = Clock::now();
    const int n = timeoutMs == -1 ? hid_read(dev, data.data(), data.size())
                                  : hid_read_timeout(dev, data.data(), data.size(), timeoutMs);
    data.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return {n, data, Clock::now() - started};
}

// Starts a read on another thread and gives it time to block.
std::future<ReadResult> readLater(hid_device* dev, int timeoutMs)
{
    auto future = std::async(std::launch::async, readOnce, dev, timeoutMs, std::size_t{64});
    std::this_thread::sleep_for(50ms);
    return future;
}

} // namespace

class TestEvents : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        vmouse::reset();
        vmouse::clearClock();
        id = vmouse::addDevice({});
        events = hid_open_path(eventPath(id).c_str());
        QVERIFY(events);
    }
    void cleanup() { hid_close(events); }

    void oneReportPerReadInOrder();
    void timeoutWithoutReport();
    void blockingReadWakesForReportFromOtherThread();
    void readerLoopSeesEveryPress();
    void eventReadsWaitInRealTimeUnderClock();
    void unplugWakesBlockedReaders();
    void resetWakesBlockedReader();
    void unplugDropsQueueAndLaterReports();
    void reportsStayWithTheirDevice();

private:
    int id = -1;
    hid_device* events = nullptr;
};

void TestEvents::oneReportPerReadInOrder()
{
    vmouse::pressDpiButton(id, 3);
    vmouse::pushEvent(id, Bytes{0x06, 0x05, 0x01, 0x02, 0x09, 0x09});
    vmouse::pushEvent(id, Bytes{0x01, 0x02, 0x03});
    vmouse::pressDpiButton(id, 8);
    QCOMPARE(readOnce(events, 0).data, (Bytes{0x06, 0x07, 0x00, 0x03}));
    QCOMPARE(readOnce(events, 0).data, (Bytes{0x06, 0x05, 0x01, 0x02, 0x09, 0x09}));
    QCOMPARE(readOnce(events, 0).data, (Bytes{0x01, 0x02, 0x03}));
    // A buffer shorter than the report gets its length; the rest is lost.
    const ReadResult cut = readOnce(events, 0, 2);
    QCOMPARE(cut.result, 2);
    QCOMPARE(cut.data, (Bytes{0x06, 0x07}));
    QCOMPARE(readOnce(events, 0).result, 0);
    const vmouse::Call last = vmouse::record().back();
    QCOMPARE(last.kind, vmouse::CallKind::ReadTimeout);
    QCOMPARE(last.iface, 2);
    QCOMPARE(last.length, std::size_t{64});
}

void TestEvents::timeoutWithoutReport()
{
    const ReadResult r = readOnce(events, 150);
    QCOMPARE(r.result, 0);
    QVERIFY(r.took >= 150ms);
    QVERIFY(r.took < 1500ms);
    hid_set_nonblocking(events, 1);
    const ReadResult now = readOnce(events, -1);
    QCOMPARE(now.result, 0);
    QVERIFY(now.took < 100ms);
}

void TestEvents::blockingReadWakesForReportFromOtherThread()
{
    auto pending = readLater(events, -1);
    QCOMPARE(pending.wait_for(0ms), std::future_status::timeout);
    vmouse::pressDpiButton(id, 5);
    QCOMPARE(pending.wait_for(2s), std::future_status::ready);
    const ReadResult r = pending.get();
    QCOMPARE(r.result, 4);
    QCOMPARE(r.data, (Bytes{0x06, 0x07, 0x00, 0x05}));
    QCOMPARE(vmouse::record().back().timeoutMs, -1);
}

// The program's reader: open, read with 500 ms, close, again.
void TestEvents::readerLoopSeesEveryPress()
{
    std::vector<int> stages; // the reader's alone until it is joined
    std::thread reader([&] {
        const auto deadline = Clock::now() + 3s;
        while (stages.size() < 5 && Clock::now() < deadline) {
            hid_device* dev = hid_open_path(eventPath(id).c_str());
            unsigned char buf[4];
            if (hid_read_timeout(dev, buf, 4, 500) == 4)
                stages.push_back(buf[3]);
            hid_close(dev);
        }
    });
    for (int stage = 1; stage <= 5; ++stage) {
        vmouse::pressDpiButton(id, stage);
        std::this_thread::sleep_for(20ms);
    }
    reader.join();
    QCOMPARE(stages, (std::vector<int>{1, 2, 3, 4, 5}));
}

void TestEvents::eventReadsWaitInRealTimeUnderClock()
{
    ManualClock clock;
    vmouse::setClock(clock.hooks());
    auto pending = readLater(events, 2000);
    vmouse::pressDpiButton(id, 2);
    QCOMPARE(pending.wait_for(2s), std::future_status::ready);
    QCOMPARE(pending.get().result, 4);
    const ReadResult idle = readOnce(events, 80);
    QCOMPARE(idle.result, 0);
    QVERIFY(idle.took >= 80ms);
    QCOMPARE(clock.advancedMs.load(), 0);
    vmouse::clearClock();
}

void TestEvents::unplugWakesBlockedReaders()
{
    auto blocking = readLater(events, -1);
    hid_device* second = hid_open_path(eventPath(id).c_str());
    auto timed = readLater(second, 10000);
    const auto unplugged = Clock::now();
    vmouse::unplug(id);
    QCOMPARE(blocking.wait_for(2s), std::future_status::ready);
    QCOMPARE(timed.wait_for(2s), std::future_status::ready);
    QCOMPARE(blocking.get().result, -1);
    QCOMPARE(timed.get().result, -1);
    QVERIFY(Clock::now() - unplugged < 1s);
    QCOMPARE(readOnce(events, 100).result, -1); // and at once afterwards
    QVERIFY(!hid_open_path(eventPath(id).c_str()));
    hid_close(second);
}

void TestEvents::resetWakesBlockedReader()
{
    auto blocking = readLater(events, -1);
    vmouse::reset();
    QCOMPARE(blocking.wait_for(2s), std::future_status::ready);
    QCOMPARE(blocking.get().result, -1);
}

void TestEvents::unplugDropsQueueAndLaterReports()
{
    vmouse::pressDpiButton(id, 1);
    vmouse::unplug(id);
    vmouse::pressDpiButton(id, 2);
    vmouse::replug(id);
    hid_close(events);
    events = hid_open_path(eventPath(id).c_str());
    QCOMPARE(readOnce(events, 0).result, 0);
    vmouse::pressDpiButton(id, 3);
    QCOMPARE(readOnce(events, 0).data, (Bytes{0x06, 0x07, 0x00, 0x03}));
}

void TestEvents::reportsStayWithTheirDevice()
{
    const int other = vmouse::addDevice({});
    hid_device* otherEvents = hid_open_path(eventPath(other).c_str());
    hid_device* command = hid_open_path(commandPath(id).c_str());
    hid_device* mouse = hid_open_path("vmouse:0:0");
    vmouse::pressDpiButton(other, 4);
    QCOMPARE(readOnce(events, 0).result, 0);
    QCOMPARE(readOnce(command, 0).result, 0);
    QCOMPARE(readOnce(mouse, 0).result, 0);
    QCOMPARE(readOnce(otherEvents, 0).data, (Bytes{0x06, 0x07, 0x00, 0x04}));
    hid_close(otherEvents);
    hid_close(command);
    hid_close(mouse);
}

QTEST_APPLESS_MAIN(TestEvents)
#include "tst_events.moc"
