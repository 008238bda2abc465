// The link check: the echo exchange that proves the device answers in the
// framing and with the secrecy code of its descriptor.
#include "exchangecheck.h"

#include <QRandomGenerator>
#include <QTest>

using vmouse::CallKind;

namespace {

// The challenge the check must send at a given second.
QByteArray challengeAt(qint64 epochSeconds)
{
    QRandomGenerator random{quint32(epochSeconds)};
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(char(random.generate() & 0xff));
    return out;
}

QByteArray sentChallenge(const WireRig& rig, int exchange = 0)
{
    return bytes(rig.calls(CallKind::SendFeature).at(exchange).plainBlock).mid(1, 4);
}

} // namespace

class LinkCheck : public QObject
{
    Q_OBJECT

private slots:
    void matchingDeviceAnswers_data();
    void matchingDeviceAnswers();
    void wrongCodeOrFramingFails();
    void codeOfOtherLengthKeepsTheLoadedOne();
    void sameSecondSameChallenge();
    void silentOrBrokenLinkFails();
    void busyGateIsNotAnEcho();
};

void LinkCheck::matchingDeviceAnswers_data()
{
    QTest::addColumn<bool>("encoded");
    QTest::addColumn<QString>("code");
    QTest::newRow("plain") << false << QStringLiteral("507326");
    QTest::newRow("scrambled, default code") << true << QStringLiteral("507326");
    QTest::newRow("scrambled, own code") << true << QStringLiteral("Zq#81x");
}

void LinkCheck::matchingDeviceAnswers()
{
    QFETCH(bool, encoded);
    QFETCH(QString, code);
    vmouse::DeviceConfig config;
    config.encoded = encoded;
    config.secrecyCode = code.toStdString();
    WireRig rig(config);
    rig.hid.secrecyCode = {};
    rig.hid.deviceList.prepend(DeviceDescriptor{});   // the device is now at index 1
    rig.hid.currentDevice = 0;

    QVERIFY(rig.hid.chkDeviceIsEnCode(1));
    QCOMPARE(rig.hid.currentDevice, 1);
    const QByteArray challenge = challengeAt(rig.clock.epochSeconds());
    QCOMPARE(sentChallenge(rig), challenge);

    ExpectedExchange expected;
    expected.plainBlock = block({0x00, uchar(challenge[0]), uchar(challenge[1]), uchar(challenge[2]), uchar(challenge[3]), 0, 0});
    expected.encoded = encoded;
    expected.code = config.secrecyCode;
    expected.read = true;
    const auto calls = rig.calls();
    QCOMPARE(checkExchange(calls, 0, expected), int(calls.size()));
    // The loaded code stays in force for later commands.
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(rig.hid.secrecyCode.data()) + 1, 6), code.toLatin1());
}

void LinkCheck::wrongCodeOrFramingFails()
{
    vmouse::DeviceConfig config;
    config.encoded = true;
    config.secrecyCode = "507326";
    {
        WireRig rig(config);
        rig.hid.deviceList[0].sCode = QStringLiteral("123456");
        QVERIFY(!rig.hid.chkDeviceIsEnCode(0));
        QCOMPARE(vmouse::state(rig.device).badChecksums, 1);
    }
    {
        // The table says plain, the device scrambles.
        WireRig rig(config);
        rig.hid.deviceList[0].isEncode = false;
        QVERIFY(!rig.hid.chkDeviceIsEnCode(0));
    }
    {
        config.encoded = false;
        WireRig rig(config);
        rig.hid.deviceList[0].isEncode = true;
        QVERIFY(!rig.hid.chkDeviceIsEnCode(0));
        QCOMPARE(rig.hid.currentDevice, 0);
    }
}

void LinkCheck::codeOfOtherLengthKeepsTheLoadedOne()
{
    vmouse::DeviceConfig config;
    config.encoded = true;
    config.secrecyCode = "abcdef";
    WireRig rig(config);
    QVERIFY(rig.hid.chkDeviceIsEnCode(0));
    for (const char* other : {"abcde", "abcdefg", ""}) {
        rig.hid.deviceList[0].sCode = QLatin1String(other);
        QVERIFY2(rig.hid.chkDeviceIsEnCode(0), other);
    }
    // Never loaded: the code is all zeros, which is not the device's key.
    WireRig fresh(config);
    fresh.hid.secrecyCode = {};
    fresh.hid.deviceList[0].sCode = QStringLiteral("abcde");
    QVERIFY(!fresh.hid.chkDeviceIsEnCode(0));
    QVERIFY(fresh.hid.secrecyCode == scrambling::SecrecyCode{});
}

void LinkCheck::sameSecondSameChallenge()
{
    WireRig rig;
    rig.clock.advance(200);
    QVERIFY(rig.hid.chkDeviceIsEnCode(0));
    rig.clock.advance(300);
    QVERIFY(rig.hid.chkDeviceIsEnCode(0));
    QCOMPARE(sentChallenge(rig, 1), sentChallenge(rig, 0));
    rig.clock.advance(1000);
    QVERIFY(rig.hid.chkDeviceIsEnCode(0));
    QVERIFY(sentChallenge(rig, 2) != sentChallenge(rig, 0));
    QCOMPARE(sentChallenge(rig, 2), challengeAt(rig.clock.epochSeconds()));
}

void LinkCheck::silentOrBrokenLinkFails()
{
    vmouse::DeviceConfig config;
    config.answersEcho = false;
    WireRig silent(config);
    QVERIFY(!silent.hid.chkDeviceIsEnCode(0));

    for (CallKind failing : {CallKind::SendFeature, CallKind::GetFeature}) {
        WireRig rig;
        vmouse::failCall(failing);
        QVERIFY(!rig.hid.chkDeviceIsEnCode(0));
        QVERIFY(rig.hid.linkIdle);
    }

    WireRig absent;
    absent.hid.deviceList[0].commandPath.clear();
    QVERIFY(!absent.hid.chkDeviceIsEnCode(0));
    QVERIFY(!absent.hid.chkDeviceIsEnCode(5));   // outside the list
    QCOMPARE(absent.hid.currentDevice, 5);
}

void LinkCheck::busyGateIsNotAnEcho()
{
    // With the gate held, the echo command leaves its bytes untouched: they
    // still equal the challenge, yet nothing was exchanged.
    WireRig rig;
    DebugCapture debug;
    rig.hid.linkIdle = false;
    QVERIFY(!rig.hid.chkDeviceIsEnCode(0));
    QCOMPARE(debug.lines(), QStringList{QStringLiteral("cmd Failed 00")});
    QCOMPARE(rig.calls().size(), size_t(0));
}

QTEST_GUILESS_MAIN(LinkCheck)
#include "tst_linkcheck.moc"
