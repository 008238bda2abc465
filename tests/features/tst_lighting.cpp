// Lighting: every effect and speed/brightness table, and the effect and
// colour paths of colourful, basic and "55328" mice on both families.
#include "deviceflags.h"
#include "featurewire.h"
#include "lighting.h"

#include <QTest>

using namespace featurewire;
using lighting::BasicEffect;
using lighting::Effect;
using lighting::SpeedTable;
using vmouse::Family;

namespace {

QByteArray tripleHex(const Effect& e)
{
    QByteArray b;
    b.append(char(e.mode)).append(char(e.p1)).append(char(e.p2));
    return b.toHex(' ');
}

QVariantList colourList(int count, int seed)
{
    QVariantList out;
    for (int i = 0; i < count; ++i)
        out.append((seed + 11 * i) % 256);
    return out;
}

QByteArray colourBytes(const QVariantList& list)
{
    QByteArray out(24, '\0');
    for (int i = 0; i < 24 && i < list.size(); ++i)
        out[i] = char(list[i].toInt() & 0xFF);
    return out;
}

DeviceFlags flags(bool family560, bool colourful, bool is55328, bool gun)
{
    DeviceFlags f;
    f.family560 = family560;
    f.isColorful = colourful;
    f.is55328 = is55328;
    f.isGun = gun;
    return f;
}

} // namespace

class LightingTest : public QObject
{
    Q_OBJECT

private slots:
    void colourfulTables();
    void colourfulEffects_data();
    void colourfulEffects();
    void basicTables();
    void basicEffects_data();
    void basicEffects();
    void colourBytesTakeLowBytes();

    void effect553_data();
    void effect553();
    void effect560_data();
    void effect560();
    void colour560_data();
    void colour560();
    void colour553_data();
    void colour553();
};

void LightingTest::colourfulTables()
{
    const int brightness[] = {0x00, 0x40, 0x80, 0xC0, 0xFF, 0, 0};
    const int b[] = {0, 1, 2, 3, 4, 5, 255};
    for (int i = 0; i < 7; ++i)
        QCOMPARE(int(lighting::colourfulBrightness(uchar(b[i]))), brightness[i]);

    const std::pair<SpeedTable, std::array<int, 6>> tables[] = {
        {SpeedTable::S1, {10, 7, 5, 3, 1, 0}},
        {SpeedTable::S2, {20, 17, 15, 13, 11, 0}},
        {SpeedTable::S3, {15, 13, 10, 7, 5, 0}},
        {SpeedTable::S4, {30, 27, 24, 22, 20, 0}},
    };
    for (const auto& [table, expected] : tables) {
        for (int speed = 0; speed <= 5; ++speed)
            QCOMPARE(int(lighting::colourfulSpeed(table, uchar(speed))), expected[speed]);
        QCOMPARE(int(lighting::colourfulSpeed(table, 255)), 0);
    }
}

void LightingTest::colourfulEffects_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QByteArray>("triple");

    // Speed 2 and brightness 3 everywhere tell the tables apart:
    // B = c0, S1 = 5, S2 = 15, S3 = 10, S4 = 24.
    QTest::newRow("0 Static") << 0 << 2 << 3 << QByteArray("01 c0 00");
    QTest::newRow("1 Breath") << 1 << 2 << 3 << QByteArray("03 00 05");
    QTest::newRow("2 Neon") << 2 << 2 << 3 << QByteArray("04 00 05");
    QTest::newRow("3 OFF") << 3 << 2 << 3 << QByteArray("00 00 00");
    QTest::newRow("4 Twinkling") << 4 << 2 << 3 << QByteArray("02 c0 00");
    QTest::newRow("5 Wave") << 5 << 2 << 3 << QByteArray("05 c0 05");
    QTest::newRow("6 Finger Moving") << 6 << 2 << 3 << QByteArray("06 00 00");
    QTest::newRow("7 Gliding") << 7 << 2 << 3 << QByteArray("07 c0 00");
    QTest::newRow("8 Vertical Flipping") << 8 << 2 << 3 << QByteArray("08 c0 0f");
    QTest::newRow("9 YO-YO") << 9 << 2 << 3 << QByteArray("09 c0 0a");
    QTest::newRow("10 Spotlight") << 10 << 2 << 3 << QByteArray("0a c0 18");
    QTest::newRow("11 unknown") << 11 << 2 << 3 << QByteArray("00 00 00");
    QTest::newRow("255 unknown") << 255 << 2 << 3 << QByteArray("00 00 00");
    QTest::newRow("Static at brightness 4") << 0 << 0 << 4 << QByteArray("01 ff 00");
    QTest::newRow("Static at brightness 0") << 0 << 0 << 0 << QByteArray("01 00 00");
    QTest::newRow("Wave beyond the tables") << 5 << 5 << 7 << QByteArray("05 00 00");
    QTest::newRow("Breath at speed 0") << 1 << 0 << 0 << QByteArray("03 00 0a");
    QTest::newRow("Spotlight at speed 4") << 10 << 4 << 1 << QByteArray("0a 40 14");
}

void LightingTest::colourfulEffects()
{
    QFETCH(int, effect);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(QByteArray, triple);
    QCOMPARE(tripleHex(lighting::colourfulEffect(uchar(effect), uchar(speed), uchar(brightness))), triple);
}

void LightingTest::basicTables()
{
    const int l[] = {1, 3, 5, 7, 10, 0};
    const int n[] = {30, 24, 18, 12, 6, 0};
    for (int i = 0; i <= 5; ++i) {
        QCOMPARE(int(lighting::basicBrightness(uchar(i))), l[i]);
        QCOMPARE(int(lighting::basicNeonSpeed(uchar(i))), n[i]);
    }
    QCOMPARE(int(lighting::basicBrightness(255)), 0);
    QCOMPARE(int(lighting::basicNeonSpeed(255)), 0);
}

void LightingTest::basicEffects_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QByteArray>("modeP1Q");

    QTest::newRow("0 Static, brightness 2") << 0 << 4 << 2 << QByteArray("01 05 01");
    QTest::newRow("0 Static, brightness 5") << 0 << 0 << 5 << QByteArray("01 00 01");
    QTest::newRow("1 Breath, speed 4") << 1 << 4 << 0 << QByteArray("02 05 01");
    QTest::newRow("1 Breath, speed 0") << 1 << 0 << 4 << QByteArray("02 01 01");
    QTest::newRow("2 Neon, speed 1") << 2 << 1 << 0 << QByteArray("03 18 01");
    QTest::newRow("2 Neon, speed 6") << 2 << 6 << 0 << QByteArray("03 00 01");
    QTest::newRow("3 OFF") << 3 << 2 << 2 << QByteArray("00 00 00");
    QTest::newRow("4 Breath Loop, speed 0") << 4 << 0 << 0 << QByteArray("02 01 03");
    QTest::newRow("4 Breath Loop, speed 3") << 4 << 3 << 0 << QByteArray("02 04 03");
    QTest::newRow("5 unknown") << 5 << 1 << 1 << QByteArray("00 00 00");
}

void LightingTest::basicEffects()
{
    QFETCH(int, effect);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(QByteArray, modeP1Q);
    const BasicEffect e = lighting::basicEffect(uchar(effect), uchar(speed), uchar(brightness));
    QCOMPARE(tripleHex({e.mode, e.p1, e.q}), modeP1Q);
}

void LightingTest::colourBytesTakeLowBytes()
{
    const auto raw = [](const std::array<uchar, 24>& a) { return QByteArray(reinterpret_cast<const char*>(a.data()), 24); };
    QVariantList list = colourList(24, 3);
    list[0] = 300;
    list[1] = QStringLiteral("255");
    list[2] = -1;
    QCOMPARE(raw(lighting::colourBytes(list)).left(3), hex("2c ff ff"));
    QCOMPARE(raw(lighting::colourBytes(list)).mid(3), colourBytes(list).mid(3));
    // Short lists leave zeros; values past the 24th are ignored.
    QCOMPARE(raw(lighting::colourBytes(colourList(5, 9))), colourBytes(colourList(5, 9)));
    QCOMPARE(raw(lighting::colourBytes(colourList(30, 9))), colourBytes(colourList(24, 9)));
    QCOMPARE(raw(lighting::colourBytes({})), QByteArray(24, '\0'));
}

void LightingTest::effect553_data()
{
    QTest::addColumn<bool>("colourful");
    QTest::addColumn<bool>("is55328");
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QByteArray>("params");

    QTest::newRow("colourful Static, brightness 4") << true << false << 0 << 0 << 4 << hex("01 ff 00");
    QTest::newRow("colourful Static, brightness 0") << true << false << 0 << 0 << 0 << hex("01 00 00");
    QTest::newRow("colourful Spotlight") << true << false << 10 << 2 << 3 << hex("0a c0 18");
    QTest::newRow("colourful and 55328: colourful table") << true << true << 1 << 0 << 0 << hex("03 00 0a");
    QTest::newRow("basic Breath, speed 4") << false << false << 1 << 4 << 0 << hex("02 05 02");
    QTest::newRow("basic Neon, speed 1") << false << false << 2 << 1 << 0 << hex("03 18 02");
    QTest::newRow("basic OFF") << false << false << 3 << 0 << 0 << hex("00 00 02");
    QTest::newRow("55328 Breath, speed 4") << false << true << 1 << 4 << 0 << hex("02 05 01");
    QTest::newRow("55328 Breath Loop, speed 0") << false << true << 4 << 0 << 0 << hex("02 01 03");
    QTest::newRow("55328 Static, brightness 3") << false << true << 0 << 0 << 3 << hex("01 07 01");
    QTest::newRow("55328 OFF") << false << true << 3 << 0 << 0 << hex("00 00 00");
}

void LightingTest::effect553()
{
    QFETCH(bool, colourful);
    QFETCH(bool, is55328);
    QFETCH(int, effect);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(QByteArray, params);
    for (bool gun : {false, true}) {
        WireRig rig(config(Family::Fw553));
        rig.owner.gun = gun;
        ProfileBlocks blocks;
        lighting::setEffect(rig.hid, flags(false, colourful, is55328, gun), blocks, uchar(effect), uchar(speed),
                            uchar(brightness));
        QVERIFY(checkSequence(rig, {settle({0x0D, uchar(params[0]), uchar(params[1]), uchar(params[2]), 0, 0, 0})}, 0));
        const auto state = vmouse::state(rig.device);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(state.rgbEffect553.data()), 3), params);
        QCOMPARE(memoryBlock(blocks, 1), QByteArray(128, '\0'));
    }
}

void LightingTest::effect560_data()
{
    QTest::addColumn<bool>("colourful");
    QTest::addColumn<bool>("is55328");
    QTest::addColumn<bool>("gun");
    QTest::addColumn<int>("effect");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("brightness");
    QTest::addColumn<QByteArray>("triple");   // written into blocks 1..4
    QTest::addColumn<int>("block1Byte73");

    QTest::newRow("basic Neon, no gun: block 1 alone, 3 in byte 73")
        << false << false << false << 2 << 1 << 0 << hex("03 18 02") << 3;
    QTest::newRow("basic Neon, gun: four blocks") << false << false << true << 2 << 1 << 0 << hex("03 18 02") << 2;
    QTest::newRow("basic 55328 Breath Loop, no gun: q is not used")
        << false << true << false << 4 << 0 << 0 << hex("02 01 02") << 3;
    QTest::newRow("basic OFF, gun") << false << false << true << 3 << 0 << 0 << hex("00 00 02") << 2;
    QTest::newRow("colourful Spotlight, no gun") << true << false << false << 10 << 2 << 3 << hex("0a c0 18") << 0x18;
    QTest::newRow("colourful Static, gun") << true << false << true << 0 << 0 << 4 << hex("01 ff 00") << 0;
}

void LightingTest::effect560()
{
    QFETCH(bool, colourful);
    QFETCH(bool, is55328);
    QFETCH(bool, gun);
    QFETCH(int, effect);
    QFETCH(int, speed);
    QFETCH(int, brightness);
    QFETCH(QByteArray, triple);
    QFETCH(int, block1Byte73);
    WireRig rig(config(Family::Fw560));
    rig.owner.gun = gun;
    ProfileBlocks blocks;
    const auto read = readAllBlocks(rig, blocks);
    rig.clock.advance(64);

    lighting::setEffect(rig.hid, flags(true, colourful, is55328, gun), blocks, uchar(effect), uchar(speed),
                        uchar(brightness));

    QByteArray expected[5];
    for (int p = 1; p <= 4; ++p) {
        expected[p] = read[p];
        expected[p].replace(71, 3, triple);
    }
    expected[1][73] = char(block1Byte73);
    for (int p = 1; p <= 4; ++p)
        QCOMPARE(memoryBlock(blocks, p), expected[p]);
    QCOMPARE(memoryBlock(blocks, 0), read[0]);

    std::vector<Step> steps = {settle({0x0C, 1, 0x80, 0, 0, 0, 0}, expected[1])};
    if (gun)
        for (uchar p = 2; p <= 4; ++p)
            steps.push_back(settle({0x0C, p, 0x80, 0, 0, 0, 0}, expected[p]));
    QVERIFY(checkSequence(rig, steps, 64));
    QCOMPARE(deviceProfile(rig, 0), read[0]);
    QCOMPARE(deviceProfile(rig, 1), expected[1]);
    for (int p = 2; p <= 4; ++p)
        QCOMPARE(deviceProfile(rig, p), gun ? expected[p] : read[p]);
}

void LightingTest::colour560_data()
{
    QTest::addColumn<bool>("colourful");
    QTest::addColumn<bool>("gun");
    QTest::addColumn<QVariantList>("colours");
    QTest::newRow("colourful: block 0") << true << false << colourList(24, 7);
    QTest::newRow("colourful, gun: still block 0 alone") << true << true << colourList(24, 7);
    QTest::newRow("colourful, 30 values") << true << false << colourList(30, 90);
    QTest::newRow("basic: block 1") << false << false << colourList(24, 5);
    QTest::newRow("basic, gun: block 1 alone") << false << true << colourList(24, 5);
    // A short list zeroes the colours it does not give.
    QTest::newRow("basic, 6 values") << false << false << colourList(6, 200);
}

void LightingTest::colour560()
{
    QFETCH(bool, colourful);
    QFETCH(bool, gun);
    QFETCH(QVariantList, colours);
    WireRig rig(config(Family::Fw560, 64));
    rig.owner.gun = gun;
    ProfileBlocks blocks;
    const auto read = readAllBlocks(rig, blocks);

    lighting::setColor(rig.hid, flags(true, colourful, false, gun), blocks, colourful ? 0 : 1, colours);

    const int profile = colourful ? 0 : 1;
    QByteArray expected = read[profile];
    expected.replace(colourful ? 24 : 104, 24, colourBytes(colours));
    QVERIFY(checkSequence(rig, {settle({0x0C, uchar(profile), 0x80, 0, 0, 0, 0}, expected)}, 0));
    for (int p = 0; p < 5; ++p) {
        QCOMPARE(deviceProfile(rig, p), p == profile ? expected : read[p]);
        QCOMPARE(memoryBlock(blocks, p), p == profile ? expected : read[p]);
    }
}

void LightingTest::colour553_data()
{
    QTest::addColumn<bool>("colourful");
    QTest::addColumn<bool>("is55328");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariantList>("colours");

    QVariantList eighthBlack = colourList(24, 1);
    eighthBlack[21] = 0;
    eighthBlack[22] = 0;
    eighthBlack[23] = 0;
    QVariantList eighthBlue = eighthBlack;
    eighthBlue[23] = 1;
    QVariantList eighthRed = eighthBlack;
    eighthRed[21] = 256 + 9;
    QVariantList wrapsToBlack = eighthBlack;
    wrapsToBlack[22] = 256;

    QTest::newRow("55328, colour 8 black: fixed colour") << false << true << 1 << eighthBlack;
    QTest::newRow("55328, colour 8 blue: eight colours") << false << true << 1 << eighthBlue;
    QTest::newRow("55328, colour 8 red: eight colours") << false << true << 1 << eighthRed;
    QTest::newRow("55328, 256 is black") << false << true << 1 << wrapsToBlack;
    QTest::newRow("55328, short list: fixed colour") << false << true << 1 << colourList(3, 40);
    QTest::newRow("basic, type 1: twice") << false << false << 1 << colourList(24, 17);
    QTest::newRow("colourful, type 0: twice") << true << false << 0 << colourList(24, 17);
    QTest::newRow("type 2: four bytes, twice") << false << false << 2 << colourList(24, 17);
}

void LightingTest::colour553()
{
    QFETCH(bool, colourful);
    QFETCH(bool, is55328);
    QFETCH(int, type);
    QFETCH(QVariantList, colours);
    WireRig rig(config(Family::Fw553));
    ProfileBlocks blocks;

    lighting::setColor(rig.hid, flags(false, colourful, is55328, false), blocks, uchar(type), colours);

    const QByteArray c = colourBytes(colours);
    const auto state = vmouse::state(rig.device);
    if (is55328) {
        if (c.mid(21, 3) == QByteArray(3, '\0')) {
            QVERIFY(checkSequence(rig, {settle({0x0C, uchar(c[0]), uchar(c[1]), uchar(c[2]), 0, 0, 0})}, 0));
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(state.fixedLedColor553.data()), 3), c.left(3));
            QCOMPARE(state.ledStageType553, -1);
        } else {
            QVERIFY(checkSequence(rig, {settle({0x10, 0, 24, 0, 0, 0, 0}, c)}, 0));
            QCOMPARE(state.ledStageType553, 0);
            QCOMPARE(bytes(state.ledStageColors553), c);
        }
    } else {
        const QByteArray sent = type == 2 ? c.left(4) : c;
        const Step step = settle({0x10, uchar(type), uchar(sent.size()), 0, 0, 0, 0}, sent);
        QVERIFY(checkSequence(rig, {step, step}, 0));
        QCOMPARE(state.ledStageType553, type);
        QCOMPARE(bytes(state.ledStageColors553), sent);
    }
    for (uint p = 0; p < ProfileBlocks::kCount; ++p)
        QCOMPARE(memoryBlock(blocks, p), QByteArray(128, '\0'));
}

QTEST_GUILESS_MAIN(LightingTest)
#include "tst_lighting.moc"
