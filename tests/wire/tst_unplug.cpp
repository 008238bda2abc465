// The mouse pulled out in the middle of each kind of exchange, at every call
// of it in turn, with the real main window connected and its reader running:
// the exchange ends without hanging and frees the gate, the reader sees the
// removal and the view is disabled, and after replugging discovery connects
// again and the same exchange runs cleanly.
#include "fixturetree.h"
#include "myqquickview.h"
#include "virtual_mouse.h"
#include "virtualclock.h"
#include "widget.h"
#include "wirerig.h"

#include <QElapsedTimer>
#include <QQuickItem>
#include <QSettings>
#include <QTest>
#include <QThread>

#include <atomic>
#include <functional>

using vmouse::CallKind;

namespace {

// The virtual clock's hooks, counting the hidapi calls made on the GUI
// thread (the exchanges; the reader's calls come from its own thread) and
// unplugging the device just before the chosen one.
class UnplugAtCall
{
public:
    UnplugAtCall(VirtualClock& clock, int device)
        : clock(clock), device(device)
    {
        vmouse::ClockHooks hooks;
        hooks.nowUs = &UnplugAtCall::nowUs;
        hooks.advanceMs = &UnplugAtCall::advanceMs;
        hooks.ctx = this;
        vmouse::setClock(hooks);
    }
    ~UnplugAtCall() { vmouse::clearClock(); }

    // 0: never; n: just before the n-th GUI-thread call from now on.
    void arm(int n)
    {
        calls = 0;
        unplugAt = n;
    }
    int callsSinceArmed() const { return calls; }

private:
    static std::int64_t nowUs(void* ctx)
    {
        auto* self = static_cast<UnplugAtCall*>(ctx);
        if (QThread::currentThread() == QCoreApplication::instance()->thread()
            && ++self->calls == self->unplugAt)
            vmouse::unplug(self->device);   // the hook runs before the call takes the library's lock
        return self->clock.nowMs() * 1000;
    }
    static void advanceMs(void* ctx, int ms) { static_cast<UnplugAtCall*>(ctx)->clock.advance(ms); }

    VirtualClock& clock;
    int device;
    std::atomic<int> calls{0};
    std::atomic<int> unplugAt{0};
};

int eventReads()
{
    const auto calls = vmouse::record();
    return int(std::count_if(calls.begin(), calls.end(), [](const vmouse::Call& call) {
        return call.kind == CallKind::ReadTimeout && call.iface == 2;
    }));
}

uchar* raw(QByteArray& data) { return reinterpret_cast<uchar*>(data.data()); }

struct Exchange
{
    const char* name;
    // Runs the exchange on the connected window's transport.
    std::function<void(Widget&)> run;
};

QList<Exchange> exchanges()
{
    return {
        {"set", [](Widget& w) { w.hid.hid560_02H_SetCurrentProfile(2); }},
        {"set with bulk", [](Widget& w) {
             QByteArray block(128, char(0x5A));
             w.hid.hid560_0CH_setProfile(raw(block), 3);
         }},
        {"read", [](Widget& w) {
             uchar profile = 7;
             w.hid.hid560_82H_GetCurrentProfile(profile);
         }},
        {"read with bulk", [](Widget& w) {
             QByteArray block(128, char(0x11));
             w.hid.hid560_8CH_readProfile(raw(block), 1);
         }},
        {"link check", [](Widget& w) { w.hid.chkDeviceIsEnCode(w.hid.currentDevice); }},
    };
}

} // namespace

class Unplug : public QObject
{
    Q_OBJECT

private slots:
    void duringEveryCallOfEachExchange();
    void duringTheEventRead();
    void duringAProfileSwitch();
};

// Connects (or reconnects) the window as the device-change timer would.
bool connectWindow(Widget& window)
{
    window.checkDevice();
    return deviceConnected && window.hid.readerRunning;
}

void Unplug::duringEveryCallOfEachExchange()
{
    vmouse::reset();
    FixtureTree tree;
    VirtualClock clock;
    vmouse::DeviceConfig config;   // a 560 mouse: it has every kind of exchange
    const int device = vmouse::addDevice(config);
    UnplugAtCall unplugger(clock, device);
    DebugCapture debug;
    Widget window;
    QVERIFY(connectWindow(window));
    QTRY_VERIFY(window.view()->isEnabled());

    int tried = 0;
    for (const Exchange& exchange : exchanges()) {
        // The clean exchange, to count its calls.
        unplugger.arm(0);
        exchange.run(window);
        const int callCount = unplugger.callsSinceArmed();
        QVERIFY2(callCount >= 5, exchange.name);

        for (int at = 1; at <= callCount; ++at) {
            const QString where = QStringLiteral("%1, unplugged before call %2").arg(QLatin1String(exchange.name)).arg(at);
            QVERIFY2(window.view()->isEnabled(), qPrintable(where));
            const int removedBefore = debug.lines().count(QStringLiteral("Device removed"));
            unplugger.arm(at);
            QElapsedTimer real;
            real.start();
            const qint64 start = clock.nowMs();
            exchange.run(window);
            ++tried;
            QVERIFY2(!vmouse::isPlugged(device), qPrintable(where));
            QVERIFY2(clock.nowMs() - start <= 2 * 128 + 4 * 120 + 1000, qPrintable(where));
            QVERIFY2(real.elapsed() < 2000, qPrintable(where));
            QVERIFY2(window.hid.linkIdle, qPrintable(where));
            QVERIFY2(!window.hid.commandHandle, qPrintable(where));

            // The reader notices within a cycle and the view goes dark.
            QTRY_VERIFY2_WITH_TIMEOUT(!window.view()->isEnabled(), qPrintable(where), 2000);
            QTRY_VERIFY2_WITH_TIMEOUT(!window.hid.readerRunning, qPrintable(where), 2000);
            QCOMPARE(debug.lines().count(QStringLiteral("Device removed")), removedBefore + 1);

            // Replugged, the device-change notice arms discovery, which connects again.
            vmouse::replug(device);
            window.deviceChangeNotified();
            QVERIFY2(window.pollTimer.isActive(), qPrintable(where));
            window.pollTimer.stop();
            unplugger.arm(0);
            QVERIFY2(connectWindow(window), qPrintable(where));
            QTRY_VERIFY2(window.view()->isEnabled(), qPrintable(where));

            // And the same exchange runs to its end.
            vmouse::clearRecord();
            unplugger.arm(0);
            exchange.run(window);
            int failing = 0;
            for (const vmouse::Call& call : vmouse::record())
                failing += call.iface == 1 && call.kind != CallKind::Close && call.result < 0;
            QVERIFY2(failing == 0, qPrintable(where));
            QCOMPARE(unplugger.callsSinceArmed(), callCount);
        }
    }
    qInfo().noquote() << QStringLiteral("unplugged during %1 exchange positions").arg(tried);
    window.hid.stopReader();
}

void Unplug::duringTheEventRead()
{
    vmouse::reset();
    FixtureTree tree;
    VirtualClock clock;
    const int device = vmouse::addDevice(vmouse::DeviceConfig{});
    DebugCapture debug;
    Widget window;
    QVERIFY(connectWindow(window));
    QTRY_VERIFY(window.view()->isEnabled());
    for (int round = 0; round < 3; ++round) {
        // A cycle of the reader has passed; it now waits in its next read
        // (its open and close take microseconds of each 500 ms cycle).
        QTRY_VERIFY(eventReads() > 0);
        QTest::qWait(100);
        vmouse::unplug(device);
        QTRY_VERIFY_WITH_TIMEOUT(!window.view()->isEnabled(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!window.hid.readerRunning, 2000);
        QCOMPARE(debug.lines().count(QStringLiteral("Device removed")), round + 1);
        QVERIFY(window.hid.linkIdle);

        vmouse::replug(device);
        window.deviceChangeNotified();
        QVERIFY(window.pollTimer.isActive());
        window.pollTimer.stop();
        vmouse::clearRecord();
        QVERIFY(connectWindow(window));
        QTRY_VERIFY(window.view()->isEnabled());
        vmouse::pressDpiButton(device, 2);
        QTRY_COMPARE(window.view()->rootObject()->findChild<QObject*>(QStringLiteral("dpiSettingMain"))->property("currentDPI").toInt(), 1);
    }
    window.hid.stopReader();
}

// Pulled out at the fifth report of a profile switch: the switch stops
// there (one line, the rest refused without a call), the scene is no longer
// busy and shows the device gone, its count is not kept as the switch's
// total, and after replugging the next switch runs cleanly to its end.
void Unplug::duringAProfileSwitch()
{
    vmouse::reset();
    FixtureTree tree;
    VirtualClock clock;
    const int device = vmouse::addDevice(vmouse::DeviceConfig{});
    UnplugAtCall unplugger(clock, device);
    DebugCapture debug;
    Widget window;
    QVERIFY(connectWindow(window));
    QQuickItem* root = window.view()->rootObject();
    QTRY_VERIFY(root->property("isPownOn").toBool());
    QObject* busy = root->findChild<QObject*>(QStringLiteral("protectUIItem"));
    QTRY_VERIFY(!busy->property("isBusy").toBool());
    auto sendsSoFar = [] {
        const auto calls = vmouse::record();
        return std::count_if(calls.begin(), calls.end(), [](const vmouse::Call& call) {
            return call.kind == CallKind::SendFeature && call.result >= 0;
        });
    };

    vmouse::clearRecord();
    unplugger.arm(0);
    int sendsBeforeTheUnplug = 0;
    QObject::connect(&window.hid, &Hid_Thread::exchangeStarted, &window, [&] {
        if (++sendsBeforeTheUnplug == 5)
            vmouse::unplug(device);
    });
    QMetaObject::invokeMethod(root, "switchProfile", Q_ARG(QVariant, 1));
    QCOMPARE(sendsSoFar(), 4);
    QCOMPARE(debug.lines().count(QStringLiteral("Sequence stopped at a failed report")), 1);
    QVERIFY(root->property("sequenceFailed").toBool());
    QVERIFY(!busy->property("isBusy").toBool());
    QVERIFY(window.hid.linkIdle);
    QVERIFY(!window.hid.linkBusy());
    QTRY_VERIFY_WITH_TIMEOUT(root->property("deviceGone").toBool(), 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!window.hid.readerRunning, 2000);
    QVERIFY(!QSettings(QStringLiteral("./modules/setting/apConfig.bin"), QSettings::IniFormat)
                 .contains(QStringLiteral("progress/switch-560-gun")));
    QObject::disconnect(&window.hid, &Hid_Thread::exchangeStarted, &window, nullptr);

    vmouse::replug(device);
    QVERIFY(connectWindow(window));
    QTRY_VERIFY(!root->property("deviceGone").toBool());
    QTRY_VERIFY(!busy->property("isBusy").toBool());
    vmouse::clearRecord();
    QMetaObject::invokeMethod(root, "switchProfile", Q_ARG(QVariant, 0));
    int failing = 0;
    for (const vmouse::Call& call : vmouse::record())
        failing += call.iface == 1 && call.result < 0;
    QCOMPARE(failing, 0);
    QVERIFY(sendsSoFar() > 5);
    QVERIFY(!root->property("sequenceFailed").toBool());
    window.hid.stopReader();
}

QTEST_MAIN(Unplug)
#include "tst_unplug.moc"
