// Stored form to device form of a key definition: every category, the
// Windows fix-up and the sniper form of both controller families.
#include "keydefinition.h"

#include <QSettings>
#include <QTest>

using keydef::Definition;

Q_DECLARE_METATYPE(Definition)

namespace {

Definition def(uint b0, uint b1, uint b2, uint b3)
{
    return {uchar(b0), uchar(b1), uchar(b2), uchar(b3)};
}

QByteArray text(const Definition& d)
{
    return QByteArray(reinterpret_cast<const char*>(d.data()), 4).toHex(' ');
}

Definition fromList(const QVariant& value)
{
    const QStringList parts = value.toStringList();
    Definition d{};
    for (int i = 0; i < 4 && i < parts.size(); ++i)
        d[i] = uchar(parts[i].trimmed().toInt());
    return d;
}

} // namespace

class KeyDefinition : public QObject
{
    Q_OBJECT

private slots:
    void oneDefinition_data();
    void oneDefinition();
    void factoryLayoutGivesTheDeliveredFirmwareMatrix();
    void matrixConvertsEverySlotInPlace();
};

void KeyDefinition::oneDefinition_data()
{
    QTest::addColumn<Definition>("stored");
    QTest::addColumn<Definition>("device553");
    QTest::addColumn<Definition>("device560");

    // Category 0: a single button, or the double click (exactly 1E 02).
    QTest::newRow("left button") << def(0, 0, 0xF0, 0) << def(1, 0, 0xF0, 0) << def(1, 0, 0xF0, 0);
    QTest::newRow("right button") << def(0, 0, 0xF1, 0) << def(1, 0, 0xF1, 0) << def(1, 0, 0xF1, 0);
    QTest::newRow("unknown button code stays a button") << def(0, 0, 0x05, 0) << def(1, 0, 5, 0) << def(1, 0, 5, 0);
    QTest::newRow("double click") << def(0, 0xF0, 0x1E, 2) << def(0x0A, 0xF0, 0x1E, 2) << def(0x0A, 0xF0, 0x1E, 2);
    QTest::newRow("interval 1E, count 3: not the double click") << def(0, 0xF0, 0x1E, 3) << def(1, 0xF0, 0x1E, 3) << def(1, 0xF0, 0x1E, 3);
    QTest::newRow("count 2, interval 1F: not the double click") << def(0, 0xF0, 0x1F, 2) << def(1, 0xF0, 0x1F, 2) << def(1, 0xF0, 0x1F, 2);

    QTest::newRow("fire") << def(1, 0x04, 0x21, 2) << def(0x0A, 4, 0x21, 2) << def(0x0A, 4, 0x21, 2);
    QTest::newRow("combination LCtrl+LAlt+A") << def(2, 5, 4, 0) << def(0, 5, 4, 0) << def(0, 5, 4, 0);
    QTest::newRow("media Volumn+") << def(3, 0, 0xE9, 0) << def(3, 0, 0xE9, 0) << def(3, 0, 0xE9, 0);
    QTest::newRow("media Player") << def(3, 0, 0x83, 1) << def(3, 0, 0x83, 1) << def(3, 0, 0x83, 1);

    // The macro number on the device counts from 1.
    QTest::newRow("macro on slot 3") << def(4, 1, 3, 0) << def(9, 1, 4, 0) << def(9, 1, 4, 0);
    QTest::newRow("macro on slot 0, repeat mode 2") << def(4, 2, 0, 0) << def(9, 2, 1, 0) << def(9, 2, 1, 0);
    QTest::newRow("macro on slot 15") << def(4, 0, 15, 0) << def(9, 0, 16, 0) << def(9, 0, 16, 0);

    QTest::newRow("DPI up") << def(5, 0, 1, 0) << def(7, 0, 1, 0) << def(7, 0, 1, 0);
    QTest::newRow("DPI loop") << def(5, 0, 3, 0) << def(7, 0, 3, 0) << def(7, 0, 3, 0);
    QTest::newRow("sniper") << def(5, 0, 4, 0) << def(7, 0, 4, 1) << def(0x0B, 0, 1, 1);
    QTest::newRow("sniper with stray bytes is replaced whole") << def(5, 9, 4, 7) << def(7, 0, 4, 1) << def(0x0B, 0, 1, 1);

    // Windows functions: keys, except the three consumer-page entries.
    QTest::newRow("Max") << def(6, 4, 0x2C, 0x1B) << def(0, 4, 0x2C, 0x1B) << def(0, 4, 0x2C, 0x1B);
    QTest::newRow("Desktop") << def(6, 0, 0xE3, 0x07) << def(0, 0, 0xE3, 7) << def(0, 0, 0xE3, 7);
    QTest::newRow("My PC") << def(6, 0, 0x94, 1) << def(3, 0, 0x94, 1) << def(3, 0, 0x94, 1);
    QTest::newRow("Index") << def(6, 0, 0x23, 2) << def(3, 0, 0x23, 2) << def(3, 0, 0x23, 2);
    QTest::newRow("Search") << def(6, 0, 0x21, 2) << def(3, 0, 0x21, 2) << def(3, 0, 0x21, 2);
    QTest::newRow("Search pair with modifier bits") << def(6, 4, 0x21, 2) << def(3, 4, 0x21, 2) << def(3, 4, 0x21, 2);
    QTest::newRow("94 with 02 is no consumer entry") << def(6, 0, 0x94, 2) << def(0, 0, 0x94, 2) << def(0, 0, 0x94, 2);
    QTest::newRow("21 with 01 is no consumer entry") << def(6, 0, 0x21, 1) << def(0, 0, 0x21, 1) << def(0, 0, 0x21, 1);
    // Only category 6 is fixed up, even when the bytes match.
    QTest::newRow("fire with the Search bytes") << def(1, 0, 0x21, 2) << def(0x0A, 0, 0x21, 2) << def(0x0A, 0, 0x21, 2);
    QTest::newRow("combination with the My PC bytes") << def(2, 0, 0x94, 1) << def(0, 0, 0x94, 1) << def(0, 0, 0x94, 1);

    QTest::newRow("shortcut Copy") << def(7, 0, 0xE0, 0x06) << def(0, 0, 0xE0, 6) << def(0, 0, 0xE0, 6);
    QTest::newRow("gun switch, three modes") << def(8, 0, 3, 0) << def(8, 0, 3, 0) << def(8, 0, 3, 0);
    QTest::newRow("reserved category FF") << def(0xFF, 0, 2, 0) << def(4, 0, 2, 0) << def(4, 0, 2, 0);
    QTest::newRow("unknown category 09 unchanged") << def(9, 1, 2, 3) << def(9, 1, 2, 3) << def(9, 1, 2, 3);
    QTest::newRow("unknown category FE unchanged") << def(0xFE, 1, 2, 3) << def(0xFE, 1, 2, 3) << def(0xFE, 1, 2, 3);
}

void KeyDefinition::oneDefinition()
{
    QFETCH(Definition, stored);
    QFETCH(Definition, device553);
    QFETCH(Definition, device560);
    QCOMPARE(text(keydef::toDeviceForm(stored, false)), text(device553));
    QCOMPARE(text(keydef::toDeviceForm(stored, true)), text(device560));
}

void KeyDefinition::factoryLayoutGivesTheDeliveredFirmwareMatrix()
{
    // The delivered factory profile carries its layout in both forms; the
    // conversion must turn the one into the other on either family.
    QSettings factory(QStringLiteral(KESTREL_DATA_DIR "/setting/pD.bin"), QSettings::IniFormat);
    QVERIFY(factory.contains(QStringLiteral("mouseKeyMatrix/15")));
    for (bool family560 : {false, true}) {
        uchar matrix[keydef::kMatrixSize];
        for (int slot = 0; slot < keydef::kSlots; ++slot) {
            const Definition stored = fromList(factory.value(QStringLiteral("mouseKeyMatrix/%1").arg(slot)));
            std::copy(stored.begin(), stored.end(), matrix + 4 * slot);
        }
        keydef::matrixToDeviceForm(matrix, family560);
        for (int slot = 0; slot < keydef::kSlots; ++slot) {
            const Definition firmware = fromList(factory.value(QStringLiteral("mouseFwKeyMatrix/%1").arg(slot)));
            const Definition converted{matrix[4 * slot], matrix[4 * slot + 1], matrix[4 * slot + 2], matrix[4 * slot + 3]};
            QVERIFY2(converted == firmware, qPrintable(QStringLiteral("slot %1: %2 vs %3").arg(slot)
                                                           .arg(QString::fromLatin1(text(converted)), QString::fromLatin1(text(firmware)))));
        }
    }
}

void KeyDefinition::matrixConvertsEverySlotInPlace()
{
    // Each slot is converted on its own four bytes: a sniper on the last slot,
    // a macro in the middle, a consumer Windows entry on the first.
    uchar matrix[keydef::kMatrixSize] = {};
    const Definition storedSlots[3] = {def(6, 0, 0x94, 1), def(4, 0, 7, 0), def(5, 0, 4, 0)};
    const int positions[3] = {0, 7, 15};
    for (bool family560 : {false, true}) {
        std::fill(std::begin(matrix), std::end(matrix), uchar(0x02));   // combinations elsewhere
        for (int i = 0; i < 3; ++i)
            std::copy(storedSlots[i].begin(), storedSlots[i].end(), matrix + 4 * positions[i]);
        keydef::matrixToDeviceForm(matrix, family560);
        for (int slot = 0; slot < keydef::kSlots; ++slot) {
            Definition expected = def(0, 2, 2, 2);
            for (int i = 0; i < 3; ++i)
                if (positions[i] == slot)
                    expected = keydef::toDeviceForm(storedSlots[i], family560);
            const Definition got{matrix[4 * slot], matrix[4 * slot + 1], matrix[4 * slot + 2], matrix[4 * slot + 3]};
            QCOMPARE(text(got), text(expected));
        }
        QCOMPARE(matrix[60], family560 ? uchar(0x0B) : uchar(0x07));
        QCOMPARE(matrix[30], uchar(8));
        QCOMPARE(matrix[0], uchar(3));
    }
}

QTEST_GUILESS_MAIN(KeyDefinition)
#include "tst_keydefinition.moc"
