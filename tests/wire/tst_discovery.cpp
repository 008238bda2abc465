// Discovery and connection with the real main window, its bridge and main
// document, against virtual devices: which device is connected, the exact
// traffic of the connection on both families, the reader's effects on the
// screen, removal and rediscovery, and the polling timer's rule.
#include "fixturetree.h"
#include "myqquickview.h"
#include "dpiswitchtexts.h"
#include "virtual_mouse.h"
#include "virtualclock.h"
#include "widget.h"
#include "wirerig.h"

#include <QQuickItem>
#include <QTest>

using vmouse::CallKind;

namespace {

vmouse::DeviceConfig keyboardConfig()
{
    vmouse::DeviceConfig config;
    config.pid = 0x8008;
    config.usagePage = 0xff01;
    config.usage = 0x0001;
    config.usagePage2 = 0xff02;
    config.usage2 = 0x0001;
    config.reportLength = 64;
    config.family = vmouse::Family::Fw553;
    return config;
}

vmouse::DeviceConfig mouseConfig(vmouse::Family family = vmouse::Family::Fw560)
{
    vmouse::DeviceConfig config;
    config.family = family;
    return config;
}

QList<QByteArray> plainBlocks()
{
    QList<QByteArray> out;
    for (const vmouse::Call& call : vmouse::record())
        if (call.kind == CallKind::SendFeature)
            out.append(bytes(call.plainBlock));
    return out;
}

QByteArray code(const QByteArray& block) { return block.left(1); }

// One test world: a private data tree, the virtual clock, devices.
struct World
{
    World()
    {
        vmouse::reset();
        deviceConnected = false;
    }
    ~World()
    {
        vmouse::reset();
    }
    FixtureTree tree;
    VirtualClock clock;
};

QQuickItem* root(Widget& window)
{
    return window.view()->rootObject();
}

// The stage the DPI page highlights, counted from 0.
int shownStage(Widget& window)
{
    return root(window)->findChild<QObject*>(QStringLiteral("dpiSettingMain"))->property("currentDPI").toInt();
}

// Whether a protection period runs ("LOADING ......" shows).
bool protecting(Widget& window)
{
    return root(window)->findChild<QObject*>(QStringLiteral("protectUIItem"))->property("isBusy").toBool();
}

} // namespace

class Discovery : public QObject
{
    Q_OBJECT

private slots:
    void firstDeviceThatAnswersIsConnected();
    void deviceFailingTheLinkCheckIsSkipped();
    void nothingAnswersHidesTheWindow();
    void missingEventInterfaceStillConnects();
    void tableEntryForAnyDevice();
    void connectionTraffic_data();
    void connectionTraffic();
    void switchesTheDeviceToProfileOne();
    void stageReportsReachTheScreen();
    void removalAndRediscovery();
    void removalDuringProtectionKeepsTheViewDisabled();
    void pollTimerRule();
    void restoreOnlyWhileConnected();
};

void Discovery::firstDeviceThatAnswersIsConnected()
{
    World world;
    vmouse::addDevice(keyboardConfig());
    vmouse::addDevice(mouseConfig());
    DebugCapture debug;
    Widget window;
    window.checkDevice();
    QVERIFY(deviceConnected);
    QCOMPARE(window.hid.currentDevice, 0);
    QVERIFY(debug.lines().contains(QStringLiteral("Device Connect")));
    QVERIFY(debug.lines().contains(QStringLiteral("Info: Detect Device")));
    // The keyboard (group 0) answered; the mouse was never asked.
    for (const vmouse::Call& call : vmouse::record())
        if (call.kind == CallKind::SendFeature)
            QCOMPARE(call.device, 0);
    QVERIFY(window.hid.readerRunning);
    window.hid.stopReader();
}

void Discovery::deviceFailingTheLinkCheckIsSkipped()
{
    World world;
    vmouse::DeviceConfig silent = keyboardConfig();
    silent.answersEcho = false;
    vmouse::addDevice(silent);
    vmouse::addDevice(mouseConfig());
    Widget window;
    window.checkDevice();
    QVERIFY(deviceConnected);
    QCOMPARE(window.hid.currentDevice, 1);
    window.hid.stopReader();
}

void Discovery::nothingAnswersHidesTheWindow()
{
    World world;
    vmouse::DeviceConfig silent = mouseConfig();
    silent.answersEcho = false;
    vmouse::addDevice(silent);
    DebugCapture debug;
    Widget window;
    window.showNormal();
    window.checkDevice();
    QVERIFY(!deviceConnected);
    QVERIFY(debug.lines().contains(QStringLiteral("Device DisConnect")));
    QVERIFY(!debug.lines().contains(QStringLiteral("Info: Detect Device")));
    QVERIFY(!window.hid.readerRunning);
    // Hidden into the tray, or minimised where the desktop has none.
    QVERIFY(!window.isVisible() || window.isMinimized());
    QCOMPARE(window.hid.currentDevice, 1);   // the last index tried

    // An empty table reads as nothing attached.
    World empty;
    Widget other;
    empty.tree.setDeviceTable({});
    DebugCapture again;
    other.checkDevice();
    QVERIFY(!deviceConnected);
    QVERIFY(again.lines().contains(QStringLiteral("Device DisConnect")));
    // It says why, naming the file, once however often discovery runs.
    other.checkDevice();
    const QString why = QStringLiteral("No device table in %1 (common/deviceCount missing or 0): no device can be found")
                            .arg(QFileInfo(QStringLiteral("modules/setting/apConfig.bin")).absoluteFilePath());
    QCOMPARE(again.lines().count(why), 1);
    QCOMPARE(again.lines().count(QStringLiteral("Device DisConnect")), 2);
}

void Discovery::missingEventInterfaceStillConnects()
{
    World world;
    vmouse::DeviceConfig config = mouseConfig();
    config.hasEventInterface = false;
    vmouse::addDevice(config);
    Widget window;
    window.checkDevice();
    QVERIFY(deviceConnected);
    QVERIFY(window.hid.deviceList[1].eventPath.isEmpty());
    window.hid.readerFuture.waitForFinished();
    for (const vmouse::Call& call : vmouse::record())
        QVERIFY(call.iface != 2);
}

void Discovery::tableEntryForAnyDevice()
{
    // vid and pid 0 enumerate every HID device; only the usages choose.
    World world;
    vmouse::DeviceConfig other = mouseConfig();
    other.vid = 0x1234;
    other.pid = 0x5678;
    vmouse::addDevice(other);
    world.tree.setDeviceTable({{{QStringLiteral("vid"), QStringLiteral("0")}, {QStringLiteral("pid"), QStringLiteral("0")},
                                {QStringLiteral("usagePage"), QStringLiteral("ff00")}, {QStringLiteral("usage"), QStringLiteral("ff00")},
                                {QStringLiteral("usagePage2"), QStringLiteral("ff01")}, {QStringLiteral("usage2"), QStringLiteral("ff01")}}});
    Widget window;
    window.checkDevice();
    QVERIFY(deviceConnected);
    QCOMPARE(window.hid.deviceList[0].commandPath, QStringLiteral("vmouse:0:1"));
    QCOMPARE(window.hid.deviceList[0].eventPath, QStringLiteral("vmouse:0:2"));
    window.hid.stopReader();
}

void Discovery::connectionTraffic_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("gun");
    QTest::newRow("553") << QStringLiteral("553") << false;
    QTest::newRow("553 gun") << QStringLiteral("553") << true;
    QTest::newRow("560") << QStringLiteral("560") << false;
    QTest::newRow("560 gun") << QStringLiteral("560") << true;
}

void Discovery::connectionTraffic()
{
    QFETCH(QString, family);
    QFETCH(bool, gun);
    World world;
    world.tree.setGlobal(QStringLiteral("mouse/icType"), family);
    world.tree.setGlobal(QStringLiteral("mouse/isGun"), gun);
    const bool is560 = family == QLatin1String("560");
    const int device = vmouse::addDevice(mouseConfig(is560 ? vmouse::Family::Fw560 : vmouse::Family::Fw553));
    Widget window;
    window.checkDevice();
    window.hid.stopReader();

    const QList<QByteArray> blocks = plainBlocks();
    QStringList codes;
    for (const QByteArray& block : blocks)
        codes.append(QString::fromLatin1(code(block).toHex()));
    QStringList expected{QStringLiteral("00")};
    expected += is560 ? QStringList{QStringLiteral("81"), QStringLiteral("01")}
                      : QStringList{QStringLiteral("83"), QStringLiteral("03")};
    if (is560)
        for (int profile = 0; profile < (gun ? 5 : 2); ++profile)
            expected.append(QStringLiteral("8c"));
    QCOMPARE(codes, expected);
    if (is560) {
        QCOMPARE(blocks[2], block({0x01, 0x08, 0, 0, 0, 0, 0}));
        for (int profile = 0; profile < (gun ? 5 : 2); ++profile) {
            QCOMPARE(blocks[3 + profile], block({0x8C, uchar(profile), 0, 0, 0, 0, 0}));
            const auto stored = vmouse::state(device).profiles560.at(profile);
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(window.view()->profileBlocks.block(profile)), 128),
                     bytes(stored));
        }
        if (!gun)
            QCOMPARE(window.view()->profileBlocks.block(2)[0], uchar(0));   // never read
    } else {
        QCOMPARE(blocks[2], block({0x03, 0, 0, 0, 0x40, 0, 0}));
    }

    // Then the main document starts: it asks for the current stage.
    vmouse::clearRecord();
    QTRY_VERIFY(root(window)->property("isPownOn").toBool());
    QTRY_VERIFY(!plainBlocks().isEmpty() && code(plainBlocks().last()) == (is560 ? "\x84" : "\x8b"));
    QCOMPARE(shownStage(window), 0);   // the device reports stage 1
    QVERIFY(root(window)->isVisible());
    QCOMPARE(root(window)->property("icType").toString(), family);
}

void Discovery::switchesTheDeviceToProfileOne()
{
    World world;
    const int device = vmouse::addDevice(mouseConfig());
    vmouse::FirmwareState state = vmouse::state(device);
    state.currentProfile560 = 3;
    vmouse::setState(device, state);
    Widget window;
    window.checkDevice();
    QTRY_VERIFY(root(window)->property("isPownOn").toBool());
    QTRY_COMPARE(vmouse::state(device).currentProfile560, 1);
    window.hid.stopReader();
}

void Discovery::stageReportsReachTheScreen()
{
    World world;
    const int device = vmouse::addDevice(mouseConfig());
    DebugCapture debug;
    Widget window;
    window.checkDevice();
    QTRY_VERIFY(root(window)->property("isPownOn").toBool());
    dpiSwitchTexts()[2] = QStringLiteral("Stage three");

    vmouse::pressDpiButton(device, 3);
    QTRY_COMPARE(shownStage(window), 2);
    QTRY_VERIFY(debug.lines().contains(QStringLiteral("Info: Stage three ")));
    // Stage 0: no highlight change, but the notice with the last text.
    vmouse::pressDpiButton(device, 0);
    QTRY_COMPARE(debug.lines().count(QStringLiteral("Info: DPI Switch to ")), 1);
    QCOMPARE(shownStage(window), 2);
    vmouse::pressDpiButton(device, 8);
    QTRY_COMPARE(shownStage(window), 7);
    QTRY_COMPARE(debug.lines().count(QStringLiteral("Info: DPI Switch to ")), 2);
    dpiSwitchTexts()[2] = QStringLiteral("DPI Switch to");
    window.hid.stopReader();
}

void Discovery::removalAndRediscovery()
{
    World world;
    const int device = vmouse::addDevice(mouseConfig());
    DebugCapture debug;
    Widget window;
    window.checkDevice();
    QTRY_VERIFY(root(window)->property("isPownOn").toBool());
    QTRY_VERIFY(window.view()->isEnabled());

    vmouse::unplug(device);
    QTRY_VERIFY_WITH_TIMEOUT(!window.view()->isEnabled(), 1500);
    QVERIFY(debug.lines().contains(QStringLiteral("Device removed")));
    QVERIFY(!window.hid.readerRunning);
    QTRY_VERIFY(window.hid.deviceList[1].eventPath.isEmpty());
    QVERIFY(root(window)->property("deviceGone").toBool());
    QVERIFY(deviceConnected);   // only discovery changes it

    vmouse::replug(device);
    vmouse::clearRecord();
    window.deviceChangeNotified();
    QVERIFY(window.pollTimer.isActive());
    // 2048 ms later discovery runs and connects again.
    QTRY_VERIFY_WITH_TIMEOUT(window.hid.readerRunning, 4000);
    QCOMPARE(debug.lines().count(QStringLiteral("Device Connect")), 2);
    QTRY_VERIFY(window.view()->isEnabled());
    QTRY_VERIFY(!root(window)->property("deviceGone").toBool());
    QCOMPARE(code(plainBlocks().first()), QByteArray(1, '\0'));   // the link check came first
    window.hid.stopReader();
}

void Discovery::removalDuringProtectionKeepsTheViewDisabled()
{
    // The device goes while the first protection period still runs; the end
    // of that period must not enable the view of a device that is gone.
    World world;
    const int device = vmouse::addDevice(mouseConfig());
    Widget window;
    window.checkDevice();
    QTRY_VERIFY(protecting(window));
    vmouse::unplug(device);
    QTRY_VERIFY_WITH_TIMEOUT(!window.hid.readerRunning, 1500);
    QTRY_VERIFY_WITH_TIMEOUT(!protecting(window), 3000);
    QCoreApplication::processEvents();
    QVERIFY(!window.view()->isEnabled());
    QVERIFY(root(window)->property("deviceGone").toBool());
}

void Discovery::pollTimerRule()
{
    World world;
    Widget window;
    QCOMPARE(window.pollTimer.interval(), 2048);
    QVERIFY(window.pollTimer.isSingleShot());
    // While a reader runs, notices are ignored: it sees a removal itself.
    window.hid.readerRunning = true;
    window.deviceChangeNotified();
    QVERIFY(!window.pollTimer.isActive());
    window.hid.readerRunning = false;
    window.deviceChangeNotified();
    QVERIFY(window.pollTimer.isActive());
    QTest::qWait(600);
    QVERIFY(window.pollTimer.remainingTime() < 1600);
    // A second notice restarts the countdown from 2048 ms.
    window.deviceChangeNotified();
    QVERIFY(window.pollTimer.remainingTime() > 1900);
}

void Discovery::restoreOnlyWhileConnected()
{
    World world;
    Widget window;
    window.showMinimized();
    deviceConnected = false;
    window.receiveMessage(QString());
    window.trayIconActivated(QSystemTrayIcon::DoubleClick);
    QCoreApplication::processEvents();
    QVERIFY(window.isMinimized());

    deviceConnected = true;
    window.trayIconActivated(QSystemTrayIcon::Trigger);   // a single click does nothing
    QCoreApplication::processEvents();
    QVERIFY(window.isMinimized());
    window.receiveMessage(QStringLiteral("ignored text"));
    QTRY_VERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());

    window.setVisible(false);
    window.trayIconActivated(QSystemTrayIcon::DoubleClick);
    QTRY_VERIFY(window.isVisible());
    deviceConnected = false;
}

QTEST_MAIN(Discovery)
#include "tst_discovery.moc"
