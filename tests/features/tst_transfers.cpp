// Macro blocks, gun data, report rate and keyboard options on the wire.
#include "deviceflags.h"
#include "featurewire.h"
#include "guntransfer.h"
#include "macrotransfer.h"
#include "reportrate.h"

#include <QTest>

using namespace featurewire;
using vmouse::CallKind;
using vmouse::Family;

namespace {

QVariantList sequence(int count, int seed)
{
    QVariantList out;
    for (int i = 0; i < count; ++i)
        out.append((seed + 5 * i) % 256);
    return out;
}

QByteArray lowBytes(const QVariantList& list, int size)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size && i < list.size(); ++i)
        out[i] = char(list[i].toInt() & 0xFF);
    return out;
}

DeviceFlags flags(Family family, bool gun)
{
    DeviceFlags f;
    f.family560 = family == Family::Fw560;
    f.isGun = gun;
    return f;
}

QByteArray deviceMacro(const WireRig& rig, int number)
{
    const auto state = vmouse::state(rig.device);
    const auto it = state.macros.find(number);
    return it == state.macros.end() ? QByteArray() : bytes(it->second);
}

} // namespace

class TransfersTest : public QObject
{
    Q_OBJECT

private slots:
    void macroBlock_data();
    void macroBlock();
    void macroSlotOutOfRangeSendsNothing();
    void macroFailureStillReportsTrue();

    void gunDataNeedsTheGunFeature();
    void gunModeOutsideOneToThreeSendsNothing();
    void gunData553_data();
    void gunData553();
    void gunData553WhenTheOptionReadFails();
    void gunData560_data();
    void gunData560();

    void reportRate_data();
    void reportRate();
    void keyboardOptionsUse553Commands_data();
    void keyboardOptionsUse553Commands();
    void keyboardOptionReadFailsToZeros();
};

void TransfersTest::macroBlock_data()
{
    QTest::addColumn<bool>("family560");
    QTest::addColumn<QVariant>("index");
    QTest::addColumn<QVariantList>("data");
    QTest::addColumn<int>("macroNumber");

    QTest::newRow("553, slot 2") << false << QVariant(2) << sequence(128, 3) << 3;
    QTest::newRow("560, slot 0") << true << QVariant(0) << sequence(128, 3) << 1;
    QTest::newRow("553, slot 11 is macro 12") << false << QVariant(11) << sequence(128, 9) << 12;
    QTest::newRow("560, slot as text") << true << QVariant(QStringLiteral("4")) << sequence(128, 9) << 5;
    QTest::newRow("low byte of 259 is slot 3") << false << QVariant(259) << sequence(128, 9) << 4;
    // The editor's short block: the rest of the 128 bytes is zero.
    QTest::newRow("553, short block") << false << QVariant(1) << QVariantList{0, 1, 1, 4, 0x81, 4, 0, 0} << 2;
    // Longer than a block: cut at 128 values.
    QTest::newRow("560, 140 values") << true << QVariant(6) << sequence(140, 1) << 7;
    QTest::newRow("553, 200 values") << false << QVariant(6) << sequence(200, 1) << 7;
    QTest::newRow("values and texts modulo 256") << false << QVariant(0)
        << QVariantList{300, -1, QStringLiteral("44"), 256, 0x80} << 1;
}

void TransfersTest::macroBlock()
{
    QFETCH(bool, family560);
    QFETCH(QVariant, index);
    QFETCH(QVariantList, data);
    QFETCH(int, macroNumber);
    const Family family = family560 ? Family::Fw560 : Family::Fw553;
    WireRig rig(config(family, family560 ? 64 : 32));

    QVERIFY(macrotransfer::sendMacroData(rig.hid, flags(family, false), data, index));

    const QByteArray block128 = lowBytes(data, 128);
    QVERIFY(checkSequence(rig, {settle({uchar(family560 ? 0x0F : 0x13), uchar(macroNumber), 0x80, 0, 0, 0, 0}, block128)}, 0));
    QCOMPARE(deviceMacro(rig, macroNumber), block128);
    QCOMPARE(int(vmouse::state(rig.device).macros.size()), 1);
}

void TransfersTest::macroSlotOutOfRangeSendsNothing()
{
    for (Family family : {Family::Fw553, Family::Fw560})
        for (const QVariant& index : {QVariant(12), QVariant(15), QVariant(255), QVariant(-1), QVariant(511)}) {
            WireRig rig(config(family));
            QVERIFY(macrotransfer::sendMacroData(rig.hid, flags(family, false), sequence(128, 1), index));
            QCOMPARE(rig.calls().size(), size_t(0));
            QCOMPARE(rig.clock.nowMs(), qint64(0));
        }
}

void TransfersTest::macroFailureStillReportsTrue()
{
    for (Family family : {Family::Fw553, Family::Fw560}) {
        WireRig rig(config(family));
        DebugCapture debug;
        rig.hid.linkIdle = false;
        QVERIFY(macrotransfer::sendMacroData(rig.hid, flags(family, false), sequence(128, 1), 0));
        QCOMPARE(debug.lines(), QStringList{family == Family::Fw560 ? "cmd Failed 0F" : "cmd Failed 13"});
        QCOMPARE(rig.calls().size(), size_t(0));
    }
}

void TransfersTest::gunDataNeedsTheGunFeature()
{
    for (Family family : {Family::Fw553, Family::Fw560}) {
        WireRig rig(config(family));
        ProfileBlocks blocks;
        if (family == Family::Fw560)
            readAllBlocks(rig, blocks);
        const QByteArray block2 = memoryBlock(blocks, 2);
        guntransfer::sendGunData(rig.hid, flags(family, false), blocks, 1, QVariantList{0, 0, 10});
        QCOMPARE(rig.calls().size(), size_t(0));
        QCOMPARE(memoryBlock(blocks, 2), block2);
    }
}

void TransfersTest::gunModeOutsideOneToThreeSendsNothing()
{
    for (Family family : {Family::Fw553, Family::Fw560})
        for (int mode : {0, 4, -1, 5, 1000}) {
            WireRig rig(config(family));
            rig.owner.gun = true;
            ProfileBlocks blocks;
            if (family == Family::Fw560)
                readAllBlocks(rig, blocks);
            QByteArray before[5];
            for (uint p = 0; p < 5; ++p)
                before[p] = memoryBlock(blocks, p);
            guntransfer::sendGunData(rig.hid, flags(family, true), blocks, mode, QVariantList{7, 8, 9});
            QCOMPARE(rig.calls().size(), size_t(0));
            for (uint p = 0; p < 5; ++p)
                QCOMPARE(memoryBlock(blocks, p), before[p]);
        }
}

void TransfersTest::gunData553_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QVariantList>("data");
    QTest::addColumn<int>("option3");
    QTest::addColumn<QByteArray>("sent");   // command bytes 2..5

    QTest::newRow("mode 1, Y 10, option 3 clear") << 1 << QVariantList{0, 0, 10} << 0 << hex("00 00 0a 00");
    QTest::newRow("mode 1, Y 10, option 3 set") << 1 << QVariantList{0, 0, 10} << 1 << hex("00 00 f6 00");
    QTest::newRow("mode 3, option 3 = 80") << 3 << QVariantList{25, 3, 64} << 0x80 << hex("19 03 c0 02");
    QTest::newRow("Y 0 stays 0 when negated") << 2 << QVariantList{255, 64, 0} << 1 << hex("ff 40 00 01");
    QTest::newRow("values modulo 256, texts") << 2 << QVariantList{256 + 5, QStringLiteral("6"), 7} << 0 << hex("05 06 07 01");
    // A short list: the missing values are 0.
    QTest::newRow("one value") << 2 << QVariantList{5} << 1 << hex("05 00 00 01");
    QTest::newRow("no values") << 1 << QVariantList{} << 1 << hex("00 00 00 00");
}

void TransfersTest::gunData553()
{
    QFETCH(int, mode);
    QFETCH(QVariantList, data);
    QFETCH(int, option3);
    QFETCH(QByteArray, sent);
    WireRig rig(config(Family::Fw553));
    rig.owner.gun = true;
    vmouse::FirmwareState state = vmouse::state(rig.device);
    state.keyboardOptions553 = {0x11, 0x22, uchar(option3), 0x44};
    vmouse::setState(rig.device, state);
    ProfileBlocks blocks;

    guntransfer::sendGunData(rig.hid, flags(Family::Fw553, true), blocks, mode, data);

    QVERIFY(checkSequence(rig, {
        read({0x83, 0, 0, 0, 0, 0, 0}),
        then8ms({0x04, 0, uchar(sent[0]), uchar(sent[1]), uchar(sent[2]), uchar(sent[3]), 0}),
    }, 0));
    const auto after = vmouse::state(rig.device);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(after.gunData553.data()), 4), sent);
    // The options are only read.
    QCOMPARE(int(after.keyboardOptions553[2]), option3);
}

void TransfersTest::gunData553WhenTheOptionReadFails()
{
    // The read hands back its zero pre-fill: Y goes unchanged.
    WireRig rig(config(Family::Fw553));
    rig.owner.gun = true;
    vmouse::FirmwareState state = vmouse::state(rig.device);
    state.keyboardOptions553 = {0, 0, 1, 0};
    vmouse::setState(rig.device, state);
    ProfileBlocks blocks;
    vmouse::failCall(CallKind::GetFeature);
    guntransfer::sendGunData(rig.hid, flags(Family::Fw553, true), blocks, 1, QVariantList{0, 0, 10});
    QCOMPARE(vmouse::state(rig.device).gunData553, (std::array<std::uint8_t, 4>{0, 0, 10, 0}));
    QCOMPARE(guntransfer::signedY(10, 0), uchar(10));
    QCOMPARE(guntransfer::signedY(10, 3), uchar(0xF6));
    QCOMPARE(guntransfer::signedY(0, 3), uchar(0));
    QCOMPARE(guntransfer::signedY(255, 1), uchar(1));
}

void TransfersTest::gunData560_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QVariantList>("data");
    QTest::addColumn<QByteArray>("bytes78to81");
    QTest::newRow("mode 1: block 2") << 1 << QVariantList{0, 0, 10} << hex("f0 00 00 0a");
    QTest::newRow("mode 2: block 3") << 2 << QVariantList{30, 5, 64} << hex("f0 1e 05 40");
    QTest::newRow("mode 3: block 4") << 3 << QVariantList{255, 64, 1} << hex("f0 ff 40 01");
    QTest::newRow("mode 3, short list") << 3 << QVariantList{9} << hex("f0 09 00 00");
    QTest::newRow("mode 2, modulo 256") << 2 << QVariantList{300, QStringLiteral("7"), -2} << hex("f0 2c 07 fe");
}

void TransfersTest::gunData560()
{
    QFETCH(int, mode);
    QFETCH(QVariantList, data);
    QFETCH(QByteArray, bytes78to81);
    WireRig rig(config(Family::Fw560));
    rig.owner.gun = true;
    // Byte 65 of the gun blocks with bit 2 set among other bits: only that
    // bit may change.
    vmouse::FirmwareState state = vmouse::state(rig.device);
    state.profiles560[2][65] = 0x5D;
    state.profiles560[3][65] = 0xFF;
    state.profiles560[4][65] = 0x04;
    vmouse::setState(rig.device, state);
    ProfileBlocks blocks;
    const auto read = readAllBlocks(rig, blocks);
    const int profile = mode + 1;
    const uchar cleared[5] = {0, 0, 0x59, 0xFB, 0x00};

    guntransfer::sendGunData(rig.hid, flags(Family::Fw560, true), blocks, mode, data);

    QByteArray expected = read[profile];
    expected.replace(78, 4, bytes78to81);
    expected[65] = char(cleared[profile]);
    QVERIFY(checkSequence(rig, {settle({0x0C, uchar(profile), 0x80, 0, 0, 0, 0}, expected)}, 0));
    for (int p = 0; p < 5; ++p) {
        QCOMPARE(deviceProfile(rig, p), p == profile ? expected : read[p]);
        QCOMPARE(memoryBlock(blocks, p), p == profile ? expected : read[p]);
    }
}

void TransfersTest::reportRate_data()
{
    QTest::addColumn<bool>("family560");
    QTest::addColumn<bool>("gun");
    QTest::newRow("553") << false << false;
    QTest::newRow("553, gun") << false << true;
    QTest::newRow("560: four slots") << true << false;
    QTest::newRow("560, gun: slot 1") << true << true;
}

void TransfersTest::reportRate()
{
    QFETCH(bool, family560);
    QFETCH(bool, gun);
    const Family family = family560 ? Family::Fw560 : Family::Fw553;
    WireRig rig(config(family));
    rig.owner.gun = gun;

    reportrate::setReportRate(rig.hid, flags(family, gun), 2);

    if (family560) {
        std::vector<Step> steps;
        for (uchar slot = 1; slot <= (gun ? 1 : 4); ++slot)
            steps.push_back(settle({0x03, slot, 2, 0, 0, 0, 0}));
        QVERIFY(checkSequence(rig, steps, 0));
        const auto state = vmouse::state(rig.device);
        for (int slot = 1; slot <= 4; ++slot)
            QCOMPARE(state.reportRate560[slot], slot == 1 || !gun ? 2 : 3);
    } else {
        QVERIFY(checkSequence(rig, {settle({0x01, 2, 0, 0, 0, 0, 0})}, 0));
        QCOMPARE(vmouse::state(rig.device).reportRate553, 2);
    }
}

void TransfersTest::keyboardOptionsUse553Commands_data()
{
    QTest::addColumn<bool>("family560");
    QTest::newRow("553") << false;
    QTest::newRow("560 device") << true;
}

void TransfersTest::keyboardOptionsUse553Commands()
{
    QFETCH(bool, family560);
    WireRig rig(config(family560 ? Family::Fw560 : Family::Fw553));
    vmouse::FirmwareState state = vmouse::state(rig.device);
    state.keyboardOptions553 = {0x81, 0x42, 0x23, 0x14};
    vmouse::setState(rig.device, state);

    reportrate::setKeyboardOption(rig.hid, 0x11, 0x22, 0x33, 0x44);
    const QVariantList options = reportrate::getKeyboardOption(rig.hid);

    QVERIFY(checkSequence(rig, {
        then8ms({0x03, 0x11, 0x22, 0x33, 0x44, 0, 0}),
        read({0x83, 0, 0, 0, 0, 0, 0}),
    }, 0));
    if (family560) {
        // The 560 firmware does not know 83H and answers with zeros.
        QCOMPARE(options, QVariantList({0, 0, 0, 0}));
    } else {
        QCOMPARE(options, QVariantList({0x11, 0x22, 0x33, 0x44}));
    }
}

void TransfersTest::keyboardOptionReadFailsToZeros()
{
    WireRig rig(config(Family::Fw553));
    vmouse::FirmwareState state = vmouse::state(rig.device);
    state.keyboardOptions553 = {0x81, 0x42, 0x23, 0x14};
    vmouse::setState(rig.device, state);
    vmouse::failCall(CallKind::GetFeature);
    QCOMPARE(reportrate::getKeyboardOption(rig.hid), QVariantList({0, 0, 0, 0}));
    QCOMPARE(reportrate::getKeyboardOption(rig.hid), QVariantList({0x81, 0x42, 0x23, 0x14}));
}

QTEST_GUILESS_MAIN(TransfersTest)
#include "tst_transfers.moc"
