// The firmware of both families over the wire: set then read back, bulk
// transfers at several report lengths, scrambled framing with a code of the
// device's own, and the blocks the firmware must refuse.
#include "firmware.h"
#include "wire.h"

#include <QtTest>

#include <chrono>

using namespace testing;
using reference::command;
using vmouse::Family;

namespace {

const std::string kOtherCode = "Kq93xZ";

int attach(Family family, bool encoded, int reportLength = 32)
{
    vmouse::DeviceConfig c;
    c.family = family;
    c.encoded = encoded;
    c.reportLength = reportLength;
    if (encoded)
        c.secrecyCode = kOtherCode;
    return vmouse::addDevice(c);
}

// Reads the bulk input reports of one transfer, `reportLength` bytes each.
Bytes readBulk(hid_device* dev, int reportLength, int reports)
{
    Bytes all;
    for (int i = 0; i < reports; ++i) {
        Bytes packet(static_cast<std::size_t>(reportLength) + 1, 0xEE);
        const int n = hid_read(dev, packet.data(), packet.size());
        if (n != reportLength)
            return {};
        all.insert(all.end(), packet.begin(), packet.begin() + n);
    }
    return all;
}

void addFramingColumns()
{
    QTest::addColumn<bool>("encoded");
    QTest::newRow("plain") << false;
    QTest::newRow("encoded") << true;
}

void addBulkColumns()
{
    QTest::addColumn<bool>("encoded");
    QTest::addColumn<int>("reportLength");
    QTest::newRow("plain, 32") << false << 32;
    QTest::newRow("plain, 64") << false << 64;
    QTest::newRow("encoded, 32") << true << 32;
    QTest::newRow("encoded, 64") << true << 64;
    QTest::newRow("plain, 50") << false << 50; // 128 is no multiple of it
}

int reportsFor(std::size_t bytes, int reportLength)
{
    return static_cast<int>((bytes + static_cast<std::size_t>(reportLength) - 1) /
                            static_cast<std::size_t>(reportLength));
}

} // namespace

class TestFirmware : public QObject {
    Q_OBJECT
private slots:
    void init() { vmouse::reset(); vmouse::clearClock(); }

    void echoAnswersInTheDevicesFraming_data();
    void echoAnswersInTheDevicesFraming();
    void echoCanBeSwitchedOff();
    void settings553_data() { addFramingColumns(); }
    void settings553();
    void bulk553_data() { addBulkColumns(); }
    void bulk553();
    void settings560_data() { addFramingColumns(); }
    void settings560();
    void profileRoundTrip560_data() { addBulkColumns(); }
    void profileRoundTrip560();
    void initialProfilesAreDistinct();
    void shortReadBufferGetsItsLength();
    void wrongCodeIsRejected();
    void badChecksumChangesNothing();
    void unknownCodesAnswerZeros();
    void newCommandAbandonsUnfinishedBulk();
    void withheldReportsTimeOutOnTheClock();
    void withheldReportsTimeOutInRealTime();
    void presetStateIsServed();
};

void TestFirmware::echoAnswersInTheDevicesFraming_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<bool>("encoded");
    QTest::newRow("553 plain") << int(Family::Fw553) << false;
    QTest::newRow("553 encoded") << int(Family::Fw553) << true;
    QTest::newRow("560 plain") << int(Family::Fw560) << false;
    QTest::newRow("560 encoded") << int(Family::Fw560) << true;
}

void TestFirmware::echoAnswersInTheDevicesFraming()
{
    QFETCH(int, family);
    QFETCH(bool, encoded);
    const int id = attach(Family(family), encoded);
    Wire wire(id);
    const auto request = command(0x00, {0xA5, 0x00, 0xFF, 0x3C});
    QCOMPARE(wire.exchange(request), request);
    QCOMPARE(wire.lastResult, 9);
    QCOMPARE(vmouse::record()[vmouse::record().size() - 2].plainBlock,
             Bytes(request.begin(), request.end()));
    QCOMPARE(vmouse::state(id).validCommands, 1);
    QCOMPARE(vmouse::state(id).badChecksums, 0);
}

void TestFirmware::echoCanBeSwitchedOff()
{
    vmouse::DeviceConfig c;
    c.answersEcho = false;
    Wire wire(vmouse::addDevice(c));
    const auto reply = wire.exchange(command(0x00, {1, 2, 3, 4}));
    QCOMPARE(reply, command(0x00)); // code and checksum, zero values
}

void TestFirmware::settings553()
{
    QFETCH(bool, encoded);
    const int id = attach(Family::Fw553, encoded);
    Wire wire(id);
    QCOMPARE(wire.send(command(0x03, {0x11, 0x22, 0x33, 0x44})), 9);
    QCOMPARE(wire.exchange(command(0x83)), command(0x83, {0x11, 0x22, 0x33, 0x44}));
    wire.send(command(0x0B, {5}));
    QCOMPARE(wire.exchange(command(0x8B)), command(0x8B, {5}));

    wire.send(command(0x01, {2}));
    wire.send(command(0x02, {4}));
    wire.send(command(0x04, {0xEE, 0x01, 0x02, 0x03, 0x04})); // byte 1 is not gun data
    wire.send(command(0x0C, {0x10, 0x20, 0x30}));
    wire.send(command(0x0D, {7, 8, 9}));
    const vmouse::FirmwareState s = vmouse::state(id);
    QCOMPARE(s.reportRate553, 2);
    QCOMPARE(s.currentKeyMatrix553, 4);
    QCOMPARE(s.gunData553, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    QCOMPARE(s.fixedLedColor553, (std::array<std::uint8_t, 3>{0x10, 0x20, 0x30}));
    QCOMPARE(s.rgbEffect553, (std::array<std::uint8_t, 3>{7, 8, 9}));
    QCOMPARE(s.validCommands, 9);
    // A set command leaves an all-zero reply.
    QCOMPARE(wire.reply(), reference::Block{});
}

void TestFirmware::bulk553()
{
    QFETCH(bool, encoded);
    QFETCH(int, reportLength);
    const int id = attach(Family::Fw553, encoded, reportLength);
    Wire wire(id);

    // 10H names its length in byte 2: 4 bytes for type 2, 24 otherwise.
    wire.send(command(0x10, {2, 4}));
    QCOMPARE(wire.writeBulk(Bytes{1, 2, 3, 4}), 1);
    QCOMPARE(vmouse::state(id).ledStageType553, 2);
    QCOMPARE(vmouse::state(id).ledStageColors553, (Bytes{1, 2, 3, 4}));
    wire.send(command(0x10, {1, 24}));
    wire.writeBulk(pattern(24, 0x40));
    QCOMPARE(vmouse::state(id).ledStageType553, 1);
    QCOMPARE(vmouse::state(id).ledStageColors553, pattern(24, 0x40));

    wire.send(command(0x11, {6, 8}));
    wire.writeBulk(pattern(8, 0x70));
    QCOMPARE(vmouse::state(id).dpiStageCount553, 6);
    QCOMPARE(vmouse::state(id).dpiCodes553, pattern(8, 0x70));

    wire.send(command(0x12, {3, 0x40, 0x08}));
    QCOMPARE(wire.writeBulk(pattern(64, 0x12)), reportsFor(64, reportLength));
    QCOMPARE(vmouse::state(id).keyMatrices.at(3), pattern(64, 0x12));

    // Nothing is stored until the last byte of the transfer is in.
    const Bytes macro = pattern(128, 0x13);
    wire.send(command(0x13, {9, 0x80}));
    wire.writeBulk(Bytes(macro.begin(), macro.begin() + reportLength));
    QVERIFY(!vmouse::state(id).macros.contains(9));
    wire.writeBulk(Bytes(macro.begin() + reportLength, macro.end()));
    QCOMPARE(vmouse::state(id).macros.at(9), macro);
    QCOMPARE(vmouse::state(id).keyMatrices.size(), std::size_t{1});
}

void TestFirmware::settings560()
{
    QFETCH(bool, encoded);
    const int id = attach(Family::Fw560, encoded);
    Wire wire(id);
    wire.send(command(0x01, {0x08, 0x81}));
    QCOMPARE(wire.exchange(command(0x81)), command(0x81, {0x08, 0x81}));
    wire.send(command(0x02, {3}));
    QCOMPARE(wire.exchange(command(0x82)), command(0x82, {3}));

    for (std::uint8_t slot = 1; slot <= 4; ++slot) {
        wire.send(command(0x03, {slot, std::uint8_t(slot + 10)}));
        wire.send(command(0x04, {slot, std::uint8_t(slot + 20)}));
    }
    wire.send(command(0x03, {5, 99})); // no such slot: accepted, ignored
    wire.send(command(0x04, {0, 99}));
    const vmouse::FirmwareState s = vmouse::state(id);
    QCOMPARE(s.reportRate560, (std::array<int, 5>{0, 11, 12, 13, 14}));
    QCOMPARE(s.currentDpi560, (std::array<int, 5>{0, 21, 22, 23, 24}));
    QCOMPARE(s.validCommands, 14);

    // 84H echoes the asked slot in byte 1 and answers slot 1's stage.
    QCOMPARE(wire.exchange(command(0x84, {1})), command(0x84, {1, 21}));
    QCOMPARE(wire.exchange(command(0x84, {3})), command(0x84, {3, 21}));
}

void TestFirmware::profileRoundTrip560()
{
    QFETCH(bool, encoded);
    QFETCH(int, reportLength);
    const int id = attach(Family::Fw560, encoded, reportLength);
    Wire wire(id);
    const int reports = reportsFor(128, reportLength);

    const Bytes profile = pattern(128, 0x2C);
    wire.send(command(0x0C, {2, 0x80}));
    QCOMPARE(wire.writeBulk(profile), reports);
    QCOMPARE(vmouse::state(id).profiles560.at(2), profile);

    const auto request = command(0x8C, {2});
    QCOMPARE(wire.exchange(request), request);
    const Bytes got = readBulk(wire.handle(), reportLength, reports);
    QCOMPARE(got.size(), std::size_t(reports * reportLength));
    QCOMPARE(Bytes(got.begin(), got.begin() + 128), profile);
    unsigned char extra[65];
    QCOMPARE(hid_read_timeout(wire.handle(), extra, sizeof extra, 0), 0); // nothing more

    // The tail of the last report is zero-filled.
    wire.send(command(0x8C, {2}));
    Bytes all = readBulk(wire.handle(), reportLength, reports);
    QCOMPARE(all.size(), std::size_t(reports * reportLength));
    QVERIFY(std::all_of(all.begin() + 128, all.end(), [](std::uint8_t b) { return b == 0; }));

    wire.send(command(0x0D, {4, 0x80}));
    wire.writeBulk(pattern(128, 0x0D));
    wire.send(command(0x0F, {7, 0x80}));
    wire.writeBulk(pattern(128, 0x0F));
    QCOMPARE(vmouse::state(id).keyMatrices.at(4), pattern(128, 0x0D));
    QCOMPARE(vmouse::state(id).macros.at(7), pattern(128, 0x0F));
}

// Byte i of profile p starts as (0xA0 + 0x10 p) ^ i.
void TestFirmware::initialProfilesAreDistinct()
{
    const int id = attach(Family::Fw560, false, 64);
    Wire wire(id);
    for (std::uint8_t p = 0; p < 5; ++p) {
        wire.send(command(0x8C, {p}));
        const Bytes got = readBulk(wire.handle(), 64, 2);
        QCOMPARE(got.size(), std::size_t{128});
        for (std::size_t i = 0; i < 128; ++i)
            QCOMPARE(got[i], std::uint8_t((0xA0 + 0x10 * p) ^ i));
    }
    wire.send(command(0x8C, {9})); // never held: zeros
    QCOMPARE(readBulk(wire.handle(), 64, 2), Bytes(128, 0));
    QVERIFY(vmouse::state(attach(Family::Fw553, false)).profiles560.empty());
}

void TestFirmware::shortReadBufferGetsItsLength()
{
    const int id = attach(Family::Fw560, false, 64);
    Wire wire(id);
    wire.send(command(0x8C, {1}));
    unsigned char part[16];
    QCOMPARE(hid_read(wire.handle(), part, sizeof part), 16);
    QCOMPARE(part[5], std::uint8_t(0xB0 ^ 5));
    // The rest of that report is gone; the next read starts the next report.
    QCOMPARE(hid_read(wire.handle(), part, sizeof part), 16);
    QCOMPARE(part[0], std::uint8_t(0xB0 ^ 64));
}

void TestFirmware::wrongCodeIsRejected()
{
    const int id = attach(Family::Fw560, true);
    Wire wire(id);
    wire.exchange(command(0x82));
    const reference::Block before = wire.reply();

    QCOMPARE(wire.send(command(0x02, {4}), "507326"), 9); // delivered, but not understood
    QCOMPARE(wire.send(command(0x00, {1, 2, 3, 4}), "507326"), 9);
    const vmouse::FirmwareState s = vmouse::state(id);
    QCOMPARE(s.badChecksums, 2);
    QCOMPARE(s.validCommands, 1);
    QCOMPARE(s.currentProfile560, 1);
    QCOMPARE(wire.reply(), before);

    // The plain framing is refused by a scrambled device as well.
    unsigned char report[9] = {0};
    const auto block = command(0x02, {4});
    std::copy(block.begin(), block.end(), report + 1);
    hid_send_feature_report(wire.handle(), report, 9);
    QCOMPARE(vmouse::state(id).badChecksums, 3);
}

void TestFirmware::badChecksumChangesNothing()
{
    const int id = attach(Family::Fw553, false);
    Wire wire(id);
    wire.exchange(command(0x8B));
    auto block = command(0x0B, {6});
    block[7] ^= 0x01;
    wire.send(block);
    QCOMPARE(vmouse::state(id).badChecksums, 1);
    QCOMPARE(vmouse::state(id).currentDpi553, 1);
    QCOMPARE(wire.reply(), command(0x8B, {1})); // the old reply still stands
    QCOMPARE(vmouse::record()[vmouse::record().size() - 2].plainBlock,
             Bytes(block.begin(), block.end()));

    // A bulk command with a bad checksum opens no transfer.
    auto bulk = command(0x13, {2, 0x80});
    bulk[7] = 0;
    wire.send(bulk);
    wire.writeBulk(pattern(128, 1));
    QVERIFY(vmouse::state(id).macros.empty());
}

void TestFirmware::unknownCodesAnswerZeros()
{
    const int a = attach(Family::Fw553, true);
    Wire wire553(a);
    wire553.exchange(command(0x83));
    QCOMPARE(wire553.exchange(command(0x8C, {1})), reference::Block{}); // a 560 code
    unsigned char buf[33];
    QCOMPARE(hid_read_timeout(wire553.handle(), buf, sizeof buf, 0), 0);
    QCOMPARE(vmouse::state(a).validCommands, 2);

    const int b = attach(Family::Fw560, false);
    Wire wire560(b);
    const vmouse::FirmwareState before = vmouse::state(b);
    QCOMPARE(wire560.exchange(command(0x8B)), reference::Block{}); // a 553 code
    QCOMPARE(wire560.exchange(command(0x55, {1, 2, 3})), reference::Block{});
    const vmouse::FirmwareState after = vmouse::state(b);
    QCOMPARE(after.validCommands, 2);
    QCOMPARE(after.profiles560, before.profiles560);
    QCOMPARE(after.currentDpi560, before.currentDpi560);
}

void TestFirmware::newCommandAbandonsUnfinishedBulk()
{
    const int id = attach(Family::Fw560, false);
    Wire wire(id);
    wire.send(command(0x0F, {1, 0x80}));
    wire.writeBulk(pattern(64, 1));
    wire.send(command(0x02, {2}));
    wire.writeBulk(pattern(64, 1)); // nobody waits for it
    QVERIFY(vmouse::state(id).macros.empty());
    QCOMPARE(vmouse::state(id).currentProfile560, 2);
    // Output with no command at all is taken and dropped.
    unsigned char packet[33] = {0};
    QCOMPARE(hid_write(wire.handle(), packet, sizeof packet), 33);
}

void TestFirmware::withheldReportsTimeOutOnTheClock()
{
    ManualClock clock;
    vmouse::setClock(clock.hooks());
    const int id = attach(Family::Fw560, false, 32);
    Wire wire(id);
    vmouse::withholdInputReports(id, 1);
    wire.send(command(0x8C, {0}));
    QCOMPARE(readBulk(wire.handle(), 32, 3).size(), std::size_t{96});
    unsigned char buf[33];
    const auto started = std::chrono::steady_clock::now();
    QCOMPARE(hid_read(wire.handle(), buf, sizeof buf), 0);
    QCOMPARE(hid_read_timeout(wire.handle(), buf, sizeof buf, 40), 0);
    QVERIFY(std::chrono::steady_clock::now() - started < std::chrono::milliseconds(500));
    QCOMPARE(clock.advancedMs.load(), 1040);
    // Only the next transfer was short.
    wire.send(command(0x8C, {0}));
    QCOMPARE(readBulk(wire.handle(), 32, 4), vmouse::detail::initialProfile560(0));
    vmouse::clearClock();
}

void TestFirmware::withheldReportsTimeOutInRealTime()
{
    const int id = attach(Family::Fw560, false, 64);
    Wire wire(id);
    vmouse::withholdInputReports(id, 5); // more than there are
    wire.send(command(0x8C, {0}));
    unsigned char buf[65];
    const auto started = std::chrono::steady_clock::now();
    QCOMPARE(hid_read_timeout(wire.handle(), buf, sizeof buf, 120), 0);
    QVERIFY(std::chrono::steady_clock::now() - started >= std::chrono::milliseconds(120));
    hid_set_nonblocking(wire.handle(), 1);
    QCOMPARE(hid_read(wire.handle(), buf, sizeof buf), 0);
    QCOMPARE(vmouse::record().back().timeoutMs, 0);
}

void TestFirmware::presetStateIsServed()
{
    const int id = attach(Family::Fw553, false);
    vmouse::FirmwareState s = vmouse::state(id);
    s.keyboardOptions553 = {9, 8, 7, 6};
    s.currentDpi553 = 4;
    vmouse::setState(id, s);
    Wire wire(id);
    QCOMPARE(wire.exchange(command(0x83)), command(0x83, {9, 8, 7, 6}));
    QCOMPARE(wire.exchange(command(0x8B)), command(0x8B, {4}));
}

QTEST_APPLESS_MAIN(TestFirmware)
#include "tst_firmware.moc"
