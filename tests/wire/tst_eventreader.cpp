// The connection's device side: the keyboard-option bit set before the
// reader starts, and the event reader on its worker thread: stage reports,
// reports it must ignore, removal, and stopping it.
#include "wirerig.h"

#include <QTest>

using vmouse::CallKind;

namespace {

int eventCalls(CallKind kind)
{
    int n = 0;
    for (const vmouse::Call& call : vmouse::record())
        n += call.kind == kind && call.iface == 2;
    return n;
}

} // namespace

class EventReader : public QObject
{
    Q_OBJECT

private slots:
    void activationSetsTheKeyboardOptionBit_data();
    void activationSetsTheKeyboardOptionBit();
    void stageReportsReachTheGuiInOrder();
    void otherReportsAreIgnored();
    void removalEndsTheReader();
    void stoppingFinishesThePendingReadOnly();
    void missingEventInterfaceReturnsAtOnce();
    void activatingAgainReplacesTheReader();
};

void EventReader::activationSetsTheKeyboardOptionBit_data()
{
    QTest::addColumn<bool>("family560");
    QTest::newRow("553: bit 6 of byte 4") << false;
    QTest::newRow("560: bit 3 of byte 1") << true;
}

void EventReader::activationSetsTheKeyboardOptionBit()
{
    QFETCH(bool, family560);
    vmouse::DeviceConfig config;
    config.family = family560 ? vmouse::Family::Fw560 : vmouse::Family::Fw553;
    WireRig rig(config);
    rig.owner.family = family560 ? QStringLiteral("560") : QStringLiteral("553");
    vmouse::FirmwareState state = vmouse::state(rig.device);
    state.keyboardOptions553 = {0x12, 0x34, 0x56, 0x01};
    state.keyboardOptions560 = {0x21, 0x43};
    vmouse::setState(rig.device, state);

    rig.hid.activateDevice(0);
    QVERIFY(rig.hid.readerRunning);
    rig.hid.stopReader();

    const auto sent = rig.calls(CallKind::SendFeature);
    QCOMPARE(sent.size(), size_t(2));
    const auto after = vmouse::state(rig.device);
    if (family560) {
        QCOMPARE(bytes(sent[0].plainBlock), block({0x81, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(bytes(sent[1].plainBlock), block({0x01, 0x29, 0x43, 0, 0, 0, 0}));
        QCOMPARE(after.keyboardOptions560, (std::array<std::uint8_t, 2>{0x29, 0x43}));
    } else {
        QCOMPARE(bytes(sent[0].plainBlock), block({0x83, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(bytes(sent[1].plainBlock), block({0x03, 0x12, 0x34, 0x56, 0x41, 0, 0}));
        QCOMPARE(after.keyboardOptions553, (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x41}));
    }
}

void EventReader::stageReportsReachTheGuiInOrder()
{
    WireRig rig;
    for (int stage : {3, 8, 0, 1, 9})
        vmouse::pressDpiButton(rig.device, stage);
    rig.hid.activateDevice(0);
    QTRY_COMPARE(rig.owner.effects, (QStringList{QStringLiteral("stage 3"), QStringLiteral("stage 8"),
                                                 QStringLiteral("stage 0"), QStringLiteral("stage 1"),
                                                 QStringLiteral("stage 9")}));
    rig.hid.stopReader();
    // Every cycle opens the interface afresh, reads one report and closes it.
    QCOMPARE(eventCalls(CallKind::OpenPath), eventCalls(CallKind::ReadTimeout));
    for (const vmouse::Call& call : vmouse::record())
        if (call.kind == CallKind::ReadTimeout && call.iface == 2) {
            QCOMPARE(call.length, size_t(4));
            QCOMPARE(call.timeoutMs, 500);
        }
}

void EventReader::otherReportsAreIgnored()
{
    WireRig rig;
    vmouse::pushEvent(rig.device, {0x06, 0x05, 0x00, 0x02});   // another sub-kind
    vmouse::pushEvent(rig.device, {0x07, 0x07, 0x00, 0x02});   // another kind
    vmouse::pushEvent(rig.device, {0x06, 0x07, 0x00});         // a short read
    vmouse::pushEvent(rig.device, {0x06, 0x07, 0x05, 0x04});   // the only stage report
    rig.hid.activateDevice(0);
    QTRY_COMPARE(rig.owner.effects, QStringList{QStringLiteral("stage 4")});
    QTRY_VERIFY(eventCalls(CallKind::ReadTimeout) >= 5);
    QCOMPARE(rig.owner.effects, QStringList{QStringLiteral("stage 4")});
    QVERIFY(rig.hid.readerRunning);
    rig.hid.stopReader();
}

void EventReader::removalEndsTheReader()
{
    WireRig rig;
    DebugCapture debug;
    rig.hid.activateDevice(0);
    vmouse::pressDpiButton(rig.device, 2);
    QTRY_COMPARE(rig.owner.effects, QStringList{QStringLiteral("stage 2")});
    vmouse::unplug(rig.device);
    // Within one read cycle the reader finds the interface gone.
    QTRY_VERIFY_WITH_TIMEOUT(!rig.hid.readerRunning, 1500);
    QVERIFY(rig.hid.readerFuture.isFinished() || (rig.hid.readerFuture.waitForFinished(), true));
    QVERIFY(debug.lines().contains(QStringLiteral("Device removed")));
    // Its effects arrive on this (the GUI) thread: the view first, then the path.
    QTRY_COMPARE(rig.owner.effects, (QStringList{QStringLiteral("stage 2"), QStringLiteral("lost")}));
    QTRY_VERIFY(rig.hid.deviceList[0].eventPath.isEmpty());
    QVERIFY(!rig.hid.deviceList[0].commandPath.isEmpty());   // the command side finds out by itself
}

void EventReader::stoppingFinishesThePendingReadOnly()
{
    WireRig rig;
    rig.hid.activateDevice(0);
    QTRY_VERIFY(eventCalls(CallKind::OpenPath) >= 1);
    const int opensBefore = eventCalls(CallKind::OpenPath);
    rig.hid.readerRunning = false;
    rig.hid.readerFuture.waitForFinished();
    // The pending read ran to its end; the handle was closed; no new open.
    QVERIFY(eventCalls(CallKind::OpenPath) <= opensBefore + 1);
    QCOMPARE(eventCalls(CallKind::OpenPath), eventCalls(CallKind::ReadTimeout));
    QCOMPARE(eventCalls(CallKind::Close), eventCalls(CallKind::OpenPath));
    QCOMPARE(rig.hid.eventHandle, nullptr);
    QVERIFY(rig.owner.effects.isEmpty());
}

void EventReader::missingEventInterfaceReturnsAtOnce()
{
    WireRig rig;
    rig.hid.deviceList[0].eventPath.clear();
    rig.hid.activateDevice(0);
    rig.hid.readerFuture.waitForFinished();
    QCOMPARE(eventCalls(CallKind::OpenPath), 0);
    QVERIFY(rig.owner.effects.isEmpty());
}

void EventReader::activatingAgainReplacesTheReader()
{
    // The first reader is stopped and awaited before the second starts, so
    // they never share the event handle.
    WireRig rig;
    rig.hid.activateDevice(0);
    QFuture<void> first = rig.hid.readerFuture;
    rig.hid.activateDevice(0);
    QVERIFY(first.isFinished());
    QVERIFY(rig.hid.readerRunning);
    vmouse::pressDpiButton(rig.device, 6);
    QTRY_COMPARE(rig.owner.effects, QStringList{QStringLiteral("stage 6")});
    rig.hid.stopReader();
}

QTEST_GUILESS_MAIN(EventReader)
#include "tst_eventreader.moc"
