// Button assignment: the layout in the profile store, matrix 1, the gun
// matrices of both families, the exact commands and their order, and the
// profile-file operations on key definitions.
#include "deviceflags.h"
#include "featurewire.h"
#include "fixturetree.h"
#include "keymatrix.h"
#include "settingsfile.h"
#include "settingsstores.h"

#include <QTest>

using namespace featurewire;
using keymatrix::Matrix;
using vmouse::Family;

namespace {

QByteArray hexOf(const Matrix& m)
{
    return QByteArray(reinterpret_cast<const char*>(m.data()), int(m.size()));
}

QByteArray slotHex(const Matrix& m, int slot)
{
    return hexOf(m).mid(slot * 4, 4).toHex(' ');
}

QVariantList ints(std::initializer_list<int> values)
{
    QVariantList out;
    for (int v : values)
        out.append(v);
    return out;
}

// The factory layout as the page sends it after a restart: texts.
QVariantList factoryLayout()
{
    QSettings factory(QStringLiteral(KESTREL_DATA_DIR "/setting/pD.bin"), QSettings::IniFormat);
    QVariantList out;
    for (int slot = 0; slot < 16; ++slot)
        for (const QString& value : factory.value(QStringLiteral("mouseKeyMatrix/%1").arg(slot)).toStringList())
            out.append(value.trimmed());
    return out;
}

// The device form of the factory layout, written out by hand.
const QByteArray kFactoryMatrix1 = hex(
    "01 00 f0 00  01 00 f1 00  01 00 f2 00  01 00 f4 00  01 00 f3 00  07 00 01 00  07 00 02 00  0a f0 1e 02"
    "01 00 00 00  01 00 00 00  01 00 00 00  01 00 00 00  01 00 00 00  01 00 00 00  04 00 01 00  04 00 02 00");

QVariantList withSlot(QVariantList layout, int slot, std::initializer_list<int> values)
{
    int i = slot * 4;
    for (int v : values)
        layout[i++] = v;
    return layout;
}

// A firmware key matrix whose every byte tells its slot and position.
QByteArray customFirmware()
{
    QByteArray out;
    for (int slot = 0; slot < 16; ++slot)
        for (int i = 1; i <= 4; ++i)
            out.append(char(0x10 * i + slot));
    return out;
}

void storeFirmware(SettingsFile* store, const QByteArray& matrix)
{
    for (int slot = 0; slot < 16; ++slot) {
        QVariantList entry;
        for (int i = 0; i < 4; ++i)
            entry.append(int(uchar(matrix[slot * 4 + i])));
        store->setValue(QStringLiteral("mouseFwKeyMatrix/%1").arg(slot), entry);
    }
}

Matrix toMatrix(const QByteArray& data)
{
    Matrix m{};
    std::copy_n(reinterpret_cast<const uchar*>(data.constData()), std::min<qsizetype>(data.size(), 64), m.begin());
    return m;
}

QByteArray withSlotBytes(QByteArray matrix, int slot, const char* spaced)
{
    const QByteArray b = hex(spaced);
    for (int i = 0; i < 4; ++i)
        matrix[slot * 4 + i] = b[i];
    return matrix;
}

QByteArray deviceMatrix(const WireRig& rig, int number)
{
    const auto state = vmouse::state(rig.device);
    const auto it = state.keyMatrices.find(number);
    return it == state.keyMatrices.end() ? QByteArray() : bytes(it->second);
}

DeviceFlags flagsFor(Family family)
{
    DeviceFlags f;
    f.family560 = family == Family::Fw560;
    f.isGun = true;
    return f;
}

} // namespace

class KeyMatrixTest : public QObject
{
    Q_OBJECT

private slots:
    // Building the matrices.
    void withoutGunSwitchOnlyMatrixOne();
    void gunSwitch_data();
    void gunSwitch();
    void lastGunSlotDecidesTheBlockByte();
    void gunPeriodsInSlotZero();
    void shortListsReadAsZero();
    void firmwareMatrixFromTheStore();

    // On the wire.
    void storesWithoutSending();
    void noGunSwitchSendsMatrixOneAlone_data();
    void noGunSwitchSendsMatrixOneAlone();
    void gunLayout553();
    void gunLayout560();
    void gunLayoutFromShortLists();
    void resetSendsTheFirmwareMatrixUnconverted_data();
    void resetSendsTheFirmwareMatrixUnconverted();

    // Profile files.
    void keydefineFromEitherStore();
    void deletingAMacroRestoresItsSlots();
};

void KeyMatrixTest::withoutGunSwitchOnlyMatrixOne()
{
    for (bool family560 : {false, true}) {
        const Matrix base = keymatrix::baseMatrix(factoryLayout(), family560);
        QCOMPARE(hexOf(base).toHex(' '), kFactoryMatrix1.toHex(' '));
        const auto built = keymatrix::buildKeyMatrices(base, toMatrix(customFirmware()), family560, ints({40, 55, 70}));
        QVERIFY(!built.hasGunSwitch);
        QVERIFY(!built.profileByte);
        QCOMPARE(hexOf(built.matrices[0]), kFactoryMatrix1);
    }
}

void KeyMatrixTest::gunSwitch_data()
{
    QTest::addColumn<bool>("family560");
    QTest::addColumn<int>("modes");
    QTest::addColumn<QByteArrayList>("slot5");   // matrices 1..4
    QTest::addColumn<int>("profileByte");        // -1: not set

    // The stored gun switch is 08 77 n 66; the firmware slot 5 is 15 25 35 45.
    QTest::newRow("553, one mode") << false << 1 << QByteArrayList{"08 00 01 01", "08 00 01 00", "08 00 01 00", "08 00 01 00"} << -1;
    QTest::newRow("553, two modes") << false << 2 << QByteArrayList{"08 00 01 01", "08 00 01 02", "08 00 01 00", "08 00 01 00"} << -1;
    QTest::newRow("553, three modes") << false << 3 << QByteArrayList{"08 00 01 01", "08 00 01 02", "08 00 01 03", "08 00 01 00"} << -1;
    // Any other count still gets bytes 1 and 2; byte 3 stays as it was.
    QTest::newRow("553, zero modes") << false << 0 << QByteArrayList{"08 00 01 66", "08 00 01 45", "08 00 01 45", "08 00 01 45"} << -1;
    QTest::newRow("553, five modes") << false << 5 << QByteArrayList{"08 00 01 66", "08 00 01 45", "08 00 01 45", "08 00 01 45"} << -1;
    // The 560 family changes byte 2 only, and the profile byte.
    QTest::newRow("560, one mode") << true << 1 << QByteArrayList{"08 77 01 66", "08 25 00 45", "08 25 00 45", "08 25 00 45"} << 7;
    QTest::newRow("560, two modes") << true << 2 << QByteArrayList{"08 77 01 66", "08 25 03 45", "08 25 00 45", "08 25 00 45"} << 15;
    QTest::newRow("560, three modes") << true << 3 << QByteArrayList{"08 77 01 66", "08 25 03 45", "08 25 03 45", "08 25 00 45"} << 31;
    QTest::newRow("560, zero modes: byte 0 only") << true << 0 << QByteArrayList{"08 77 00 66", "08 25 35 45", "08 25 35 45", "08 25 35 45"} << -1;
    QTest::newRow("560, four modes: byte 0 only") << true << 4 << QByteArrayList{"08 77 04 66", "08 25 35 45", "08 25 35 45", "08 25 35 45"} << -1;
}

void KeyMatrixTest::gunSwitch()
{
    QFETCH(bool, family560);
    QFETCH(int, modes);
    QFETCH(QByteArrayList, slot5);
    QFETCH(int, profileByte);

    const QVariantList layout = withSlot(factoryLayout(), 5, {8, 0x77, modes, 0x66});
    const Matrix base = keymatrix::baseMatrix(layout, family560);
    const Matrix firmware = toMatrix(customFirmware());
    const auto built = keymatrix::buildKeyMatrices(base, firmware, family560, ints({40, 55, 70}));

    QVERIFY(built.hasGunSwitch);
    for (int m = 0; m < 4; ++m)
        QCOMPARE(slotHex(built.matrices[m], 5), slot5[m]);
    QCOMPARE(built.profileByte.has_value(), profileByte >= 0);
    if (profileByte >= 0)
        QCOMPARE(int(*built.profileByte), profileByte);

    // Every other slot: matrix 1 is the layout, the gun matrices the firmware
    // matrix, apart from the period in slot 0.
    for (int slot = 1; slot < 16; ++slot) {
        if (slot == 5)
            continue;
        QCOMPARE(slotHex(built.matrices[0], slot), kFactoryMatrix1.mid(slot * 4, 4).toHex(' '));
        for (int m = 1; m < 4; ++m)
            QCOMPARE(slotHex(built.matrices[m], slot), customFirmware().mid(slot * 4, 4).toHex(' '));
    }
    QCOMPARE(slotHex(built.matrices[0], 0), QByteArray("01 00 f0 00"));
}

void KeyMatrixTest::lastGunSlotDecidesTheBlockByte()
{
    const Matrix firmware = toMatrix(customFirmware());
    QVariantList threeThenOne = withSlot(withSlot(factoryLayout(), 3, {8, 0, 3, 0}), 9, {8, 0, 1, 0});
    QVariantList oneThenThree = withSlot(withSlot(factoryLayout(), 3, {8, 0, 1, 0}), 9, {8, 0, 3, 0});
    QCOMPARE(int(*keymatrix::buildKeyMatrices(keymatrix::baseMatrix(threeThenOne, true), firmware, true, {}).profileByte), 7);
    QCOMPARE(int(*keymatrix::buildKeyMatrices(keymatrix::baseMatrix(oneThenThree, true), firmware, true, {}).profileByte), 31);
    // A later slot with a count the table does not know leaves the byte to the earlier one.
    QVariantList twoThenNine = withSlot(withSlot(factoryLayout(), 3, {8, 0, 2, 0}), 9, {8, 0, 9, 0});
    QCOMPARE(int(*keymatrix::buildKeyMatrices(keymatrix::baseMatrix(twoThenNine, true), firmware, true, {}).profileByte), 15);

    // On the 553 family each gun slot gets its own steps.
    const auto built = keymatrix::buildKeyMatrices(keymatrix::baseMatrix(threeThenOne, false), firmware, false, {});
    QCOMPARE(slotHex(built.matrices[2], 3), QByteArray("08 00 01 03"));
    QCOMPARE(slotHex(built.matrices[2], 9), QByteArray("08 00 01 00"));
    QCOMPARE(slotHex(built.matrices[0], 9), QByteArray("08 00 01 01"));
}

void KeyMatrixTest::gunPeriodsInSlotZero()
{
    const Matrix firmware = toMatrix(customFirmware());
    for (bool family560 : {false, true}) {
        const auto built = keymatrix::buildKeyMatrices(
            keymatrix::baseMatrix(withSlot(factoryLayout(), 5, {8, 0, 3, 0}), family560), firmware, family560,
            ints({40, 55, 70}));
        QCOMPARE(slotHex(built.matrices[1], 0), QByteArray("0b 00 28 00"));
        QCOMPARE(slotHex(built.matrices[2], 0), QByteArray("0b 01 37 00"));
        QCOMPARE(slotHex(built.matrices[3], 0), QByteArray("0b 02 46 00"));

        // A gun switch on slot 0 gives way to the periods in the gun matrices
        // and stays in matrix 1.
        const auto onZero = keymatrix::buildKeyMatrices(
            keymatrix::baseMatrix(withSlot(factoryLayout(), 0, {8, 0, 3, 0}), family560), firmware, family560,
            ints({40, 55, 70}));
        QCOMPARE(slotHex(onZero.matrices[0], 0), QByteArray(family560 ? "08 00 01 00" : "08 00 01 01"));
        QCOMPARE(slotHex(onZero.matrices[1], 0), QByteArray("0b 00 28 00"));
        QCOMPARE(slotHex(onZero.matrices[3], 0), QByteArray("0b 02 46 00"));
        QCOMPARE(int(onZero.profileByte.value_or(0)), family560 ? 31 : 0);
    }
    // Periods are taken modulo 256, numbers or texts.
    const auto wrapped = keymatrix::buildKeyMatrices(
        keymatrix::baseMatrix(withSlot(factoryLayout(), 5, {8, 0, 3, 0}), false), firmware, false,
        QVariantList{300, QStringLiteral("55"), -1});
    QCOMPARE(slotHex(wrapped.matrices[1], 0), QByteArray("0b 00 2c 00"));
    QCOMPARE(slotHex(wrapped.matrices[2], 0), QByteArray("0b 01 37 00"));
    QCOMPARE(slotHex(wrapped.matrices[3], 0), QByteArray("0b 02 ff 00"));
}

void KeyMatrixTest::shortListsReadAsZero()
{
    const Matrix firmware = toMatrix(customFirmware());
    // Fewer than three periods: the missing ones are 0.
    for (const QVariantList& periods : {QVariantList{}, ints({40}), ints({40, 55})}) {
        const auto built = keymatrix::buildKeyMatrices(
            keymatrix::baseMatrix(withSlot(factoryLayout(), 5, {8, 0, 3, 0}), false), firmware, false, periods);
        QCOMPARE(slotHex(built.matrices[1], 0), QByteArray(periods.size() > 0 ? "0b 00 28 00" : "0b 00 00 00"));
        QCOMPARE(slotHex(built.matrices[2], 0), QByteArray(periods.size() > 1 ? "0b 01 37 00" : "0b 01 00 00"));
        QCOMPARE(slotHex(built.matrices[3], 0), QByteArray("0b 02 00 00"));
    }

    // A layout of six values: slot 1 keeps its two, everything missing is 0
    // (a category-0 definition, so device type 1).
    const Matrix base = keymatrix::baseMatrix(QVariantList{2, 1, 4, 5, 3, 0}, false);
    QCOMPARE(slotHex(base, 0), QByteArray("00 01 04 05"));
    QCOMPARE(slotHex(base, 1), QByteArray("03 00 00 00"));
    for (int slot = 2; slot < 16; ++slot)
        QCOMPARE(slotHex(base, slot), QByteArray("01 00 00 00"));
    QCOMPARE(hexOf(keymatrix::baseMatrix({}, true)).toHex(' '), hexOf(keymatrix::baseMatrix(QVariantList(64, 0), true)).toHex(' '));

    // Values beyond the 64th are ignored; values are taken modulo 256.
    QVariantList longLayout = factoryLayout();
    longLayout.append(QVariantList(20, 8));
    QCOMPARE(hexOf(keymatrix::baseMatrix(longLayout, false)), kFactoryMatrix1);
    const Matrix wrapped = keymatrix::baseMatrix(QVariantList{256 + 3, -1, QStringLiteral("233"), 512}, false);
    QCOMPARE(slotHex(wrapped, 0), QByteArray("03 ff e9 00"));
}

void KeyMatrixTest::firmwareMatrixFromTheStore()
{
    FixtureTree tree;
    SettingsStores stores;
    SettingsFile* store = stores.profile(0);
    // The delivered profile: the device form of the factory layout.
    QCOMPARE(hexOf(keymatrix::firmwareMatrix(store)), kFactoryMatrix1);

    // Missing, short and single-value entries leave zeros, never more.
    store->remove(QStringLiteral("mouseFwKeyMatrix/2"));
    store->setValue(QStringLiteral("mouseFwKeyMatrix/3"), ints({9, 8}));
    store->setValue(QStringLiteral("mouseFwKeyMatrix/4"), QStringLiteral("7"));
    store->setValue(QStringLiteral("mouseFwKeyMatrix/5"), ints({1, 2, 3, 4, 5, 6}));
    const Matrix m = keymatrix::firmwareMatrix(store);
    QCOMPARE(slotHex(m, 2), QByteArray("00 00 00 00"));
    QCOMPARE(slotHex(m, 3), QByteArray("09 08 00 00"));
    QCOMPARE(slotHex(m, 4), QByteArray("00 00 00 00"));
    QCOMPARE(slotHex(m, 5), QByteArray("01 02 03 04"));
    QCOMPARE(slotHex(m, 6), QByteArray("07 00 02 00"));
    QCOMPARE(hexOf(keymatrix::firmwareMatrix(nullptr)), QByteArray(64, '\0'));
}

void KeyMatrixTest::storesWithoutSending()
{
    FixtureTree tree;
    SettingsStores stores;
    stores.setCurrentProfile(3);
    WireRig rig(config(Family::Fw553));
    ProfileBlocks blocks;
    DeviceFlags flags = flagsFor(Family::Fw553);

    QVariantList layout = withSlot(factoryLayout(), 2, {1, 4, 33, 2});
    keymatrix::setKeyMatrix(rig.hid, flags, stores.profileStore(false), blocks, layout, false, ints({1, 2, 3}));
    QCOMPARE(rig.calls().size(), size_t(0));
    for (int slot = 0; slot < 16; ++slot)
        QCOMPARE(stores.profile(3)->value(QStringLiteral("mouseKeyMatrix/%1").arg(slot)).toList(), layout.mid(slot * 4, 4));
    // Written to p4.bin, not to another profile.
    QCOMPARE(SettingsFile::toList(stores.profile(0)->value(QStringLiteral("mouseKeyMatrix/2"))).value(0).toString(), QStringLiteral("0"));
    stores.profile(3)->sync();
    QSettings file(QStringLiteral("./modules/setting/p4.bin"), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("mouseKeyMatrix/2")).toStringList(), QStringList({"1", "4", "33", "2"}));

    // A short layout is stored as four values per slot, the missing ones 0.
    keymatrix::setKeyMatrix(rig.hid, flags, stores.profileStore(false), blocks, ints({5, 0, 1, 0, 3, 0, 0xE9}), false, {});
    QCOMPARE(stores.profile(3)->value(QStringLiteral("mouseKeyMatrix/0")).toList(), ints({5, 0, 1, 0}));
    QCOMPARE(stores.profile(3)->value(QStringLiteral("mouseKeyMatrix/1")).toList(), ints({3, 0, 0xE9, 0}));
    for (int slot = 2; slot < 16; ++slot)
        QCOMPARE(stores.profile(3)->value(QStringLiteral("mouseKeyMatrix/%1").arg(slot)).toList(), ints({0, 0, 0, 0}));
    QCOMPARE(rig.calls().size(), size_t(0));

    // With no store (a profile index outside the ten) nothing is written and nothing breaks.
    stores.setCurrentProfile(12);
    keymatrix::setKeyMatrix(rig.hid, flags, stores.profileStore(false), blocks, layout, false, {});
    QCOMPARE(rig.calls().size(), size_t(0));
}

void KeyMatrixTest::noGunSwitchSendsMatrixOneAlone_data()
{
    QTest::addColumn<bool>("family560");
    QTest::addColumn<int>("reportLength");
    QTest::newRow("553") << false << 32;
    QTest::newRow("553, 64-byte reports") << false << 64;
    QTest::newRow("560") << true << 32;
    QTest::newRow("560, 64-byte reports") << true << 64;
}

void KeyMatrixTest::noGunSwitchSendsMatrixOneAlone()
{
    QFETCH(bool, family560);
    QFETCH(int, reportLength);
    FixtureTree tree;
    SettingsStores stores;
    const Family family = family560 ? Family::Fw560 : Family::Fw553;
    WireRig rig(config(family, reportLength));
    ProfileBlocks blocks;
    if (family560)
        readAllBlocks(rig, blocks);
    const QByteArray block0 = deviceProfile(rig, 0);
    rig.clock.advance(300);

    // A sniper on slot 6 shows the family's own form.
    const QVariantList layout = withSlot(factoryLayout(), 6, {5, 0, 4, 0});
    keymatrix::setKeyMatrix(rig.hid, flagsFor(family), stores.profileStore(false), blocks, layout, true, ints({40, 55, 70}));

    const QByteArray matrix1 = withSlotBytes(kFactoryMatrix1, 6, family560 ? "0b 00 01 01" : "07 00 04 01");
    if (family560) {
        QVERIFY(checkSequence(rig, {settle({0x0D, 1, 0x80, 0, 0, 0, 0}, matrix1 + QByteArray(64, '\0'))}, 300));
        QCOMPARE(deviceMatrix(rig, 1), matrix1 + QByteArray(64, '\0'));
        // Block 0 is neither changed nor sent.
        QCOMPARE(deviceProfile(rig, 0), block0);
        QCOMPARE(memoryBlock(blocks, 0), block0);
    } else {
        QVERIFY(checkSequence(rig, {settle({0x12, 1, 0x40, 0x08, 0, 0, 0}, matrix1)}, 300));
        QCOMPARE(deviceMatrix(rig, 1), matrix1);
        QCOMPARE(vmouse::state(rig.device).currentKeyMatrix553, 0);   // no active-matrix command
    }
    QCOMPARE(int(vmouse::state(rig.device).keyMatrices.size()), 1);
}

void KeyMatrixTest::gunLayout553()
{
    FixtureTree tree;
    SettingsStores stores;
    storeFirmware(stores.profile(0), customFirmware());
    WireRig rig(config(Family::Fw553));
    ProfileBlocks blocks;

    keymatrix::setKeyMatrix(rig.hid, flagsFor(Family::Fw553), stores.profileStore(false), blocks,
                            withSlot(factoryLayout(), 5, {8, 0, 3, 0}), true, ints({40, 55, 70}));

    const QByteArray m1 = withSlotBytes(kFactoryMatrix1, 5, "08 00 01 01");
    const QByteArray m2 = withSlotBytes(withSlotBytes(customFirmware(), 0, "0b 00 28 00"), 5, "08 00 01 02");
    const QByteArray m3 = withSlotBytes(withSlotBytes(customFirmware(), 0, "0b 01 37 00"), 5, "08 00 01 03");
    const QByteArray m4 = withSlotBytes(withSlotBytes(customFirmware(), 0, "0b 02 46 00"), 5, "08 00 01 00");
    QVERIFY(checkSequence(rig, {
        settle({0x12, 1, 0x40, 0x08, 0, 0, 0}, m1),
        settle({0x12, 2, 0x40, 0x08, 0, 0, 0}, m2),
        settle({0x12, 3, 0x40, 0x08, 0, 0, 0}, m3),
        settle({0x12, 4, 0x40, 0x08, 0, 0, 0}, m4),
        settle({0x02, 1, 0, 0, 0, 0, 0}),
    }, 0));
    QCOMPARE(deviceMatrix(rig, 1), m1);
    QCOMPARE(deviceMatrix(rig, 4), m4);
    QCOMPARE(vmouse::state(rig.device).currentKeyMatrix553, 1);
}

void KeyMatrixTest::gunLayout560()
{
    FixtureTree tree;
    SettingsStores stores;
    stores.setCurrentProfile(1);
    storeFirmware(stores.profile(1), customFirmware());
    WireRig rig(config(Family::Fw560));
    ProfileBlocks blocks;
    readAllBlocks(rig, blocks);
    const QByteArray read0 = deviceProfile(rig, 0);
    QVERIFY(read0[2] != 0 && read0[2] != char(31));
    rig.clock.advance(1000);

    keymatrix::setKeyMatrix(rig.hid, flagsFor(Family::Fw560), stores.profileStore(false), blocks,
                            withSlot(factoryLayout(), 5, {8, 0, 3, 0}), true, ints({40, 55, 70}));

    const QByteArray sent0 = withBytes(read0, 2, {31});
    const QByteArray zeros(64, '\0');
    const QByteArray m1 = withSlotBytes(kFactoryMatrix1, 5, "08 00 01 00");
    const QByteArray m2 = withSlotBytes(withSlotBytes(customFirmware(), 0, "0b 00 28 00"), 5, "08 25 03 45");
    const QByteArray m3 = withSlotBytes(withSlotBytes(customFirmware(), 0, "0b 01 37 00"), 5, "08 25 03 45");
    const QByteArray m4 = withSlotBytes(withSlotBytes(customFirmware(), 0, "0b 02 46 00"), 5, "08 25 00 45");
    QVERIFY(checkSequence(rig, {
        settle({0x0C, 0, 0x80, 0, 0, 0, 0}, sent0),
        settle({0x0D, 1, 0x80, 0, 0, 0, 0}, m1 + zeros),
        settle({0x0D, 2, 0x80, 0, 0, 0, 0}, m2 + zeros),
        settle({0x0D, 3, 0x80, 0, 0, 0, 0}, m3 + zeros),
        settle({0x0D, 4, 0x80, 0, 0, 0, 0}, m4 + zeros),
        then8ms({0x02, 1, 0, 0, 0, 0, 0}),
    }, 1000));
    QCOMPARE(deviceProfile(rig, 0), sent0);
    QCOMPARE(memoryBlock(blocks, 0), sent0);
    QCOMPARE(deviceMatrix(rig, 3), m3 + zeros);
    QCOMPARE(vmouse::state(rig.device).currentProfile560, 1);
}

void KeyMatrixTest::gunLayoutFromShortLists()
{
    // Six slots of layout (the gun switch on slot 5), one period, and a
    // firmware matrix with entries missing or cut short.
    FixtureTree tree;
    SettingsStores stores;
    SettingsFile* store = stores.profile(0);
    storeFirmware(store, customFirmware());
    store->remove(QStringLiteral("mouseFwKeyMatrix/7"));
    store->setValue(QStringLiteral("mouseFwKeyMatrix/15"), ints({0x99}));
    store->setValue(QStringLiteral("mouseFwKeyMatrix/14"), ints({0x98, 0x97, 0x96}));
    WireRig rig(config(Family::Fw553));
    ProfileBlocks blocks;

    const QVariantList layout = factoryLayout().mid(0, 20) + ints({8, 0, 2, 0});
    keymatrix::setKeyMatrix(rig.hid, flagsFor(Family::Fw553), store, blocks, layout, true, ints({40}));

    QByteArray m1 = kFactoryMatrix1.left(20) + hex("08 00 01 01");
    for (int slot = 6; slot < 16; ++slot)
        m1 += hex("01 00 00 00");
    QByteArray firmware = withSlotBytes(customFirmware(), 7, "00 00 00 00");
    firmware = withSlotBytes(firmware, 14, "98 97 96 00");
    firmware = withSlotBytes(firmware, 15, "99 00 00 00");
    const QByteArray m2 = withSlotBytes(withSlotBytes(firmware, 0, "0b 00 28 00"), 5, "08 00 01 02");
    const QByteArray m3 = withSlotBytes(withSlotBytes(firmware, 0, "0b 01 00 00"), 5, "08 00 01 00");
    const QByteArray m4 = withSlotBytes(withSlotBytes(firmware, 0, "0b 02 00 00"), 5, "08 00 01 00");
    QVERIFY(checkSequence(rig, {
        settle({0x12, 1, 0x40, 0x08, 0, 0, 0}, m1),
        settle({0x12, 2, 0x40, 0x08, 0, 0, 0}, m2),
        settle({0x12, 3, 0x40, 0x08, 0, 0, 0}, m3),
        settle({0x12, 4, 0x40, 0x08, 0, 0, 0}, m4),
        settle({0x02, 1, 0, 0, 0, 0, 0}),
    }, 0));
    QCOMPARE(store->value(QStringLiteral("mouseKeyMatrix/5")).toList(), ints({8, 0, 2, 0}));
    QCOMPARE(store->value(QStringLiteral("mouseKeyMatrix/6")).toList(), ints({0, 0, 0, 0}));
}

void KeyMatrixTest::resetSendsTheFirmwareMatrixUnconverted_data()
{
    QTest::addColumn<bool>("family560");
    QTest::newRow("553") << false;
    QTest::newRow("560") << true;
}

void KeyMatrixTest::resetSendsTheFirmwareMatrixUnconverted()
{
    QFETCH(bool, family560);
    FixtureTree tree;
    SettingsStores stores;
    stores.setCurrentProfile(2);
    // Entries that would change under the device-form conversion go out as
    // they are; a missing entry goes out as zeros.
    QByteArray firmware = withSlotBytes(customFirmware(), 0, "00 00 f0 00");
    firmware = withSlotBytes(firmware, 1, "05 00 04 00");
    storeFirmware(stores.profile(2), firmware);
    stores.profile(2)->remove(QStringLiteral("mouseFwKeyMatrix/9"));
    firmware = withSlotBytes(firmware, 9, "00 00 00 00");
    const Family family = family560 ? Family::Fw560 : Family::Fw553;
    WireRig rig(config(family));

    keymatrix::resetKeyMatrix(rig.hid, flagsFor(family), stores.profileStore(false));

    if (family560) {
        const QByteArray payload = firmware + QByteArray(64, '\0');
        QVERIFY(checkSequence(rig, {
            settle({0x0D, 2, 0x80, 0, 0, 0, 0}, payload),
            settle({0x0D, 3, 0x80, 0, 0, 0, 0}, payload),
            settle({0x0D, 4, 0x80, 0, 0, 0, 0}, payload),
        }, 0));
        QCOMPARE(vmouse::state(rig.device).currentProfile560, vmouse::FirmwareState{}.currentProfile560);
    } else {
        QVERIFY(checkSequence(rig, {
            settle({0x12, 2, 0x40, 0x08, 0, 0, 0}, firmware),
            settle({0x12, 3, 0x40, 0x08, 0, 0, 0}, firmware),
            settle({0x12, 4, 0x40, 0x08, 0, 0, 0}, firmware),
        }, 0));
        QCOMPARE(vmouse::state(rig.device).currentKeyMatrix553, 0);
    }
    QCOMPARE(vmouse::state(rig.device).keyMatrices.count(1), size_t(0));
}

void KeyMatrixTest::keydefineFromEitherStore()
{
    FixtureTree tree;
    SettingsStores stores;
    stores.profile(2)->setValue(QStringLiteral("mouseKeyMatrix/4"), ints({3, 0, 0xE9, 0}));
    stores.setCurrentProfile(2);
    QCOMPARE(keymatrix::getKeydefine(stores, 4, false), ints({3, 0, 0xE9, 0}));
    QCOMPARE(keymatrix::getKeydefine(stores, QStringLiteral("4"), false), ints({3, 0, 0xE9, 0}));
    // Recovery reads the factory profile, as text after the restart it stands for.
    QCOMPARE(keymatrix::getKeydefine(stores, 4, true), QVariantList({"0", "0", "243", "0"}));
    stores.setCurrentProfile(0);
    QCOMPARE(keymatrix::getKeydefine(stores, 4, false), QVariantList({"0", "0", "243", "0"}));

    QCOMPARE(keymatrix::getKeydefine(stores, 16, false), QVariantList());
    stores.profile(0)->setValue(QStringLiteral("mouseKeyMatrix/3"), QStringLiteral("7"));
    QCOMPARE(keymatrix::getKeydefine(stores, 3, false), QVariantList());
    stores.setCurrentProfile(-1);
    QCOMPARE(keymatrix::getKeydefine(stores, 4, false), QVariantList());
}

void KeyMatrixTest::deletingAMacroRestoresItsSlots()
{
    FixtureTree tree;
    // Profiles 1 and 7 (p2.bin, p8.bin) as files carry them: texts.
    for (const char* file : {"./modules/setting/p2.bin", "./modules/setting/p8.bin"}) {
        QSettings profile(QString::fromLatin1(file), QSettings::IniFormat);
        profile.setValue(QStringLiteral("mouseKeyMatrix/3"), QStringList({"4", "0", "3", "0"}));
        profile.setValue(QStringLiteral("mouseMacroKey/3"), QStringLiteral("Boom"));
    }
    SettingsStores stores;
    // Profile 0: the macro on two slots (one with a short list whose macro
    // slot reads as 0), another macro on a third, and a slot whose macro slot
    // names "Boom" but whose category is not a macro.
    SettingsFile* p0 = stores.profile(0);
    p0->setValue(QStringLiteral("mouseKeyMatrix/2"), ints({4, 1, 2, 0}));
    p0->setValue(QStringLiteral("mouseMacroKey/2"), QStringLiteral("Boom"));
    p0->setValue(QStringLiteral("mouseKeyMatrix/6"), ints({4, 0}));
    p0->setValue(QStringLiteral("mouseMacroKey/0"), QStringLiteral("Boom"));
    p0->setValue(QStringLiteral("mouseKeyMatrix/8"), ints({4, 0, 8, 0}));
    p0->setValue(QStringLiteral("mouseMacroKey/8"), QStringLiteral("Boomer"));
    p0->setValue(QStringLiteral("mouseKeyMatrix/9"), ints({1, 0, 2, 0}));
    // Profile 5 is the last one covered.
    stores.profile(5)->setValue(QStringLiteral("mouseKeyMatrix/10"), ints({4, 2, 10, 0}));
    stores.profile(5)->setValue(QStringLiteral("mouseMacroKey/10"), QStringLiteral("Boom"));
    stores.profile(6)->setValue(QStringLiteral("mouseKeyMatrix/10"), ints({4, 2, 10, 0}));
    stores.profile(6)->setValue(QStringLiteral("mouseMacroKey/10"), QStringLiteral("Boom"));

    keymatrix::deleteMacroUpdateProfile(stores, QStringLiteral("Boom"));

    const auto slot = [&](int profile, int k) {
        return SettingsFile::toList(stores.profile(profile)->value(QStringLiteral("mouseKeyMatrix/%1").arg(k)));
    };
    const auto factory = [&](int k) {
        return SettingsFile::toList(stores.defaultProfile()->value(QStringLiteral("mouseKeyMatrix/%1").arg(k)));
    };
    QCOMPARE(slot(0, 2), factory(2));
    QCOMPARE(slot(0, 6), factory(6));
    QCOMPARE(slot(0, 8), ints({4, 0, 8, 0}));
    QCOMPARE(slot(0, 9), ints({1, 0, 2, 0}));
    QCOMPARE(slot(1, 3), factory(3));
    QCOMPARE(slot(5, 10), factory(10));
    QCOMPARE(slot(6, 10), ints({4, 2, 10, 0}));
    QCOMPARE(slot(7, 3), QVariantList({"4", "0", "3", "0"}));
    // The macro names stay.
    QCOMPARE(stores.profile(0)->value(QStringLiteral("mouseMacroKey/2")).toString(), QStringLiteral("Boom"));
    QCOMPARE(stores.profile(1)->value(QStringLiteral("mouseMacroKey/3")).toString(), QStringLiteral("Boom"));
    QVERIFY(factory(2).size() == 4);
}

QTEST_GUILESS_MAIN(KeyMatrixTest)
#include "tst_keymatrix.moc"
