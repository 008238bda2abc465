// Every command of both controller families, plain and scrambled, on the
// wire: the exact block, the bulk packets, the pacing, what the firmware
// stored, what comes back from a reply, and what a failed exchange hands back.
#include "exchangecheck.h"

#include <QTest>

#include <functional>

using vmouse::CallKind;
using vmouse::Family;

namespace {

QByteArray pattern(int size, int seed)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char((seed + i * 7) & 0xff);
    return out;
}

uchar* raw(QByteArray& data)
{
    return reinterpret_cast<uchar*>(data.data());
}

struct SetCase
{
    Family family;
    std::function<void(Hid_Thread&)> call;
    QByteArray plainBlock;
    QByteArray bulk;
    bool settle;
    bool then8ms;
    std::function<bool(const vmouse::FirmwareState&)> stored;
};

QByteArray keyMatrix = pattern(64, 3);
QByteArray macro = pattern(128, 11);
QByteArray colours24 = pattern(24, 40);
QByteArray dpiCodes = pattern(8, 90);
QByteArray profileBlock = pattern(128, 200);
QByteArray colour3 = QByteArray::fromHex("102030");

vmouse::Bytes toBytes(const QByteArray& data)
{
    return vmouse::Bytes(data.begin(), data.end());
}

std::vector<SetCase> setCases()
{
    using S = vmouse::FirmwareState;
    return {
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_01H_SetReportRate(2); }, block({0x01, 2, 0, 0, 0, 0, 0}), {}, true, false,
         [](const S& s) { return s.reportRate553 == 2; }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_02H_SetCurrentKeyMatrix(3); }, block({0x02, 3, 0, 0, 0, 0, 0}), {}, true, false,
         [](const S& s) { return s.currentKeyMatrix553 == 3; }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_03H_SetKeyboardoption(0x11, 0x22, 0x33, 0x44); },
         block({0x03, 0x11, 0x22, 0x33, 0x44, 0, 0}), {}, false, true,
         [](const S& s) { return s.keyboardOptions553 == std::array<std::uint8_t, 4>{0x11, 0x22, 0x33, 0x44}; }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_04H_SetGunData(5, 6, 7, 8); }, block({0x04, 0, 5, 6, 7, 8, 0}), {}, false, true,
         [](const S& s) { return s.gunData553 == std::array<std::uint8_t, 4>{5, 6, 7, 8}; }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_0BH_SetCurrentDPI(3); }, block({0x0B, 3, 0, 0, 0, 0, 0}), {}, true, false,
         [](const S& s) { return s.currentDpi553 == 3; }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_0CH_SetFixLEDColor(raw(colour3)); }, block({0x0C, 0x10, 0x20, 0x30, 0, 0, 0}), {}, true, false,
         [](const S& s) { return s.fixedLedColor553 == std::array<std::uint8_t, 3>{0x10, 0x20, 0x30}; }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_0DH_SetRGBLedEffect(5, 6, 7); }, block({0x0D, 5, 6, 7, 0, 0, 0}), {}, true, false,
         [](const S& s) { return s.rgbEffect553 == std::array<std::uint8_t, 3>{5, 6, 7}; }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_10H_SetLED8StageColor(1, raw(colours24)); }, block({0x10, 1, 24, 0, 0, 0, 0}), colours24, true, false,
         [](const S& s) { return s.ledStageType553 == 1 && s.ledStageColors553 == toBytes(colours24); }},
        // Type 2 carries a 4-byte form: only the first four bytes travel.
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_10H_SetLED8StageColor(2, raw(colours24)); }, block({0x10, 2, 4, 0, 0, 0, 0}), colours24.left(4), true, false,
         [](const S& s) { return s.ledStageType553 == 2 && s.ledStageColors553 == toBytes(colours24.left(4)); }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_11H_SetDPISet(5, raw(dpiCodes)); }, block({0x11, 5, 8, 0, 0, 0, 0}), dpiCodes, true, false,
         [](const S& s) { return s.dpiStageCount553 == 5 && s.dpiCodes553 == toBytes(dpiCodes); }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_12H_SetKeyMatrix(raw(keyMatrix), 2); }, block({0x12, 2, 0x40, 0x08, 0, 0, 0}), keyMatrix, true, false,
         [](const S& s) { return s.keyMatrices.count(2) && s.keyMatrices.at(2) == toBytes(keyMatrix); }},
        {Family::Fw553, [](Hid_Thread& h) { h.hid553_13H_SetMacroKey(7, raw(macro)); }, block({0x13, 7, 0x80, 0, 0, 0, 0}), macro, true, false,
         [](const S& s) { return s.macros.count(7) && s.macros.at(7) == toBytes(macro); }},
        {Family::Fw560, [](Hid_Thread& h) { h.hid560_01H_SetKeyboardoption(0x0A, 0x0B); }, block({0x01, 0x0A, 0x0B, 0, 0, 0, 0}), {}, false, true,
         [](const S& s) { return s.keyboardOptions560 == std::array<std::uint8_t, 2>{0x0A, 0x0B}; }},
        {Family::Fw560, [](Hid_Thread& h) { h.hid560_02H_SetCurrentProfile(3); }, block({0x02, 3, 0, 0, 0, 0, 0}), {}, false, true,
         [](const S& s) { return s.currentProfile560 == 3; }},
        {Family::Fw560, [](Hid_Thread& h) { h.hid560_0CH_setProfile(raw(profileBlock), 3); }, block({0x0C, 3, 0x80, 0, 0, 0, 0}), profileBlock, true, false,
         [](const S& s) { return s.profiles560.count(3) && s.profiles560.at(3) == toBytes(profileBlock); }},
        // The key matrix travels in a 128-byte transfer: 64 bytes, then 64 zeros.
        {Family::Fw560, [](Hid_Thread& h) { h.hid560_0DH_SetKeyMatrix(raw(keyMatrix), 2); }, block({0x0D, 2, 0x80, 0, 0, 0, 0}),
         keyMatrix + QByteArray(64, '\0'), true, false,
         [](const S& s) { return s.keyMatrices.count(2) && s.keyMatrices.at(2) == toBytes(keyMatrix + QByteArray(64, '\0')); }},
        {Family::Fw560, [](Hid_Thread& h) { h.hid560_0FH_SetMacroKey(5, raw(macro)); }, block({0x0F, 5, 0x80, 0, 0, 0, 0}), macro, true, false,
         [](const S& s) { return s.macros.count(5) && s.macros.at(5) == toBytes(macro); }},
    };
}

vmouse::DeviceConfig deviceConfig(Family family, bool encoded, int reportLength)
{
    vmouse::DeviceConfig config;
    config.family = family;
    config.encoded = encoded;
    config.reportLength = reportLength;
    // A code of its own, so a transport that ignored the loaded code would fail.
    config.secrecyCode = encoded ? "k3Y!9z" : "507326";
    return config;
}

} // namespace

class CommandFamilies : public QObject
{
    Q_OBJECT

private slots:
    void setCommands_data();
    void setCommands();
    void slotLoopWritesEverySlot_data();
    void slotLoopWritesEverySlot();
    void readCommands_data();
    void readCommands();
    void readsHandBackPrefillAfterFailure_data();
    void readsHandBackPrefillAfterFailure();
    void profileRead();
    void busyGateDropsEveryCommand();
};

void CommandFamilies::setCommands_data()
{
    QTest::addColumn<int>("caseIndex");
    QTest::addColumn<bool>("encoded");
    QTest::addColumn<int>("reportLength");
    const auto cases = setCases();
    for (int c = 0; c < int(cases.size()); ++c)
        for (bool encoded : {false, true})
            for (int reportLength : {32, 64}) {
                const QByteArray name = cases[c].plainBlock.left(2).toHex(' ') + (encoded ? " scrambled" : " plain")
                                        + " rl" + QByteArray::number(reportLength)
                                        + (cases[c].family == Family::Fw553 ? " 553" : " 560");
                QTest::newRow(name.constData()) << c << encoded << reportLength;
            }
}

void CommandFamilies::setCommands()
{
    QFETCH(int, caseIndex);
    QFETCH(bool, encoded);
    QFETCH(int, reportLength);
    const SetCase c = setCases()[caseIndex];
    WireRig rig(deviceConfig(c.family, encoded, reportLength));
    rig.clock.advance(1000);

    c.call(rig.hid);

    ExpectedExchange expected;
    expected.plainBlock = c.plainBlock;
    expected.encoded = encoded;
    expected.code = rig.config.secrecyCode;
    expected.reportLength = reportLength;
    expected.bulkOut = c.bulk;
    expected.settle = c.settle;
    expected.startMs = 1000;
    const auto calls = rig.calls();
    QCOMPARE(checkExchange(calls, 0, expected), int(calls.size()));
    QVERIFY(rig.hid.linkIdle);
    QVERIFY(c.stored(vmouse::state(rig.device)));
    QCOMPARE(vmouse::state(rig.device).badChecksums, 0);

    // The exchange ends at the final close, plus 8 ms for the commands marked so.
    const qint64 closeMs = calls.back().timeUs / 1000;
    QCOMPARE(rig.clock.nowMs(), closeMs + (c.then8ms ? 8 : 0));
}

void CommandFamilies::slotLoopWritesEverySlot_data()
{
    QTest::addColumn<bool>("gun");
    QTest::addColumn<bool>("encoded");
    QTest::newRow("four slotCount") << false << false;
    QTest::newRow("four slotCount scrambled") << false << true;
    QTest::newRow("gun device: slot 1 only") << true << false;
    QTest::newRow("gun device scrambled") << true << true;
}

void CommandFamilies::slotLoopWritesEverySlot()
{
    QFETCH(bool, gun);
    QFETCH(bool, encoded);
    for (uchar code : {uchar(0x03), uchar(0x04)}) {
        WireRig rig(deviceConfig(Family::Fw560, encoded, 32));
        rig.owner.gun = gun;
        if (code == 0x03)
            rig.hid.hid560_03H_SetReportRate(4);
        else
            rig.hid.hid560_04H_SetCurrentDPI(4);

        const auto calls = rig.calls();
        const int slotCount = gun ? 1 : 4;
        int at = 0;
        for (int slot = 1; slot <= slotCount; ++slot) {
            ExpectedExchange expected;
            expected.plainBlock = block({code, uchar(slot), 4, 0, 0, 0, 0});
            expected.encoded = encoded;
            expected.code = rig.config.secrecyCode;
            expected.settle = true;
            expected.startMs = (slot - 1) * 128;   // one settle pause per slot
            at = checkExchange(calls, at, expected);
            QVERIFY2(at > 0, qPrintable(QStringLiteral("slot %1").arg(slot)));
        }
        QCOMPARE(at, int(calls.size()));
        QCOMPARE(rig.clock.nowMs(), qint64(slotCount * 128));
        const auto state = vmouse::state(rig.device);
        for (int slot = 1; slot <= 4; ++slot) {
            const int stored = code == 0x03 ? state.reportRate560[slot] : state.currentDpi560[slot];
            const int initial = code == 0x03 ? vmouse::FirmwareState{}.reportRate560[slot]
                                             : vmouse::FirmwareState{}.currentDpi560[slot];
            QCOMPARE(stored, slot <= slotCount ? 4 : initial);
        }
        QVERIFY(rig.hid.linkIdle);
    }
}

namespace {

struct ReadCase
{
    Family family;
    QByteArray plainBlock;
    // Runs the read with the given inputs; returns the values handed back.
    std::function<QByteArray(Hid_Thread&, QByteArray inputs)> call;
    QByteArray inputs;
    QByteArray expectedFromDevice;  // with distinctReadState()
    bool prefillIsInputs;
};

std::vector<ReadCase> readCases()
{
    return {
        {Family::Fw553, block({0x00, 0xDE, 0xAD, 0xBE, 0xEF, 0, 0}),
         [](Hid_Thread& h, QByteArray v) { h.hid553_00H_GetSecrecyCode(*raw(v), raw(v)[1], raw(v)[2], raw(v)[3]); return v; },
         QByteArray::fromHex("deadbeef"), QByteArray::fromHex("deadbeef"), false},
        {Family::Fw553, block({0x83, 0, 0, 0, 0, 0, 0}),
         [](Hid_Thread& h, QByteArray v) { h.hid553_83H_GetKeyboardoption(*raw(v), raw(v)[1], raw(v)[2], raw(v)[3]); return v; },
         QByteArray::fromHex("01020304"), QByteArray::fromHex("81422314"), true},
        {Family::Fw553, block({0x8B, 0, 0, 0, 0, 0, 0}),
         [](Hid_Thread& h, QByteArray v) { h.hid553_8BH_GetCurrentDPI(*raw(v)); return v; },
         QByteArray::fromHex("09"), QByteArray::fromHex("05"), true},
        {Family::Fw560, block({0x81, 0, 0, 0, 0, 0, 0}),
         [](Hid_Thread& h, QByteArray v) { h.hid560_81H_GetKeyboardoption(*raw(v), raw(v)[1]); return v; },
         QByteArray::fromHex("0102"), QByteArray::fromHex("5aa5"), true},
        {Family::Fw560, block({0x82, 0, 0, 0, 0, 0, 0}),
         [](Hid_Thread& h, QByteArray v) { h.hid560_82H_GetCurrentProfile(*raw(v)); return v; },
         QByteArray::fromHex("07"), QByteArray::fromHex("03"), true},
        // 84H sends its first input; the stage comes back in reply byte 2.
        {Family::Fw560, block({0x84, 1, 0, 0, 0, 0, 0}),
         [](Hid_Thread& h, QByteArray v) { h.hid560_84H_GetCurrentDPI(*raw(v), raw(v)[1]); return v; },
         QByteArray::fromHex("0109"), QByteArray::fromHex("0106"), true},
    };
}

} // namespace

void CommandFamilies::readCommands_data()
{
    QTest::addColumn<int>("caseIndex");
    QTest::addColumn<bool>("encoded");
    const auto cases = readCases();
    for (int c = 0; c < int(cases.size()); ++c)
        for (bool encoded : {false, true}) {
            const QByteArray name = cases[c].plainBlock.left(1).toHex() + (encoded ? " scrambled" : " plain")
                                    + (cases[c].family == Family::Fw553 ? " 553" : " 560");
            QTest::newRow(name.constData()) << c << encoded;
        }
}

void CommandFamilies::readCommands()
{
    QFETCH(int, caseIndex);
    QFETCH(bool, encoded);
    const ReadCase c = readCases()[caseIndex];
    WireRig rig(deviceConfig(c.family, encoded, 32));
    vmouse::setState(rig.device, distinctReadState());
    rig.clock.advance(500);

    QCOMPARE(c.call(rig.hid, c.inputs), c.expectedFromDevice);

    ExpectedExchange expected;
    expected.plainBlock = c.plainBlock;
    expected.encoded = encoded;
    expected.code = rig.config.secrecyCode;
    expected.read = true;
    expected.startMs = 500;
    const auto calls = rig.calls();
    QCOMPARE(checkExchange(calls, 0, expected), int(calls.size()));
    QCOMPARE(rig.clock.nowMs(), qint64(500)); // reads are not paced
    QVERIFY(rig.hid.linkIdle);
}

void CommandFamilies::readsHandBackPrefillAfterFailure_data()
{
    readCommands_data();
}

void CommandFamilies::readsHandBackPrefillAfterFailure()
{
    QFETCH(int, caseIndex);
    QFETCH(bool, encoded);
    const ReadCase c = readCases()[caseIndex];
    const QByteArray prefill = c.prefillIsInputs ? c.inputs : QByteArray(c.inputs.size(), '\0');
    // The exchange can break at each of its steps; the values handed back are
    // the pre-fill every time, never scrambled or half-read bytes.
    for (CallKind failing : {CallKind::OpenPath, CallKind::SendFeature, CallKind::GetFeature}) {
        WireRig rig(deviceConfig(c.family, encoded, 32));
        vmouse::setState(rig.device, distinctReadState());
        vmouse::failCall(failing, failing == CallKind::OpenPath ? 2 : 1);
        QCOMPARE(c.call(rig.hid, c.inputs), prefill);
        QVERIFY(rig.hid.linkIdle);
        QCOMPARE(rig.calls().back().kind, failing == CallKind::OpenPath ? CallKind::OpenPath : CallKind::Close);
    }
}

void CommandFamilies::profileRead()
{
    for (bool encoded : {false, true})
        for (int reportLength : {32, 64}) {
            WireRig rig(deviceConfig(Family::Fw560, encoded, reportLength));
            vmouse::FirmwareState state = vmouse::state(rig.device);
            state.profiles560[2] = toBytes(pattern(128, 77));
            vmouse::setState(rig.device, state);
            QByteArray buffer(128, char(0xEE));
            rig.hid.hid560_8CH_readProfile(raw(buffer), 2);
            QCOMPARE(buffer, pattern(128, 77));

            ExpectedExchange expected;
            expected.plainBlock = block({0x8C, 2, 0, 0, 0, 0, 0}); // no length named
            expected.encoded = encoded;
            expected.code = rig.config.secrecyCode;
            expected.reportLength = reportLength;
            expected.read = true;
            expected.bulkInReports = 128 / reportLength;
            const auto calls = rig.calls();
            QCOMPARE(checkExchange(calls, 0, expected), int(calls.size()));
            QVERIFY(rig.hid.linkIdle);
        }

    // A failed exchange hands back the caller's own bytes; one that fails
    // midway hands back what arrived before the failure.
    WireRig rig(deviceConfig(Family::Fw560, false, 32));
    vmouse::FirmwareState state = vmouse::state(rig.device);
    state.profiles560[1] = toBytes(pattern(128, 5));
    vmouse::setState(rig.device, state);
    QByteArray buffer(128, char(0xEE));
    vmouse::failCall(CallKind::SendFeature);
    rig.hid.hid560_8CH_readProfile(raw(buffer), 1);
    QCOMPARE(buffer, QByteArray(128, char(0xEE)));
    vmouse::withholdInputReports(rig.device, 2);
    rig.hid.hid560_8CH_readProfile(raw(buffer), 1);
    QCOMPARE(buffer, pattern(128, 5).left(64) + QByteArray(64, char(0xEE)));
    QVERIFY(rig.hid.linkIdle);
}

void CommandFamilies::busyGateDropsEveryCommand()
{
    struct Dropped
    {
        const char* line;
        std::function<void(Hid_Thread&, QByteArray&)> call;
    };
    QByteArray buf(128, char(0x5C));
    const std::vector<Dropped> commands = {
        {"cmd Failed 00", [](Hid_Thread& h, QByteArray& v) { h.hid553_00H_GetSecrecyCode(raw(v)[0], raw(v)[1], raw(v)[2], raw(v)[3]); }},
        {"cmd Failed 01", [](Hid_Thread& h, QByteArray&) { h.hid553_01H_SetReportRate(1); }},
        {"cmd Failed 02", [](Hid_Thread& h, QByteArray&) { h.hid553_02H_SetCurrentKeyMatrix(1); }},
        {"cmd Failed 03", [](Hid_Thread& h, QByteArray&) { h.hid553_03H_SetKeyboardoption(1, 2, 3, 4); }},
        {"cmd Failed 04", [](Hid_Thread& h, QByteArray&) { h.hid553_04H_SetGunData(1, 2, 3, 4); }},
        {"cmd Failed 0B", [](Hid_Thread& h, QByteArray&) { h.hid553_0BH_SetCurrentDPI(1); }},
        {"cmd Failed 0C", [](Hid_Thread& h, QByteArray& v) { h.hid553_0CH_SetFixLEDColor(raw(v)); }},
        {"cmd Failed 0D", [](Hid_Thread& h, QByteArray&) { h.hid553_0DH_SetRGBLedEffect(1, 2, 3); }},
        {"cmd Failed 10", [](Hid_Thread& h, QByteArray& v) { h.hid553_10H_SetLED8StageColor(1, raw(v)); }},
        {"cmd Failed 11", [](Hid_Thread& h, QByteArray& v) { h.hid553_11H_SetDPISet(1, raw(v)); }},
        {"cmd Failed 12", [](Hid_Thread& h, QByteArray& v) { h.hid553_12H_SetKeyMatrix(raw(v), 1); }},
        {"cmd Failed 13", [](Hid_Thread& h, QByteArray& v) { h.hid553_13H_SetMacroKey(1, raw(v)); }},
        {"cmd Failed 83", [](Hid_Thread& h, QByteArray& v) { h.hid553_83H_GetKeyboardoption(raw(v)[0], raw(v)[1], raw(v)[2], raw(v)[3]); }},
        {"cmd Failed 8BH", [](Hid_Thread& h, QByteArray& v) { h.hid553_8BH_GetCurrentDPI(raw(v)[0]); }},
        {"cmd Failed 01", [](Hid_Thread& h, QByteArray&) { h.hid560_01H_SetKeyboardoption(1, 2); }},
        {"cmd Failed 02", [](Hid_Thread& h, QByteArray&) { h.hid560_02H_SetCurrentProfile(1); }},
        {"cmd Failed 03", [](Hid_Thread& h, QByteArray&) { h.hid560_03H_SetReportRate(1); }},
        {"cmd Failed 04", [](Hid_Thread& h, QByteArray&) { h.hid560_04H_SetCurrentDPI(1); }},
        {"cmd Failed 0C", [](Hid_Thread& h, QByteArray& v) { h.hid560_0CH_setProfile(raw(v), 1); }},
        {"cmd Failed 0D", [](Hid_Thread& h, QByteArray& v) { h.hid560_0DH_SetKeyMatrix(raw(v), 1); }},
        {"cmd Failed 0F", [](Hid_Thread& h, QByteArray& v) { h.hid560_0FH_SetMacroKey(1, raw(v)); }},
        {"cmd Failed 81", [](Hid_Thread& h, QByteArray& v) { h.hid560_81H_GetKeyboardoption(raw(v)[0], raw(v)[1]); }},
        {"cmd Failed 82", [](Hid_Thread& h, QByteArray& v) { h.hid560_82H_GetCurrentProfile(raw(v)[0]); }},
        {"cmd Failed 84", [](Hid_Thread& h, QByteArray& v) { h.hid560_84H_GetCurrentDPI(raw(v)[0], raw(v)[1]); }},
        {"cmd Failed 8c", [](Hid_Thread& h, QByteArray& v) { h.hid560_8CH_readProfile(raw(v), 1); }},
    };
    QCOMPARE(int(commands.size()), 25);
    for (const Dropped& command : commands) {
        WireRig rig;
        DebugCapture debug;
        rig.hid.linkIdle = false;   // another exchange holds the gate throughout
        command.call(rig.hid, buf);
        QCOMPARE(debug.lines(), QStringList{QLatin1String(command.line)});
        QCOMPARE(rig.calls().size(), size_t(0));
        QCOMPARE(rig.clock.nowMs(), qint64(255 * 8));
        QCOMPARE(rig.clock.processEventsCalls, 255);
        QCOMPARE(buf, QByteArray(128, char(0x5C)));   // out-parameters untouched
        QVERIFY(!rig.hid.linkIdle);                    // not ours to release
    }
}

QTEST_GUILESS_MAIN(CommandFamilies)
#include "tst_commandfamilies.moc"
