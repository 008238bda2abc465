// DPI: the four sensor encodings, the 553 stage table and the DPI area of
// the 560 profile blocks, on the wire.
#include "deviceflags.h"
#include "dpi.h"
#include "featurewire.h"

#include <QTest>

using namespace featurewire;
using vmouse::Family;

namespace {

QVariantList values(std::initializer_list<int> list)
{
    QVariantList out;
    for (int v : list)
        out.append(v);
    return out;
}

QByteArray codesOf(const std::array<uchar, 8>& codes)
{
    return QByteArray(reinterpret_cast<const char*>(codes.data()), 8);
}

const QVariantList kStages = values({400, 800, 1600, 3200, 4800, 6400, 8000, 12000});

} // namespace

class DpiTest : public QObject
{
    Q_OBJECT

private slots:
    void stageCodes_data();
    void stageCodes();
    void highBitOnlyFor3389();
    void encodeTakesAtMostEightStages();
    void activeStageMask();
    void stageTable553FillsUnusedStages();

    void table553_data();
    void table553();
    void area560_data();
    void area560();
    void area560TakesTheFirstEightValues();
    void currentStage_data();
    void currentStage();
};

void DpiTest::stageCodes_data()
{
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("code");

    QTest::newRow("4090 200") << "4090" << 200 << 1;
    QTest::newRow("4090 5000 (last of v/100-1)") << "4090" << 5000 << 0x31;
    QTest::newRow("4090 5001 (first of v/200|40)") << "4090" << 5001 << (25 | 0x40);
    QTest::newRow("4090 5200") << "4090" << 5200 << 0x5A;
    QTest::newRow("4090 6000") << "4090" << 6000 << 0x5E;
    QTest::newRow("4090 0 wraps to ff") << "4090" << 0 << 0xFF;
    QTest::newRow("4090 199 truncates") << "4090" << 199 << 0;
    QTest::newRow("any other text takes 4090") << "9999" << 6000 << 0x5E;
    QTest::newRow("empty text takes 4090") << "" << 5000 << 0x31;
    // Exact comparison: a near-miss of 3360 is not 3360.
    QTest::newRow("' 3360' takes 4090") << " 3360" << 6000 << 0x5E;

    QTest::newRow("3360 500") << "3360" << 500 << 4;
    QTest::newRow("3360 6000") << "3360" << 6000 << 59;
    QTest::newRow("3360 12000") << "3360" << 12000 << 119;
    QTest::newRow("3360 26000 keeps the low byte") << "3360" << 26000 << (259 & 0xFF);

    QTest::newRow("3050 250") << "3050" << 250 << 1;
    QTest::newRow("3050 251") << "3050" << 251 << 2;
    QTest::newRow("3050 300") << "3050" << 300 << 2;
    QTest::newRow("3050 500") << "3050" << 500 << 2;
    QTest::newRow("3050 750") << "3050" << 750 << 3;
    QTest::newRow("3050 1000") << "3050" << 1000 << 4;
    QTest::newRow("3050 1250") << "3050" << 1250 << 5;
    QTest::newRow("3050 1500") << "3050" << 1500 << 6;
    QTest::newRow("3050 1750") << "3050" << 1750 << 7;
    QTest::newRow("3050 2000") << "3050" << 2000 << 8;
    QTest::newRow("3050 2001") << "3050" << 2001 << 69;
    QTest::newRow("3050 2500") << "3050" << 2500 << 69;
    QTest::newRow("3050 3000") << "3050" << 3000 << 70;
    QTest::newRow("3050 3500") << "3050" << 3500 << 71;
    QTest::newRow("3050 3501") << "3050" << 3501 << 72;
    QTest::newRow("3050 4000") << "3050" << 4000 << 72;
    QTest::newRow("3050 4001") << "3050" << 4001 << 0;
    QTest::newRow("3050 4100") << "3050" << 4100 << 0;
    QTest::newRow("3050 0") << "3050" << 0 << 1;

    QTest::newRow("3389 100") << "3389" << 100 << 2;
    QTest::newRow("3389 12750") << "3389" << 12750 << 255;
    QTest::newRow("3389 12799") << "3389" << 12799 << 255;
    QTest::newRow("3389 12800") << "3389" << 12800 << 0;
    QTest::newRow("3389 16000") << "3389" << 16000 << (320 & 0xFF);
}

void DpiTest::stageCodes()
{
    QFETCH(QString, sensor);
    QFETCH(int, value);
    QFETCH(int, code);
    QCOMPARE(int(dpi::stageCode(sensor, value)), code);
}

void DpiTest::highBitOnlyFor3389()
{
    QVERIFY(!dpi::stageHighBit(QStringLiteral("3389"), 12750));
    QVERIFY(!dpi::stageHighBit(QStringLiteral("3389"), 12799));
    QVERIFY(dpi::stageHighBit(QStringLiteral("3389"), 12800));
    for (const char* other : {"4090", "3360", "3050", "x"})
        QVERIFY(!dpi::stageHighBit(QString::fromLatin1(other), 16000));

    const dpi::StageTable t = dpi::encodeStages(QStringLiteral("3389"),
                                                values({100, 12800, 400, 12799, 800, 1600, 16000, 12801}));
    QCOMPARE(int(t.highBits), 0b1100'0010);
    QCOMPARE(codesOf(t.codes), hex("02 00 08 ff 10 20 40 00"));
    QCOMPARE(int(dpi::encodeStages(QStringLiteral("4090"), values({16000, 16000})).highBits), 0);
}

void DpiTest::encodeTakesAtMostEightStages()
{
    // Nine values: the ninth is not a stage (and must not reach memory past the eight).
    const dpi::StageTable nine = dpi::encodeStages(QStringLiteral("3389"),
                                                   values({100, 200, 300, 400, 500, 600, 700, 800, 13000}));
    QCOMPARE(codesOf(nine.codes), hex("02 04 06 08 0a 0c 0e 10"));
    QCOMPARE(int(nine.highBits), 0);
    // Fewer values: the missing stages are 0. Texts are numbers too.
    const dpi::StageTable three = dpi::encodeStages(QStringLiteral("3360"), QVariantList{500, QStringLiteral("6000"), 800});
    QCOMPARE(codesOf(three.codes), hex("04 3b 07 00 00 00 00 00"));
    QCOMPARE(codesOf(dpi::encodeStages(QStringLiteral("4090"), {}).codes), QByteArray(8, '\0'));
}

void DpiTest::activeStageMask()
{
    QCOMPARE(int(dpi::activeStageMask(1)), 0x01);
    QCOMPARE(int(dpi::activeStageMask(3)), 0x07);
    QCOMPARE(int(dpi::activeStageMask(8)), 0xFF);
    // Outside 1..8: no stage, or all eight; never a shift past the byte.
    QCOMPARE(int(dpi::activeStageMask(0)), 0x00);
    QCOMPARE(int(dpi::activeStageMask(-3)), 0x00);
    QCOMPARE(int(dpi::activeStageMask(9)), 0xFF);
    QCOMPARE(int(dpi::activeStageMask(40)), 0xFF);
}

void DpiTest::stageTable553FillsUnusedStages()
{
    const dpi::StageTable t = dpi::encodeStages(QStringLiteral("3360"), kStages);
    QCOMPARE(codesOf(dpi::stageTable553(t, 3)), hex("03 07 0f 80 80 80 80 80"));
    QCOMPARE(codesOf(dpi::stageTable553(t, 8)), hex("03 07 0f 1f 2f 3f 4f 77"));
    QCOMPARE(codesOf(dpi::stageTable553(t, 12)), hex("03 07 0f 1f 2f 3f 4f 77"));
    QCOMPARE(codesOf(dpi::stageTable553(t, 0)), QByteArray(8, char(0x80)));
    QCOMPARE(codesOf(dpi::stageTable553(t, -1)), QByteArray(8, char(0x80)));
}

void DpiTest::table553_data()
{
    QTest::addColumn<bool>("gun");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<QByteArray>("bulk");
    QTest::newRow("3 stages, 4090") << false << 3 << "4090" << hex("03 07 0f 80 80 80 80 80");
    QTest::newRow("8 stages, 4090, gun mouse") << true << 8 << "4090" << hex("03 07 0f 1f 2f 60 68 7c");
    // The high-bit byte has no place on this family.
    QTest::newRow("8 stages, 3389") << false << 8 << "3389" << hex("08 10 20 40 60 80 a0 f0");
    QTest::newRow("1 stage, 3050") << false << 1 << "3050" << hex("02 80 80 80 80 80 80 80");
}

void DpiTest::table553()
{
    QFETCH(bool, gun);
    QFETCH(int, count);
    QFETCH(QString, sensor);
    QFETCH(QByteArray, bulk);
    WireRig rig(config(Family::Fw553));
    rig.owner.gun = gun;
    ProfileBlocks blocks;
    DeviceFlags flags;
    flags.isGun = gun;

    dpi::setDpi(rig.hid, flags, blocks, count, sensor, kStages);

    QVERIFY(checkSequence(rig, {settle({0x11, uchar(count), 8, 0, 0, 0, 0}, bulk)}, 0));
    const auto state = vmouse::state(rig.device);
    QCOMPARE(state.dpiStageCount553, count);
    QCOMPARE(bytes(state.dpiCodes553), bulk);
    for (uint p = 0; p < ProfileBlocks::kCount; ++p)
        QCOMPARE(memoryBlock(blocks, p), QByteArray(128, '\0'));
}

void DpiTest::area560_data()
{
    QTest::addColumn<bool>("gun");
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<QVariantList>("stages");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<int>("highBits");   // -1: offsets 82, 83 stay as read

    QTest::newRow("4090, 3 stages") << false << "4090" << kStages << 3 << hex("03 07 0f 1f 2f 60 68 7c") << -1;
    QTest::newRow("4090, 3 stages, gun") << true << "4090" << kStages << 3 << hex("03 07 0f 1f 2f 60 68 7c") << -1;
    QTest::newRow("3389, 8 stages, two high") << false << "3389"
        << values({400, 800, 1600, 3200, 6400, 12800, 12750, 16000}) << 8 << hex("08 10 20 40 80 00 ff 40") << 0xA0;
    QTest::newRow("3389, none high, gun") << true << "3389" << kStages << 5 << hex("08 10 20 40 60 80 a0 f0") << 0;
    QTest::newRow("3050, 1 stage") << false << "3050" << kStages << 1 << hex("02 04 07 47 00 00 00 00") << -1;
}

void DpiTest::area560()
{
    QFETCH(bool, gun);
    QFETCH(QString, sensor);
    QFETCH(QVariantList, stages);
    QFETCH(int, count);
    QFETCH(QByteArray, codes);
    QFETCH(int, highBits);
    WireRig rig(config(Family::Fw560));
    rig.owner.gun = gun;
    ProfileBlocks blocks;
    const auto read = readAllBlocks(rig, blocks);
    DeviceFlags flags;
    flags.family560 = true;
    flags.isGun = gun;

    dpi::setDpi(rig.hid, flags, blocks, count, sensor, stages);

    // Offsets 82..100 change; every other byte goes back as the device gave it.
    QByteArray expected[5];
    for (int p = 1; p <= 4; ++p) {
        expected[p] = read[p];
        expected[p].replace(84, 8, codes);
        expected[p].replace(92, 8, codes);
        expected[p][100] = char(dpi::activeStageMask(count));
        if (highBits >= 0) {
            expected[p][82] = char(highBits);
            expected[p][83] = char(highBits);
        }
        QCOMPARE(memoryBlock(blocks, p), expected[p]);
    }
    QCOMPARE(uchar(expected[1][100]), uchar((1u << count) - 1));

    std::vector<Step> steps = {settle({0x0C, 1, 0x80, 0, 0, 0, 0}, expected[1])};
    if (gun)
        for (uchar p = 2; p <= 4; ++p)
            steps.push_back(settle({0x0C, p, 0x80, 0, 0, 0, 0}, expected[p]));
    QVERIFY(checkSequence(rig, steps, 0));

    QCOMPARE(deviceProfile(rig, 0), read[0]);
    QCOMPARE(memoryBlock(blocks, 0), read[0]);
    QCOMPARE(deviceProfile(rig, 1), expected[1]);
    for (int p = 2; p <= 4; ++p)
        QCOMPARE(deviceProfile(rig, p), gun ? expected[p] : read[p]);
}

void DpiTest::area560TakesTheFirstEightValues()
{
    // Ten values and a count above eight: eight codes, mask 0xff, and the
    // byte after the area untouched.
    WireRig rig(config(Family::Fw560));
    ProfileBlocks blocks;
    readAllBlocks(rig, blocks);
    const QByteArray read1 = deviceProfile(rig, 1);
    DeviceFlags flags;
    flags.family560 = true;

    dpi::setDpi(rig.hid, flags, blocks, 10, QStringLiteral("3389"),
                values({100, 200, 300, 400, 500, 600, 700, 800, 13000, 14000}));

    QByteArray expected = read1;
    const QByteArray codes = hex("02 04 06 08 0a 0c 0e 10");
    expected.replace(84, 8, codes);
    expected.replace(92, 8, codes);
    expected[82] = 0;
    expected[83] = 0;
    expected[100] = char(0xFF);
    QVERIFY(checkSequence(rig, {settle({0x0C, 1, 0x80, 0, 0, 0, 0}, expected)}, 0));
    QCOMPARE(deviceProfile(rig, 1), expected);
    QCOMPARE(deviceProfile(rig, 1).at(101), read1.at(101));
}

void DpiTest::currentStage_data()
{
    QTest::addColumn<bool>("family560");
    QTest::addColumn<bool>("gun");
    QTest::newRow("553") << false << false;
    QTest::newRow("560: every slot") << true << false;
    QTest::newRow("560, gun: slot 1") << true << true;
}

void DpiTest::currentStage()
{
    QFETCH(bool, family560);
    QFETCH(bool, gun);
    WireRig rig(config(family560 ? Family::Fw560 : Family::Fw553));
    rig.owner.gun = gun;

    dpi::setCurrentStage(rig.hid, family560, 6);
    std::vector<Step> steps;
    if (family560) {
        for (uchar slot = 1; slot <= (gun ? 1 : 4); ++slot)
            steps.push_back(settle({0x04, slot, 6, 0, 0, 0, 0}));
    } else {
        steps.push_back(settle({0x0B, 6, 0, 0, 0, 0, 0}));
    }
    const qint64 afterSet = 128 * qint64(steps.size());
    QCOMPARE(dpi::currentStage(rig.hid, family560), 6);
    // The 560 read names byte 1 = 1 and takes the stage from reply byte 2.
    steps.push_back(family560 ? read({0x84, 1, 0, 0, 0, 0, 0}) : read({0x8B, 0, 0, 0, 0, 0, 0}));
    QVERIFY(checkSequence(rig, steps, 0));
    QCOMPARE(rig.clock.nowMs(), afterSet);

    // No device: the read hands back 0, which highlights no stage.
    rig.hid.deviceList[0].commandPath.clear();
    QCOMPARE(dpi::currentStage(rig.hid, family560), 0);
}

QTEST_GUILESS_MAIN(DpiTest)
#include "tst_dpi.moc"
